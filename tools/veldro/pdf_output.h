// Printer files rendered to PDF, as the printer choice's "PDF file" renders them on each system:
// on the locale's paper, titled for what they hold.
#pragma once

#include <string>

namespace veldro {

// Renders printerFile into pdf (whole or not at all). "" when done, else why not.
std::string renderPdf(const std::string& printerFile, const std::string& pdf, const std::string& title);

}  // namespace veldro
