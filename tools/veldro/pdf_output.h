// Printer files rendered to PDF, as the printer choice's "PDF file" renders them: on the locale's
// paper, titled for what they hold.
#pragma once

#include <string>

namespace veldro {

// Whether this build renders PDF files.
bool pdfAvailable();
// Why it does not ("" when it does).
std::string pdfUnavailableText();

// Renders printerFile into pdf (whole or not at all). "" when done, else why not.
std::string renderPdf(const std::string& printerFile, const std::string& pdf, const std::string& title);

}  // namespace veldro
