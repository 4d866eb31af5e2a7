// Printing the rendered pages through a Windows printer's own driver: each page drawn with GDI
// on the printer's device context, fitted to the printable area of its paper.
#pragma once

#include <windows.h>

#include <string>

#include "render/draw_gdi.h"
#include "render/page_fit.h"

namespace listout {

// What a device context tells about its paper, in its pixels.
struct DeviceCaps {
    int dpiX = 0, dpiY = 0;
    int paperWidth = 0, paperHeight = 0;   // the whole sheet of paper
    int offsetX = 0, offsetY = 0;          // where the printable area starts on it
    int areaWidth = 0, areaHeight = 0;     // the printable area
};
DeviceCaps capsOf(HDC dc);

// Where the sheet goes on the device: fitted into the printable area (page_fit.h), in the
// device's pixels, whose origin is the printable area's top left corner.
dprender::DevicePlacement placementFor(const DeviceCaps& caps, const dprender::Sheet& sheet = {});

// Prints the file's rendered pages on the printer's device context as one document titled
// `title`; why it failed, or empty. A job that fails half way is withdrawn.
std::string printPagesOn(HDC printer, const std::string& file, const std::string& title);

}  // namespace listout
