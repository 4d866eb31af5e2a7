// Windows only: the library or program that carries this copy of the platform layer, whose
// resources (the icon "PROGRAM", the bitmap "B2") the dialogs show.
#pragma once

#include <windows.h>

namespace platform {

HINSTANCE thisModule();

}  // namespace platform
