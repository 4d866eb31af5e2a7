// The name a PDF file is saved under, asked the way the system asks for one.
#pragma once

#include <optional>
#include <string>

namespace devpick {

// `typed` is what the printer choice's file name box holds, `printed` the file being printed
// (it may be empty). Windows asks in its standard Save As dialog, starting from the typed name
// (or the printed file's name with ".pdf", in its folder); elsewhere the typed name is the
// answer. nullopt: the user cancelled the question and stays in the printer choice.
std::optional<std::string> askPdfFileName(const std::string& typed, const std::string& printed);

}  // namespace devpick
