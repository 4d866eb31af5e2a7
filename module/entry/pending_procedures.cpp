// Procedures whose subsystems are not built yet return straight to the menu.
#include "entry/procedures.h"

namespace dp {
}  // namespace dp
