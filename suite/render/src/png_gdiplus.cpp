// One page as a PNG on Windows: drawn with GDI into a bitmap, encoded by GDI+ into the stream
// of the output file.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <cmath>
#include <cstdio>

#include "render/draw_gdi.h"

namespace dprender {
namespace {

// The output file as the stream GDI+ writes its encoding to.
class FileStream final : public IStream {
public:
    explicit FileStream(std::FILE* f) : f_(f) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (riid == IID_IUnknown || riid == IID_ISequentialStream || riid == IID_IStream) {
            *out = this;
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }  // lives on the caller's stack
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE Read(void*, ULONG, ULONG* read) override {
        if (read) *read = 0;
        return STG_E_ACCESSDENIED;
    }
    HRESULT STDMETHODCALLTYPE Write(const void* data, ULONG size, ULONG* written) override {
        const std::size_t n = std::fwrite(data, 1, size, f_);
        if (written) *written = static_cast<ULONG>(n);
        if (n != size) failed_ = true;
        return n == size ? S_OK : STG_E_MEDIUMFULL;
    }
    HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* now) override {
        const int whence = origin == STREAM_SEEK_SET ? SEEK_SET : origin == STREAM_SEEK_CUR ? SEEK_CUR : SEEK_END;
        if (_fseeki64(f_, move.QuadPart, whence) != 0) return STG_E_INVALIDFUNCTION;
        if (now) now->QuadPart = static_cast<ULONGLONG>(_ftelli64(f_));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Commit(DWORD) override { return std::fflush(f_) == 0 ? S_OK : STG_E_MEDIUMFULL; }
    HRESULT STDMETHODCALLTYPE Revert() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD) override {
        *stat = STATSTG{};
        stat->type = STGTY_STREAM;
        const long long at = _ftelli64(f_);
        _fseeki64(f_, 0, SEEK_END);
        stat->cbSize.QuadPart = static_cast<ULONGLONG>(_ftelli64(f_));
        _fseeki64(f_, at, SEEK_SET);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IStream** out) override {
        *out = nullptr;
        return E_NOTIMPL;
    }

    bool failed() const { return failed_; }

private:
    std::FILE* f_;
    bool failed_ = false;
};

// {557CF406-1A04-11D3-9A73-0000F81EF32E}: GDI+'s PNG encoder.
constexpr CLSID kPngEncoder = {0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};

// A white page drawn into a top-down 24-bit bitmap.
struct PageBitmap {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;
    void* bits = nullptr;
    int width = 0, height = 0, stride = 0;

    PageBitmap(int w, int h) : width(w), height(h), stride((w * 3 + 3) & ~3) {
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = w;
        bi.bmiHeader.biHeight = -h;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 24;
        dc = CreateCompatibleDC(nullptr);
        bitmap = dc ? CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr;
        if (!bitmap) return;
        old = SelectObject(dc, bitmap);
        RECT all{0, 0, w, h};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    ~PageBitmap() {
        if (old) SelectObject(dc, old);
        if (bitmap) DeleteObject(bitmap);
        if (dc) DeleteDC(dc);
    }
    PageBitmap(const PageBitmap&) = delete;
    PageBitmap& operator=(const PageBitmap&) = delete;
};

}  // namespace

bool writePng(const Page& page, const Fonts& fonts, std::FILE* out, double dpi, std::string& error, const Paper& paper,
              const Placement& placement) {
    const double scale = dpi / kPointsPerInch;
    PageBitmap picture(static_cast<int>(std::lround(paper.widthPt * scale)),
                       static_cast<int>(std::lround(paper.heightPt * scale)));
    if (!picture.bitmap) {
        error = "no memory for a picture of the page";
        return false;
    }
    drawPage(picture.dc, page, fonts, onDevice(placement, scale, scale));
    GdiFlush();
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) {
        error = "GDI+ could not be started";
        return false;
    }
    Gdiplus::GpBitmap* image = nullptr;
    FileStream stream(out);
    Gdiplus::Status st = Gdiplus::DllExports::GdipCreateBitmapFromScan0(
        picture.width, picture.height, picture.stride, PixelFormat24bppRGB, static_cast<BYTE*>(picture.bits), &image);
    if (st == Gdiplus::Ok) st = Gdiplus::DllExports::GdipSaveImageToStream(image, &stream, &kPngEncoder, nullptr);
    if (image) Gdiplus::DllExports::GdipDisposeImage(image);
    Gdiplus::GdiplusShutdown(token);
    if (st != Gdiplus::Ok || stream.failed()) {
        error = stream.failed() ? "the PNG could not be written" : "GDI+ could not encode the PNG";
        return false;
    }
    return true;
}

}  // namespace dprender
