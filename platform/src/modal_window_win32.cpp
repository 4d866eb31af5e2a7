#include <vector>

#include "platform/win32_window.h"

namespace platform {
namespace {

struct Waiting {
    HWND except;
    std::vector<HWND> disabled;
};

BOOL CALLBACK disableOne(HWND h, LPARAM p) {
    auto* w = reinterpret_cast<Waiting*>(p);
    if (h != w->except && IsWindowVisible(h) && IsWindowEnabled(h)) {
        EnableWindow(h, FALSE);
        w->disabled.push_back(h);
    }
    return TRUE;
}

bool belongsTo(HWND child, HWND window) { return child == window || IsChild(window, child); }

}  // namespace

void registerWindowClass(const wchar_t* name, WNDPROC proc, HINSTANCE library, const wchar_t* icon) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (GetClassInfoExW(library, name, &wc)) return;
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = proc;
    wc.hInstance = library;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hIcon = icon ? LoadIconW(library, icon) : nullptr;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = name;
    RegisterClassExW(&wc);
}

HWND modalOwner() { return GetActiveWindow(); }

void runModalWindow(HWND window) {
    const HWND before = GetActiveWindow();
    Waiting waiting{window, {}};
    EnumThreadWindows(GetCurrentThreadId(), disableOne, reinterpret_cast<LPARAM>(&waiting));
    ShowWindow(window, SW_SHOWNORMAL);
    SetForegroundWindow(window);
    MSG msg{};
    bool quit = false;
    while (IsWindow(window)) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            quit = true;
            break;
        }
        if (got < 0) break;
        if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE && belongsTo(msg.hwnd, window)) {
            PostMessageW(window, WM_CLOSE, 0, 0);
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    for (HWND h : waiting.disabled)
        if (IsWindow(h)) EnableWindow(h, TRUE);
    if (before && IsWindow(before)) SetForegroundWindow(before);
    if (quit) PostQuitMessage(static_cast<int>(msg.wParam));
    if (IsWindow(window)) DestroyWindow(window);
}

}  // namespace platform
