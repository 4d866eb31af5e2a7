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

dprender::DevicePlacement placementFor(const DeviceCaps& caps, const dprender::Sheet& sheet) {
    if (caps.dpiX <= 0 || caps.dpiY <= 0) return {};
    const double ptX = dprender::kPointsPerInch / caps.dpiX, ptY = dprender::kPointsPerInch / caps.dpiY;
    const dprender::PrintableArea area{caps.offsetX * ptX, caps.offsetY * ptY, caps.areaWidth * ptX,
                                       caps.areaHeight * ptY};
    const dprender::SheetPlacement fit = dprender::fitSheet(sheet, area);
    // Paper points to device pixels: the device counts from the printable area's corner.
    return {fit.originX / ptX - caps.offsetX, fit.originY / ptY - caps.offsetY, fit.scale / ptX, fit.scale / ptY};
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
