// Helpers of the Windows renderer tests: the golden printer files, grey pictures of pages (drawn
// here with GDI, or read from PNG files through GDI+), and files read whole.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "render/draw_gdi.h"

namespace wintest {

std::string sourceFile(const std::string& relative);  // under the source tree
// The fonts pages are drawn with (the test fails when they cannot be had).
const dprender::Fonts& drawingFonts();
std::string readBytes(const std::string& path);
void writeBytes(const std::string& path, const std::string& bytes);

// A folder of its own under the system's temporary folder, removed with its files.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    std::string file(const std::string& name) const { return path_ + "\\" + name; }
    const std::string& path() const { return path_; }
    int count() const;  // the files in it

private:
    std::string path_;
};

// A picture in grey levels, 0 black to 255 white.
struct Gray {
    int width = 0, height = 0;
    std::vector<unsigned char> px;
    int at(int x, int y) const {
        return x < 0 || y < 0 || x >= width || y >= height ? 255 : px[static_cast<std::size_t>(y) * width + x];
    }
    int ink(int x, int y) const { return 255 - at(x, y); }
};

Gray loadPng(const std::string& path);
// The page drawn with GDI on white paper at `dpi`.
Gray drawnPage(const dprender::Page& page, const dprender::Fonts& fonts, double dpi);
// Page `number` (from 1) of a golden printer file, laid out with the drawing fonts.
dprender::Page goldenPage(const std::string& relative, const dprender::Fonts& fonts, int number = 1);

}  // namespace wintest
