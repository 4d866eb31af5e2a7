#include "gdi_printing_win32.h"

#include "platform/native_text.h"
#include "render/render.h"

namespace listout {

DeviceCaps capsOf(HDC dc) {
    DeviceCaps c;
    c.dpiX = GetDeviceCaps(dc, LOGPIXELSX);
    c.dpiY = GetDeviceCaps(dc, LOGPIXELSY);
    c.areaWidth = GetDeviceCaps(dc, HORZRES);
    c.areaHeight = GetDeviceCaps(dc, VERTRES);
    c.paperWidth = GetDeviceCaps(dc, PHYSICALWIDTH);
    c.paperHeight = GetDeviceCaps(dc, PHYSICALHEIGHT);
    c.offsetX = GetDeviceCaps(dc, PHYSICALOFFSETX);
    c.offsetY = GetDeviceCaps(dc, PHYSICALOFFSETY);
    // A device without paper (a display, a metafile of one): the printable area is all there is.
    if (c.paperWidth <= 0 || c.paperHeight <= 0) {
        c.paperWidth = c.areaWidth;
        c.paperHeight = c.areaHeight;
        c.offsetX = c.offsetY = 0;
    }
    return c;
}

PaperChoice paperOf(const DeviceCaps& caps) {
    const double ptX = dprender::kPointsPerInch / caps.dpiX, ptY = dprender::kPointsPerInch / caps.dpiY;
    PaperChoice c;
    c.paper = dprender::paperFromMillimetres(caps.paperWidth * ptX / dprender::kPointsPerMillimetre,
                                             caps.paperHeight * ptY / dprender::kPointsPerMillimetre);
    c.paper.widthPt = caps.paperWidth * ptX;
    c.paper.heightPt = caps.paperHeight * ptY;
    c.margins = {caps.offsetX * ptX, caps.offsetY * ptY, (caps.paperWidth - caps.offsetX - caps.areaWidth) * ptX,
                 (caps.paperHeight - caps.offsetY - caps.areaHeight) * ptY};
    return c;
}

dprender::DevicePlacement placementFor(const DeviceCaps& caps, const dprender::Sheet& layout) {
    if (caps.dpiX <= 0 || caps.dpiY <= 0 || caps.areaWidth <= 0 || caps.areaHeight <= 0)
        return dprender::onDevice(dprender::ownPlacement(layout), 1, 1);
    const PaperChoice paper = paperOf(caps);
    // The device counts its pixels from the printable area's corner, not the paper's.
    return dprender::onDevice(dprender::fitPage(layout, paper.paper, paper.margins), caps.dpiX / dprender::kPointsPerInch,
                              caps.dpiY / dprender::kPointsPerInch, -caps.offsetX, -caps.offsetY);
}

std::string printPagesOn(HDC printer, const std::string& file, const std::string& title) {
    std::string error;
    const dprender::Fonts* fonts = dprender::Fonts::get(error);
    if (!fonts) return "nothing can be drawn: " + error;
    const dprender::DevicePlacement at = placementFor(capsOf(printer));
    const std::wstring name = platform::widen(title);
    DOCINFOW doc{};
    doc.cbSize = sizeof doc;
    doc.lpszDocName = name.c_str();
    if (StartDocW(printer, &doc) <= 0) return platform::describeSystemError(GetLastError());
    std::string why;
    const auto page = [&](dprender::Page&& p) {
        if (StartPage(printer) <= 0) {
            why = platform::describeSystemError(GetLastError());
            return false;
        }
        dprender::drawPage(printer, p, *fonts, at);
        if (EndPage(printer) <= 0) why = platform::describeSystemError(GetLastError());
        return why.empty();
    };
    if (!dprender::readDrawnPages(file, page, error) && why.empty()) why = error;
    if (!why.empty()) {
        AbortDoc(printer);
        return why;
    }
    if (EndDoc(printer) <= 0) return platform::describeSystemError(GetLastError());
    return {};
}

}  // namespace listout
