// Printing the rendered pages through a Windows printer's own driver: each page drawn with GDI
// on the printer's device context, fitted to the paper it is set up for and the area of it that
// it prints on, as every page is fitted to its paper (render/paper.h).
#pragma once

#include <windows.h>

#include <string>

#include "paper_choice.h"
#include "render/draw_gdi.h"

namespace listout {

// What a device context tells about its paper, in its pixels.
struct DeviceCaps {
    int dpiX = 0, dpiY = 0;
    int paperWidth = 0, paperHeight = 0;   // the whole sheet of paper
    int offsetX = 0, offsetY = 0;          // where the printable area starts on it
    int areaWidth = 0, areaHeight = 0;     // the printable area
};
DeviceCaps capsOf(HDC dc);

// The device's paper in points, the edges outside its printable area as its margins.
PaperChoice paperOf(const DeviceCaps& caps);

// Where the printer's page goes on the device: fitted to its paper inside its margins, in the
// device's pixels, whose origin is the printable area's top left corner. A device that tells
// nothing of its paper gets the page as on Letter, a pixel a point.
dprender::DevicePlacement placementFor(const DeviceCaps& caps, const dprender::Sheet& layout = {});

// Prints the file's rendered pages on the printer's device context as one document titled
// `title`; why it failed, or empty. A job that fails half way is withdrawn.
std::string printPagesOn(HDC printer, const std::string& file, const std::string& title);

}  // namespace listout
