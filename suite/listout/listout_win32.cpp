// The suite's print spooling on Windows: takes the command text "file,device,field3,options" and
// prints the file. Device FILE saves a copy under the path of field 3, #PDF saves the rendered
// pages there as a PDF on the locale's paper, #SCREEN shows them in a window on that paper. Any
// other device is a Windows printer: it prints the rendered pages through its own driver, fitted
// to its paper, or with field 3 RAW
// receives the file unchanged as a raw job, for a printer that understands the report's control
// codes itself. The options describe the page for the suite's own spooler; the rendering lays
// out the page from the file's own codes, so they are accepted and not acted on.
#include <windows.h>
#include <winspool.h>

#include <cstdint>
#include <string>
#include <vector>

#include "gdi_printing_win32.h"
#include "page_window_win32.h"
#include "platform/files.h"
#include "platform/native_text.h"
#include "print_command.h"
#include "render/render.h"
#include "suite_printing.h"

using listout::PrintCommand;

namespace {

// Sends the file's bytes unchanged as one raw job. Empty on success, otherwise why it failed.
std::string printRaw(const PrintCommand& pc) {
    platform::RecordFile in;
    if (!in.openExisting(pc.file, 1)) return "it cannot be read";
    std::wstring printer = platform::widen(pc.device);
    HANDLE h = nullptr;
    if (!OpenPrinterW(printer.data(), &h, nullptr)) return platform::describeSystemError(GetLastError());
    std::wstring name = platform::widen(listout::jobTitle(pc));
    wchar_t raw[] = L"RAW";
    DOC_INFO_1W doc{name.data(), nullptr, raw};
    std::string why;
    if (StartDocPrinterW(h, 1, reinterpret_cast<LPBYTE>(&doc)) == 0) {
        why = platform::describeSystemError(GetLastError());
    } else {
        StartPagePrinter(h);
        std::vector<char> chunk(65536);
        const std::int64_t size = in.sizeBytes();
        for (std::int64_t at = 0; at < size && why.empty();) {
            const std::int64_t n = std::min<std::int64_t>(size - at, static_cast<std::int64_t>(chunk.size()));
            DWORD written = 0;
            if (!in.readRecords(at + 1, n, chunk.data())) why = "it cannot be read";
            else if (!WritePrinter(h, chunk.data(), static_cast<DWORD>(n), &written) || written != n)
                why = platform::describeSystemError(GetLastError());
            at += n;
        }
        EndPagePrinter(h);
        if (!EndDocPrinter(h) && why.empty()) why = platform::describeSystemError(GetLastError());
    }
    ClosePrinter(h);
    return why;
}

// The rendered pages through the printer's driver, on the paper it is set up for.
std::string printRendered(const PrintCommand& pc) {
    HDC dc = CreateDCW(L"WINSPOOL", platform::widen(pc.device).c_str(), nullptr, nullptr);
    if (!dc) return platform::describeSystemError(GetLastError());
    const std::string why = listout::printPagesOn(dc, pc.file, listout::jobTitle(pc));
    DeleteDC(dc);
    return why;
}

int showOnScreen(const PrintCommand& pc) {
    std::string error;
    const dprender::Fonts* fonts = dprender::Fonts::get(error);
    std::vector<dprender::Page> pages;
    const auto keep = [&pages](dprender::Page&& p) {
        pages.push_back(std::move(p));
        return true;
    };
    if (!fonts || !dprender::readDrawnPages(pc.file, keep, error)) return listout::fail(error);
    const listout::PaperChoice paper = listout::localePaper();
    listout::showPagesWindow(listout::screenHeading(pc, paper.paper), pages, *fonts, paper);
    return 0;
}

int32_t listOut(const std::string& command) {
    return listout::carryOut(command, {showOnScreen, printRendered, printRaw});
}

}  // namespace

extern "C" SUITE_EXPORT int32_t SUITE_STDCALL ListOut(const char* command, int32_t zero) {
    (void)zero;
    return listout::guardedListOut(listOut, command);
}
