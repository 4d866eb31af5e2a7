// The help viewer's command on Windows, served by a window of the module's own where the old
// help viewer cannot show the help: the help text, read-only and scrollable, titled with its
// topic, as the terminal's help pager shows it.
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>

#include "help_text.h"
#include "help_window_win32.h"
#include "platform/native_text.h"
#include "platform/win32_window.h"
#include "win32_module.h"

namespace platform {
namespace {

constexpr const wchar_t* kHelpClass = L"VeldroHelpText";
constexpr int kTextId = 100;

std::string directoryOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

std::string moduleDirectory() {
    wchar_t path[MAX_PATH * 4];
    const DWORD n = GetModuleFileNameW(thisModule(), path, static_cast<DWORD>(std::size(path)));
    return n == 0 || n >= std::size(path) ? std::string() : directoryOf(narrow(std::wstring(path, n)));
}

std::string currentDirectory() {
    wchar_t path[MAX_PATH * 4];
    const DWORD n = GetCurrentDirectoryW(static_cast<DWORD>(std::size(path)), path);
    return n == 0 || n >= std::size(path) ? std::string(".") : narrow(std::wstring(path, n));
}

// Whether the old help viewer can be started from here.
bool helpViewerInstalled() {
    wchar_t found[MAX_PATH];
    return SearchPathW(nullptr, L"winhlp32.exe", nullptr, MAX_PATH, found, nullptr) > 0;
}

HFONT textFont() {
    static HFONT font = [] {
        LOGFONTW lf{};
        HDC screen = GetDC(nullptr);
        lf.lfHeight = -MulDiv(10, GetDeviceCaps(screen, LOGPIXELSY), 72);
        ReleaseDC(nullptr, screen);
        lf.lfWeight = FW_NORMAL;
        lf.lfCharSet = DEFAULT_CHARSET;
        lf.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
        wcscpy(lf.lfFaceName, L"Courier New");
        return CreateFontIndirectW(&lf);
    }();
    return font;
}

LRESULT CALLBACK helpProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_SIZE:
            MoveWindow(GetDlgItem(hwnd, kTextId), 0, 0, LOWORD(lp), HIWORD(lp), TRUE);
            return 0;
        case WM_SETFOCUS:
            SetFocus(GetDlgItem(hwnd, kTextId));
            return 0;
        case WM_CTLCOLORSTATIC:  // a read-only box is drawn as static text: keep it paper-white
            SetBkColor(reinterpret_cast<HDC>(wp), GetSysColor(COLOR_WINDOW));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
        default:
            return DefWindowProcW(hwnd, msg, wp, lp);
    }
}

std::wstring joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& l : lines) text += l + "\r\n";
    return widen(text);
}

// A window 84 columns of the text wide and 40 lines high, or as much of the screen as there is.
RECT helpWindowRect() {
    HDC screen = GetDC(nullptr);
    HGDIOBJ old = SelectObject(screen, textFont());
    TEXTMETRICW tm{};
    GetTextMetricsW(screen, &tm);
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);
    RECT r{0, 0, 84 * tm.tmAveCharWidth + GetSystemMetrics(SM_CXVSCROLL), 40 * tm.tmHeight};
    AdjustWindowRectEx(&r, WS_OVERLAPPEDWINDOW, FALSE, WS_EX_TOPMOST);
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int w = std::min<int>(r.right - r.left, work.right - work.left);
    const int h = std::min<int>(r.bottom - r.top, work.bottom - work.top);
    const int x = work.left + (work.right - work.left - w) / 2, y = work.top + (work.bottom - work.top - h) / 2;
    return {x, y, x + w, y + h};
}

}  // namespace

void showHelpWindow(const std::string& title, const std::vector<std::string>& lines) {
    registerWindowClass(kHelpClass, helpProc, thisModule(), L"PROGRAM");
    const RECT r = helpWindowRect();
    // Above the module's dialogs, which stay above other windows.
    HWND window = CreateWindowExW(WS_EX_TOPMOST, kHelpClass, widen(title).c_str(), WS_OVERLAPPEDWINDOW, r.left, r.top,
                                  r.right - r.left, r.bottom - r.top, modalOwner(), nullptr, thisModule(), nullptr);
    if (!window) return;
    RECT area{};
    GetClientRect(window, &area);
    HWND text = CreateWindowExW(0, L"EDIT", joined(lines).c_str(),
                                WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, 0, 0,
                                area.right, area.bottom, window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTextId)),
                                thisModule(), nullptr);
    SendMessageW(text, WM_SETFONT, reinterpret_cast<WPARAM>(textFont()), FALSE);
    SendMessageW(text, EM_SETSEL, 0, 0);
    SetFocus(text);
    runModalWindow(window);
}

std::optional<int> serveHelpCommand(const std::string& commandLine) {
    const std::optional<HelpRequest> request = parseHelpCommand(commandLine);
    if (!request) return std::nullopt;
    const char* env = std::getenv("DP_DATA_DIR");
    const HelpText help = findHelpText(*request, helpSearchDirs(currentDirectory(), env ? env : "", moduleDirectory(), ""));
    // Without the text, an installation that has the old viewer keeps it for its compiled file.
    if (!help.found && helpViewerInstalled()) return std::nullopt;
    showHelpWindow(help.title, help.lines);
    return 0;
}

}  // namespace platform
