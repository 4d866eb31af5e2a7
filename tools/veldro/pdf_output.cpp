#include "paper_choice.h"
#include "pdf_output.h"
#include "render/render.h"

namespace veldro {

std::string renderPdf(const std::string& printerFile, const std::string& pdf, const std::string& title) {
    dprender::RenderRequest request;
    request.input = printerFile;
    request.output = pdf;
    request.format = dprender::OutputFormat::Pdf;
    request.title = title;
    const listout::PaperChoice paper = listout::localePaper();
    request.paper = paper.paper;
    request.margins = paper.margins;
    const dprender::RenderResult result = dprender::renderFile(request);
    return result.ok ? std::string() : result.error;
}

}  // namespace veldro
