// Procedures whose subsystems are not built yet return straight to the menu.
#include "entry/procedures.h"

namespace dp {
void RunClosePeriod(const std::string&) {}
void RunForm4562(const std::string&) {}
}  // namespace dp
