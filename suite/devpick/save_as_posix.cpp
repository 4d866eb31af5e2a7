#include "save_as.h"

namespace devpick {

std::optional<std::string> askPdfFileName(const std::string& typed, const std::string&) { return typed; }

}  // namespace devpick
