#include "pdf_output.h"

namespace veldro {

bool pdfAvailable() { return false; }

std::string pdfUnavailableText() {
    return "this build of veldro writes no PDF files (the renderer is not part of the Windows build); write the text "
           "form and render it with veldro-render on Linux";
}

std::string renderPdf(const std::string&, const std::string&, const std::string&) { return pdfUnavailableText(); }

}  // namespace veldro
