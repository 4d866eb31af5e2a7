// What each system supplies to the backend choice (backend.cpp).
#pragma once

#include <memory>

#include "platform/backend.h"

namespace platform {

// The backend a user works with: the terminal on POSIX systems, Windows' own dialogs on Windows.
std::unique_ptr<Backend> makeInteractiveBackend();

// A scripted run is driven by one script and writes one transcript, whichever library of the
// process shows a dialog or hands over a print job. Where every library carries its own copy of
// this layer (Windows), the first to read the script shares it (shareScriptedRun) and the
// others join it; elsewhere the layer is one shared library, and there is nothing to join.
std::unique_ptr<Backend> joinScriptedRun();

}  // namespace platform
