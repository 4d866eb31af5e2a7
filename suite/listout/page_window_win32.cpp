#include "page_window_win32.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "platform/native_text.h"
#include "platform/win32_window.h"
#include "render/page_view.h"

namespace listout {
namespace {

constexpr const wchar_t* kPageClass = L"VeldroPages";
constexpr COLORREF kDesk = RGB(128, 128, 128);

HINSTANCE thisLibrary() {
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&thisLibrary), &self);
    return self;
}

struct Viewer {
    std::string title;
    const std::vector<dprender::Page>* pages = nullptr;
    const dprender::Fonts* fonts = nullptr;
    PaperChoice paper;
    dprender::Placement placement;  // the printer's page on the paper
    dprender::PageViewState state;
    int width = 0, height = 0;  // the client area
};

Viewer* viewerOf(HWND hwnd) { return reinterpret_cast<Viewer*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)); }

std::string captionOf(const Viewer& v) {
    return v.title + " - Page " + std::to_string(v.state.page + 1) + " of " + std::to_string(v.state.pages) +
           "   (PgUp/PgDn pages, arrows scroll, +/- zoom, Esc closes)";
}

void showScrollBar(HWND hwnd, int bar, int position, int range, int pageSize) {
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    // Always shown (greyed when there is nothing to scroll), so the window's width never
    // changes with the picture's.
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
    si.nMin = 0;
    si.nMax = range > 0 ? range + pageSize - 1 : 0;
    si.nPage = static_cast<UINT>(range > 0 ? pageSize : 0);
    si.nPos = position;
    SetScrollInfo(hwnd, bar, &si, TRUE);
}

// The window follows the state: caption, scroll bars, picture.
void update(HWND hwnd, Viewer& v) {
    v.state = dprender::clampView(v.state, v.width, v.height, v.paper.paper);
    const dprender::ViewGeometry g = dprender::viewGeometry(v.state, v.width, v.height, v.paper.paper);
    SetWindowTextW(hwnd, platform::widen(captionOf(v)).c_str());
    showScrollBar(hwnd, SB_VERT, v.state.scrollY, g.maxScrollY, v.height);
    showScrollBar(hwnd, SB_HORZ, v.state.scrollX, g.maxScrollX, v.width);
    InvalidateRect(hwnd, nullptr, FALSE);
}

// The sheet on grey, drawn off screen and shown in one step.
void paint(HWND hwnd, const Viewer& v) {
    PAINTSTRUCT ps;
    HDC screen = BeginPaint(hwnd, &ps);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, std::max(1, v.width), std::max(1, v.height));
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all{0, 0, v.width, v.height};
    HBRUSH desk = CreateSolidBrush(kDesk);
    FillRect(dc, &all, desk);
    DeleteObject(desk);
    const dprender::ViewGeometry g = dprender::viewGeometry(v.state, v.width, v.height, v.paper.paper);
    RECT sheet{g.sheetX, g.sheetY, g.sheetX + g.sheetWidth, g.sheetY + g.sheetHeight};
    RECT shadow{sheet.left + 3, sheet.top + 3, sheet.right + 3, sheet.bottom + 3};
    FillRect(dc, &shadow, static_cast<HBRUSH>(GetStockObject(DKGRAY_BRUSH)));
    FillRect(dc, &sheet, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    if (!v.pages->empty())
        dprender::drawPage(dc, (*v.pages)[static_cast<std::size_t>(v.state.page)], *v.fonts,
                           dprender::onDevice(v.placement, g.scale, g.scale, g.sheetX, g.sheetY));
    BitBlt(screen, 0, 0, v.width, v.height, dc, 0, 0, SRCCOPY);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    EndPaint(hwnd, &ps);
}

std::optional<dprender::ViewKey> keyOf(WPARAM key) {
    using dprender::ViewKey;
    switch (key) {
        case VK_NEXT:
        case VK_SPACE: return ViewKey::NextPage;
        case VK_PRIOR:
        case VK_BACK: return ViewKey::PreviousPage;
        case VK_HOME: return ViewKey::FirstPage;
        case VK_END: return ViewKey::LastPage;
        case VK_UP: return ViewKey::Up;
        case VK_DOWN: return ViewKey::Down;
        case VK_LEFT: return ViewKey::Left;
        case VK_RIGHT: return ViewKey::Right;
        case VK_ADD:
        case VK_OEM_PLUS: return ViewKey::ZoomIn;
        case VK_SUBTRACT:
        case VK_OEM_MINUS: return ViewKey::ZoomOut;
        case 'W':
        case '0':
        case VK_NUMPAD0: return ViewKey::FitWidth;
        default: return std::nullopt;
    }
}

// A scroll bar's request: the new position, from the old one.
int scrolled(HWND hwnd, int bar, WPARAM request, int position, int line, int page) {
    switch (LOWORD(request)) {
        case SB_LINEUP: return position - line;
        case SB_LINEDOWN: return position + line;
        case SB_PAGEUP: return position - page;
        case SB_PAGEDOWN: return position + page;
        case SB_TOP: return 0;
        case SB_BOTTOM: return 1 << 30;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: {
            SCROLLINFO si{};
            si.cbSize = sizeof si;
            si.fMask = SIF_TRACKPOS;
            GetScrollInfo(hwnd, bar, &si);
            return si.nTrackPos;
        }
        default: return position;
    }
}

LRESULT CALLBACK pageProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE)
        SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
    Viewer* v = viewerOf(hwnd);
    if (!v) return DefWindowProcW(hwnd, msg, wp, lp);
    switch (msg) {
        case WM_SIZE:
            v->width = LOWORD(lp);
            v->height = HIWORD(lp);
            update(hwnd, *v);
            return 0;
        case WM_KEYDOWN:
            if (const auto key = keyOf(wp)) {
                v->state = dprender::applyViewKey(v->state, *key, v->width, v->height, v->paper.paper);
                update(hwnd, *v);
                return 0;
            }
            break;
        case WM_MOUSEWHEEL: {
            const int notches = GET_WHEEL_DELTA_WPARAM(wp) / WHEEL_DELTA;
            for (int i = 0; i < std::abs(notches); ++i)
                v->state = dprender::applyViewKey(v->state, notches > 0 ? dprender::ViewKey::Up : dprender::ViewKey::Down,
                                                  v->width, v->height, v->paper.paper);
            update(hwnd, *v);
            return 0;
        }
        case WM_VSCROLL:
            v->state.scrollY = scrolled(hwnd, SB_VERT, wp, v->state.scrollY, v->height / 10, v->height);
            update(hwnd, *v);
            return 0;
        case WM_HSCROLL:
            v->state.scrollX = scrolled(hwnd, SB_HORZ, wp, v->state.scrollX, v->width / 10, v->width);
            update(hwnd, *v);
            return 0;
        case WM_ERASEBKGND: return 1;  // the painting covers it all
        case WM_PAINT:
            paint(hwnd, *v);
            return 0;
        default: break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

// Nine tenths of the work area's height and a little wider than high (the condensed print of
// the report reads at that width; the page scrolls), in the middle.
RECT pageWindowRect() {
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int h = (work.bottom - work.top) * 9 / 10;
    const int w = std::min<int>((work.right - work.left) * 9 / 10, h * 11 / 10);
    const int x = work.left + (work.right - work.left - w) / 2, y = work.top + (work.bottom - work.top - h) / 2;
    return {x, y, x + w, y + h};
}

}  // namespace

void showPagesWindow(const std::string& heading, const std::vector<dprender::Page>& pages, const dprender::Fonts& fonts,
                     const PaperChoice& paper) {
    platform::registerWindowClass(kPageClass, pageProc, thisLibrary());
    Viewer v;
    v.title = heading;
    v.pages = &pages;
    v.fonts = &fonts;
    v.paper = paper;
    v.placement = dprender::fitPage(dprender::Sheet{}, paper.paper, paper.margins);
    v.state.pages = static_cast<int>(pages.size());
    const RECT r = pageWindowRect();
    // Above the module's dialogs, which stay above other windows.
    HWND window = CreateWindowExW(WS_EX_TOPMOST, kPageClass, platform::widen(captionOf(v)).c_str(),
                                  WS_OVERLAPPEDWINDOW | WS_VSCROLL | WS_HSCROLL, r.left, r.top, r.right - r.left,
                                  r.bottom - r.top, platform::modalOwner(), nullptr, thisLibrary(), &v);
    if (!window) return;
    platform::runModalWindow(window);
}

}  // namespace listout
