#include "render/render.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>

#include "atomic_output.h"
#ifdef _WIN32
#include "render/draw_gdi.h"
#else
#include "render/draw.h"
#endif
#include "render/parser.h"

namespace dprender {
namespace {

using FilePtr = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

std::string baseName(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Reads the file in pieces into the parser; false with `error` when it cannot be read.
bool feedFile(const std::string& path, Parser& parser, std::string& error) {
    FilePtr in(openPrinterFile(path, error), std::fclose);
    if (!in) return false;
    std::vector<char> buf(1 << 20);
    for (;;) {
        const std::size_t n = std::fread(buf.data(), 1, buf.size(), in.get());
        if (n > 0) parser.feed(std::string_view(buf.data(), n));
        if (parser.failed() || parser.stopped()) return true;
        if (n < buf.size()) break;
    }
    if (std::ferror(in.get())) {
        error = "The file " + path + " cannot be read: " + std::strerror(errno) + ".";
        return false;
    }
    parser.finish();
    return true;
}

RenderResult renderPdf(const RenderRequest& req, const Fonts& fonts) {
    RenderResult res;
    AtomicOutput out(req.output);
    if (!out.file()) {
        res.error = out.error();
        return res;
    }
    PdfWriter pdf(out.file(), fonts, req.paper, fitPage(Sheet{}, req.paper, req.margins),
                  req.title.empty() ? baseName(req.input) : req.title);
    Parser parser(drawingParseOptions(fonts), [&pdf](Page&& page) { return pdf.addPage(page); });
    std::string error;
    const bool read = feedFile(req.input, parser, error);
    const bool closed = pdf.close();
    res.notes = parser.diagnostics();
    res.pages = pdf.pages();
    if (!read) res.error = error;
    else if (parser.failed()) res.error = "The file " + req.input + " cannot be rendered: " + parser.diagnostics().error + ".";
    else if (!closed || parser.stopped()) res.error = "The PDF " + req.output + " could not be made: " + pdf.error() + ".";
    else if (!out.commit()) res.error = out.error();
    res.ok = res.error.empty();
    return res;
}

RenderResult renderPng(const RenderRequest& req, const Fonts& fonts) {
    RenderResult res;
    std::optional<Page> wanted;
    Parser parser(drawingParseOptions(fonts), [&](Page&& page) {
        ++res.pages;
        if (page.number != req.page) return true;
        wanted = std::move(page);
        return false;
    });
    if (!feedFile(req.input, parser, res.error)) return res;
    res.notes = parser.diagnostics();
    if (parser.failed()) {
        res.error = "The file " + req.input + " cannot be rendered: " + parser.diagnostics().error + ".";
        return res;
    }
    if (!wanted) {
        res.error = "The file " + req.input + " has " + std::to_string(res.pages) + " page" +
                    (res.pages == 1 ? "" : "s") + "; there is no page " + std::to_string(req.page) + ".";
        return res;
    }
    AtomicOutput out(req.output);
    if (!out.file()) {
        res.error = out.error();
        return res;
    }
    std::string error;
    if (!writePng(*wanted, fonts, out.file(), req.dpi, error, req.paper, fitPage(Sheet{}, req.paper, req.margins))) {
        res.error = "The PNG " + req.output + " could not be made: " + error + ".";
        return res;
    }
    if (!out.commit()) res.error = out.error();
    res.ok = res.error.empty();
    return res;
}

}  // namespace

RenderResult renderFile(const RenderRequest& request) {
    std::string error;
    const Fonts* fonts = Fonts::get(error);
    if (!fonts) {
        RenderResult res;
        res.error = "Nothing can be drawn: " + error + ".";
        return res;
    }
    return request.format == OutputFormat::Pdf ? renderPdf(request, *fonts) : renderPng(request, *fonts);
}

bool readDrawnPages(const std::string& input, const std::function<bool(Page&&)>& sink, std::string& error,
                    const Sheet& sheet) {
    const Fonts* fonts = Fonts::get(error);
    if (!fonts) {
        error = "Nothing can be drawn: " + error + ".";
        return false;
    }
    Parser parser(drawingParseOptions(*fonts, sheet), sink);
    if (!feedFile(input, parser, error)) return false;
    if (parser.failed()) {
        error = "The file " + input + " cannot be rendered: " + parser.diagnostics().error + ".";
        return false;
    }
    return true;
}

bool textPagesOfFile(const std::string& input, std::vector<TextPage>& pages, std::string& error,
                     Diagnostics* notes) {
    // The screen shows characters only; the fonts, where they are installed, still give the
    // proportional text the widths it has on paper, so the same characters reach the edge.
    std::string fontError;
    const Fonts* fonts = Fonts::get(fontError);
    ParseOptions options;
    options.widths = fonts ? fonts->proportionalWidths() : FaceWidths::uniform(0.5f);
    Parser parser(options, [&pages](Page&& page) {
        pages.push_back(textView(page));
        return true;
    });
    if (!feedFile(input, parser, error)) return false;
    if (notes) *notes = parser.diagnostics();
    if (parser.failed()) {
        error = "The file " + input + " cannot be shown: " + parser.diagnostics().error + ".";
        return false;
    }
    return true;
}

bool formatFromName(const std::string& name, OutputFormat& format) {
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || name.find('/', dot) != std::string::npos) return false;
    std::string ext = name.substr(dot + 1);
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ext == "pdf") format = OutputFormat::Pdf;
    else if (ext == "png") format = OutputFormat::Png;
    else return false;
    return true;
}

}  // namespace dprender
