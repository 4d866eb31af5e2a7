#include "render/draw_gdi.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>
#include <vector>

#include "render/cp437.h"
#include "render/run_layout.h"

namespace dprender {
namespace {

// A face of the pages at `height` pixels an em; `width` 0 keeps the face's proportions, otherwise
// it is the average (for fixed pitch: every) character's width. Where the face is missing the
// pitch asked for brings the nearest of its kind.
HFONT fontFor(const std::wstring& face, bool proportional, bool bold, int height, int width) {
    LOGFONTW lf{};
    lf.lfHeight = -height;
    lf.lfWidth = width;
    lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfOutPrecision = OUT_TT_PRECIS;
    lf.lfQuality = ANTIALIASED_QUALITY;
    lf.lfPitchAndFamily = proportional ? (VARIABLE_PITCH | FF_SWISS) : (FIXED_PITCH | FF_MODERN);
    wcsncpy(lf.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    return CreateFontIndirectW(&lf);
}

}  // namespace

struct GdiFontLoader {
    static constexpr int kMeasureEm = 2048;  // the font size the widths are measured at, in pixels

    static int CALLBACK found(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM seen) {
        *reinterpret_cast<bool*>(seen) = true;
        return 0;
    }

    static bool installed(HDC dc, const wchar_t* family) {
        LOGFONTW lf{};
        lf.lfCharSet = DEFAULT_CHARSET;
        wcsncpy(lf.lfFaceName, family, LF_FACESIZE - 1);
        bool seen = false;
        EnumFontFamiliesExW(dc, &lf, found, reinterpret_cast<LPARAM>(&seen), 0);
        return seen;
    }

    // Advance of each code page 437 character in em; false when the face cannot be measured.
    static bool measure(HDC dc, const std::wstring& face, bool proportional, bool bold, std::array<float, 256>& out) {
        HFONT font = fontFor(face, proportional, bold, kMeasureEm, 0);
        if (!font) return false;
        HGDIOBJ old = SelectObject(dc, font);
        bool ok = true;
        for (int c = 0; c < 256 && ok; ++c) {
            const auto u = static_cast<UINT>(cp437ToUnicode(static_cast<unsigned char>(c)));
            ABC abc{};
            INT width = 0;
            if (GetCharABCWidthsW(dc, u, u, &abc)) width = abc.abcA + static_cast<INT>(abc.abcB) + abc.abcC;
            else ok = GetCharWidth32W(dc, u, u, &width) != FALSE;
            out[static_cast<std::size_t>(c)] = static_cast<float>(width) / kMeasureEm;
        }
        SelectObject(dc, old);
        DeleteObject(font);
        return ok;
    }

    static const Fonts* load(std::string& error) {
        HDC dc = CreateCompatibleDC(nullptr);
        if (!dc) {
            error = "no device context to measure the fonts";
            return nullptr;
        }
        auto* fonts = new Fonts();
        // Consolas reads best on screen and paper; Courier New is on every Windows.
        fonts->mono_ = installed(dc, L"Consolas") ? L"Consolas" : L"Courier New";
        fonts->sans_ = L"Arial";
        std::array<float, 256> mono{};
        const bool ok = measure(dc, fonts->mono_, false, false, mono) &&
                        measure(dc, fonts->sans_, true, false, fonts->widths_.regular) &&
                        measure(dc, fonts->sans_, true, true, fonts->widths_.bold);
        DeleteDC(dc);
        if (!ok || mono['0'] <= 0 || fonts->widths_.regular['n'] <= 0) {
            error = "the fonts " + std::string(fonts->mono_ == L"Consolas" ? "Consolas" : "Courier New") +
                    " and Arial cannot be measured";
            delete fonts;
            return nullptr;
        }
        fonts->monoAdvanceEm_ = mono['0'];
        return fonts;
    }
};

const Fonts* Fonts::get(std::string& error) {
    struct Loaded {
        const Fonts* fonts = nullptr;
        std::string error;
    };
    static const Loaded loaded = [] {
        Loaded l;
        l.fonts = GdiFontLoader::load(l.error);
        return l;
    }();
    if (!loaded.fonts) error = loaded.error;
    return loaded.fonts;
}

namespace {

COLORREF colourOf(std::uint32_t rgb) { return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

// The fonts of one page's drawing by face, weight and pixel size; deleted with it.
class FontCache {
public:
    FontCache(const Fonts& fonts) : fonts_(fonts) {}
    ~FontCache() {
        for (auto& [key, font] : made_) DeleteObject(font);
    }
    FontCache(const FontCache&) = delete;
    FontCache& operator=(const FontCache&) = delete;

    // `width` 0: the face's own proportions; otherwise the average (for fixed pitch: every)
    // character's width in pixels.
    HFONT font(bool proportional, bool bold, int height, int width) {
        const auto key = std::make_tuple(proportional, bold, height, width);
        if (auto it = made_.find(key); it != made_.end()) return it->second;
        HFONT f = fontFor(fonts_.face(proportional), proportional, bold, height, width);
        made_[key] = f;
        return f;
    }

private:
    const Fonts& fonts_;
    std::map<std::tuple<bool, bool, int, int>, HFONT> made_;
};

class PageDrawing {
public:
    PageDrawing(HDC dc, const Fonts& fonts, const DevicePlacement& at) : dc_(dc), fonts_(fonts), at_(at), cache_(fonts) {}

    void run(const Run& run) {
        const RunLayout layout = layoutRun(run, fonts_.proportionalWidths(), fonts_.monoAdvanceEm());
        if (!layout.shapes.empty()) shapes(layout, shadedInk(run.style.ink, layout.shapeDensity));
        if (!layout.glyphs.empty()) text(run.style, layout);
    }

private:
    double devX(double x) const { return at_.originX + x * at_.scaleX; }
    double devY(double y) const { return at_.originY + y * at_.scaleY; }

    // Rules keep at least one pixel, however small the scale.
    void shapes(const RunLayout& layout, std::uint32_t ink) {
        HBRUSH brush = CreateSolidBrush(colourOf(ink));
        for (const InkRect& r : layout.shapes) {
            RECT px{static_cast<LONG>(std::lround(devX(r.x))), static_cast<LONG>(std::lround(devY(r.y))),
                    static_cast<LONG>(std::lround(devX(r.x + r.w))), static_cast<LONG>(std::lround(devY(r.y + r.h)))};
            px.right = std::max(px.right, px.left + 1);
            px.bottom = std::max(px.bottom, px.top + 1);
            FillRect(dc_, &px, brush);
        }
        DeleteObject(brush);
    }

    void text(const Style& s, const RunLayout& layout) {
        const int height = std::max(1, static_cast<int>(std::lround(s.points * at_.scaleY)));
        const int width = s.proportional || layout.scaleX >= 1
                              ? 0
                              : std::max(1, static_cast<int>(std::lround(fonts_.monoAdvanceEm() * s.points * layout.scaleX *
                                                                         at_.scaleX)));
        std::wstring chars;
        std::vector<INT> dx;
        std::vector<LONG> xs;
        for (const PlacedGlyph& g : layout.glyphs) {
            chars += static_cast<wchar_t>(cp437ToUnicode(g.c));
            xs.push_back(static_cast<LONG>(std::lround(devX(g.x))));
        }
        for (std::size_t i = 0; i < xs.size(); ++i) dx.push_back(i + 1 < xs.size() ? xs[i + 1] - xs[i] : 0);
        const int y = static_cast<int>(std::lround(devY(layout.baseline)));
        HGDIOBJ oldFont = SelectObject(dc_, cache_.font(s.proportional, s.bold, height, width));
        const auto show = [&] {
            ExtTextOutW(dc_, xs[0], y, 0, nullptr, chars.data(), static_cast<UINT>(chars.size()), dx.data());
        };
        if (s.outline) {
            // Hollow letters: paper-white inside, the outline in the ink.
            SetTextColor(dc_, RGB(255, 255, 255));
            show();
            BeginPath(dc_);
            show();
            EndPath(dc_);
            const int pen = std::max(1, static_cast<int>(std::lround(outlineWidth(s.points) * at_.scaleY)));
            HPEN outline = CreatePen(PS_SOLID, pen, colourOf(s.ink));
            HGDIOBJ oldPen = SelectObject(dc_, outline);
            StrokePath(dc_);
            SelectObject(dc_, oldPen);
            DeleteObject(outline);
        } else {
            SetTextColor(dc_, colourOf(s.ink));
            show();
        }
        SelectObject(dc_, oldFont);
    }

    HDC dc_;
    const Fonts& fonts_;
    DevicePlacement at_;
    FontCache cache_;
};

}  // namespace

void drawPage(HDC dc, const Page& page, const Fonts& fonts, const DevicePlacement& at) {
    const int saved = SaveDC(dc);
    SetBkMode(dc, TRANSPARENT);
    SetTextAlign(dc, TA_BASELINE | TA_LEFT | TA_NOUPDATECP);
    SetMapMode(dc, MM_TEXT);
    {
        PageDrawing drawing(dc, fonts, at);
        for (const Run& run : page.runs) drawing.run(run);
    }
    RestoreDC(dc, saved);
}

}  // namespace dprender
