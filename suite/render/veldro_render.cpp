// veldro-render: renders a printer file of the depreciation module (report.txt, T4562.FRM, or
// any file in the same printer language) to PDF or PNG, or shows its pages as text.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "render/parser.h"
#include "render/render.h"

namespace {

constexpr const char* kUsage =
    "Usage: veldro-render FILE -o OUT.pdf|OUT.png [--page N] [--dpi N]\n"
    "       veldro-render FILE --text [--page N]\n"
    "\n"
    "Renders a printer file of the depreciation module (the depreciation report and the\n"
    "amortization schedule in report.txt, Form 4562 in T4562.FRM) as the printer would print it\n"
    "on US Letter paper: condensed print, reverse feeds, overprinting, bars and rules.\n"
    "\n"
    "  -o OUT.pdf   every page, one PDF page each\n"
    "  -o OUT.png   one page as an image (page 1 unless --page says otherwise)\n"
    "  --text       the pages as text on standard output, a form feed between pages\n"
    "  --page N     the page for a PNG or for --text (from 1)\n"
    "  --dpi N      the resolution of a PNG, 36 to 600 (default 150)\n"
    "  --help       this text\n"
    "\n"
    "The output file is written whole or not at all. Exit status: 0 done, 1 the file could not\n"
    "be rendered or written, 2 wrong arguments.\n";

int usageError(const std::string& why) {
    std::fprintf(stderr, "veldro-render: %s\n\n%s", why.c_str(), kUsage);
    return 2;
}

bool parseNumber(const std::string& text, int low, int high, int& out) {
    if (text.empty() || text.size() > 6 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    out = std::atoi(text.c_str());
    return out >= low && out <= high;
}

void printNotes(const dprender::Diagnostics& notes) {
    const std::string text = dprender::describe(notes);
    if (!text.empty()) std::fprintf(stderr, "veldro-render: note: %s\n", text.c_str());
}

int showText(const std::string& input, int onlyPage) {
    std::vector<dprender::TextPage> pages;
    std::string error;
    dprender::Diagnostics notes;
    if (!dprender::textPagesOfFile(input, pages, error, &notes)) {
        std::fprintf(stderr, "veldro-render: %s\n", error.c_str());
        return 1;
    }
    if (onlyPage > static_cast<int>(pages.size())) {
        std::fprintf(stderr, "veldro-render: the file has %zu pages; there is no page %d.\n", pages.size(), onlyPage);
        return 1;
    }
    for (std::size_t i = 0; i < pages.size(); ++i) {
        if (onlyPage > 0 && static_cast<int>(i) + 1 != onlyPage) continue;
        if (onlyPage == 0 && i > 0) std::fputs("\f\n", stdout);
        for (const std::string& line : dprender::textLines(pages[i])) std::printf("%s\n", line.c_str());
    }
    printNotes(notes);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    dprender::RenderRequest req;
    bool text = false;
    int page = 0;
    int dpi = 150;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (a == "-o") {
            if (!hasValue) return usageError("-o needs the name of the output file");
            req.output = args[++i];
        } else if (a == "--page") {
            if (!hasValue || !parseNumber(args[++i], 1, 999999, page)) return usageError("--page needs a page number from 1");
        } else if (a == "--dpi") {
            if (!hasValue || !parseNumber(args[++i], 36, 600, dpi)) return usageError("--dpi needs a number from 36 to 600");
        } else if (a == "--text") {
            text = true;
        } else if (a.size() > 1 && a[0] == '-') {
            return usageError("unknown option " + a);
        } else if (req.input.empty()) {
            req.input = a;
        } else {
            return usageError("only one file can be rendered at a time");
        }
    }
    if (req.input.empty()) return usageError("name the printer file to render");
    if (text) {
        if (!req.output.empty()) return usageError("--text writes to standard output; leave out -o");
        return showText(req.input, page);
    }
    if (req.output.empty()) return usageError("name the output file with -o OUT.pdf or -o OUT.png");
    if (!dprender::formatFromName(req.output, req.format))
        return usageError("the output file must end in .pdf or .png: " + req.output);
    if (page > 0 && req.format == dprender::OutputFormat::Pdf)
        return usageError("--page chooses the page of a PNG; a PDF holds every page");
    req.page = page > 0 ? page : 1;
    req.dpi = dpi;
    const dprender::RenderResult res = dprender::renderFile(req);
    if (!res.ok) {
        std::fprintf(stderr, "veldro-render: %s\n", res.error.c_str());
        printNotes(res.notes);
        return 1;
    }
    printNotes(res.notes);
    return 0;
}
