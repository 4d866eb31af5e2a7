#include "render_test_support.h"

#include <gtest/gtest.h>
#include <objidl.h>
#include <gdiplus.h>

#include <cmath>
#include <fstream>
#include <sstream>

#include "render/parser.h"

namespace wintest {

std::string sourceFile(const std::string& relative) { return std::string(DP_SOURCE_DIR) + "/" + relative; }

const dprender::Fonts& drawingFonts() {
    std::string error;
    const dprender::Fonts* f = dprender::Fonts::get(error);
    if (!f) ADD_FAILURE() << error;
    return *f;
}

std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

TempFolder::TempFolder() {
    static int made = 0;
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    path_ = std::string(base) + "veldro-render-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++made);
    CreateDirectoryA(path_.c_str(), nullptr);
}

TempFolder::~TempFolder() {
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((path_ + "\\*").c_str(), &found);
    for (BOOL more = h != INVALID_HANDLE_VALUE; more; more = FindNextFileA(h, &found))
        DeleteFileA((path_ + "\\" + found.cFileName).c_str());
    if (h != INVALID_HANDLE_VALUE) FindClose(h);
    RemoveDirectoryA(path_.c_str());
}

int TempFolder::count() const {
    int n = 0;
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((path_ + "\\*").c_str(), &found);
    for (BOOL more = h != INVALID_HANDLE_VALUE; more; more = FindNextFileA(h, &found))
        n += found.cFileName[0] != '.';
    if (h != INVALID_HANDLE_VALUE) FindClose(h);
    return n;
}

namespace {

unsigned char grey(const BYTE* bgr) { return static_cast<unsigned char>((bgr[0] * 29 + bgr[1] * 150 + bgr[2] * 77) >> 8); }

}  // namespace

Gray loadPng(const std::string& path) {
    Gray g;
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return g;
    Gdiplus::GpBitmap* image = nullptr;
    const std::wstring wide(path.begin(), path.end());
    if (Gdiplus::DllExports::GdipCreateBitmapFromFile(wide.c_str(), &image) == Gdiplus::Ok) {
        UINT w = 0, h = 0;
        Gdiplus::DllExports::GdipGetImageWidth(image, &w);
        Gdiplus::DllExports::GdipGetImageHeight(image, &h);
        Gdiplus::GpRect all(0, 0, static_cast<INT>(w), static_cast<INT>(h));
        Gdiplus::BitmapData data{};
        if (Gdiplus::DllExports::GdipBitmapLockBits(image, &all, Gdiplus::ImageLockModeRead, PixelFormat24bppRGB, &data) ==
            Gdiplus::Ok) {
            g.width = static_cast<int>(w);
            g.height = static_cast<int>(h);
            for (UINT y = 0; y < h; ++y) {
                const BYTE* row = static_cast<const BYTE*>(data.Scan0) + static_cast<std::ptrdiff_t>(y) * data.Stride;
                for (UINT x = 0; x < w; ++x) g.px.push_back(grey(row + 3 * x));
            }
            Gdiplus::DllExports::GdipBitmapUnlockBits(image, &data);
        }
        Gdiplus::DllExports::GdipDisposeImage(image);
    }
    Gdiplus::GdiplusShutdown(token);
    return g;
}

Gray drawnPage(const dprender::Page& page, const dprender::Fonts& fonts, double dpi) {
    const dprender::Sheet sheet;
    const double scale = dpi / dprender::kPointsPerInch;
    Gray g;
    g.width = static_cast<int>(std::lround(sheet.widthPt * scale));
    g.height = static_cast<int>(std::lround(sheet.heightPt * scale));
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = g.width;
    bi.bmiHeader.biHeight = -g.height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    HDC dc = CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all{0, 0, g.width, g.height};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    dprender::drawPage(dc, page, fonts, dprender::onDevice(dprender::ownPlacement(), scale, scale));
    GdiFlush();
    const int stride = (g.width * 3 + 3) & ~3;
    for (int y = 0; y < g.height; ++y)
        for (int x = 0; x < g.width; ++x) g.px.push_back(grey(static_cast<const BYTE*>(bits) + y * stride + 3 * x));
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return g;
}

dprender::Page goldenPage(const std::string& relative, const dprender::Fonts& fonts, int number) {
    const std::vector<dprender::Page> pages =
        dprender::parsePages(readBytes(sourceFile("tests/golden/" + relative)), dprender::drawingParseOptions(fonts));
    return static_cast<std::size_t>(number) <= pages.size() ? pages[static_cast<std::size_t>(number - 1)] : dprender::Page{};
}

}  // namespace wintest
