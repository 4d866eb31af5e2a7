// The module's own Windows dialogs, seen from outside as a user's tools see them: dphost.exe is
// started without a script, the menu is found by its caption and checked through the window
// tree (the seven buttons, the dialog font and its dialog-unit scale), Asset File Maintenance is
// opened and checked (menu bar with grayed entries, disabled buttons), screenshots of both are
// written, and the menu is left with "E&xit Depreciation"; the host must then end with 0.
//
//   gui_smoke.exe DPHOST CLIENTCODE SHOTDIR
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

int failures = 0;

void check(bool ok, const std::string& what) {
    std::printf("%s %s\n", ok ? "ok  " : "FAIL", what.c_str());
    if (!ok) ++failures;
}

std::wstring widen(const std::string& s) {
    const int n = MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, nullptr, 0);
    std::wstring w(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, w.data(), n);
    w.resize(static_cast<std::size_t>(n > 0 ? n - 1 : 0));
    return w;
}

std::string narrow(const std::wstring& w) {
    const int n = WideCharToMultiByte(CP_ACP, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, w.c_str(), -1, s.data(), n, nullptr, nullptr);
    s.resize(static_cast<std::size_t>(n > 0 ? n - 1 : 0));
    return s;
}

std::string textOf(HWND h) {
    wchar_t buf[512] = {};
    GetWindowTextW(h, buf, 512);
    return narrow(buf);
}

std::string classOf(HWND h) {
    wchar_t buf[64] = {};
    GetClassNameW(h, buf, 64);
    return narrow(buf);
}

HWND waitForWindow(const std::string& caption, int seconds) {
    for (int i = 0; i < seconds * 10; ++i) {
        if (HWND h = FindWindowW(nullptr, widen(caption).c_str()); h && IsWindowVisible(h)) {
            Sleep(700);  // let it paint
            return h;
        }
        Sleep(100);
    }
    return nullptr;
}

std::vector<HWND> children(HWND parent) {
    std::vector<HWND> out;
    for (HWND h = GetWindow(parent, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) out.push_back(h);
    return out;
}

HWND childWithText(HWND parent, const std::string& text) {
    for (HWND h : children(parent))
        if (textOf(h) == text) return h;
    return nullptr;
}

// The whole screen (the Wine desktop) as a 24-bit BMP.
void screenshot(const std::string& path) {
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, h, screen, 0, 0, SRCCOPY);
    SelectObject(mem, old);
    const DWORD stride = static_cast<DWORD>((w * 3 + 3) & ~3);
    BITMAPFILEHEADER fh{};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof bi.bmiHeader;
    fh.bfSize = fh.bfOffBits + stride * static_cast<DWORD>(h);
    if (FILE* f = _wfopen(widen(path).c_str(), L"wb")) {
        std::fwrite(&fh, sizeof fh, 1, f);
        std::fwrite(&bi.bmiHeader, sizeof bi.bmiHeader, 1, f);
        std::fwrite(bits, stride, static_cast<std::size_t>(h), f);
        std::fclose(f);
        std::printf("     screenshot %s\n", path.c_str());
    }
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
}

// The dialog font: what the dialog asked for and what the screen really uses.
void checkDialogFont(HWND dlg) {
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(dlg, WM_GETFONT, 0, 0));
    LOGFONTW lf{};
    check(font && GetObjectW(font, sizeof lf, &lf) != 0, "the dialog has a font");
    check(narrow(lf.lfFaceName) == "MS Sans Serif", "the dialog asks for MS Sans Serif (" + narrow(lf.lfFaceName) + ")");
    HDC dc = GetDC(dlg);
    HGDIOBJ old = SelectObject(dc, font);
    wchar_t face[LF_FACESIZE] = {};
    GetTextFaceW(dc, LF_FACESIZE, face);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(dlg, dc);
    check(narrow(face) == "MS Sans Serif", "the screen draws it in MS Sans Serif (" + narrow(face) + ")");
    check(tm.tmHeight == 13, "8 point at 96 dpi: 13 pixels high (" + std::to_string(tm.tmHeight) + ")");
}

void checkMenu(HWND menu, const std::string& client) {
    check(textOf(menu) == "Depreciation/Amortization Menu (" + client + ")", "caption: " + textOf(menu));
    const char* const want[] = {"&Asset File Maintenance", "Company File &Maintenance", "Depreciation &Report",
                                "Close Current &Period", "Amortization &Schedule", "Print &Form 4562 page 1",
                                "E&xit Depreciation"};
    const int ids[] = {401, 402, 403, 404, 406, 407, 409};
    std::vector<std::string> buttons;
    for (HWND h : children(menu)) {
        const LONG style = GetWindowLongW(h, GWL_STYLE);
        if (classOf(h) == "Button" && (style & BS_TYPEMASK) == BS_PUSHBUTTON) buttons.push_back(textOf(h));
    }
    check(buttons.size() == 7, "seven push buttons (" + std::to_string(buttons.size()) + ")");
    for (int i = 0; i < 7; ++i) {
        HWND b = GetDlgItem(menu, ids[i]);
        check(b && textOf(b) == want[i] && IsWindowEnabled(b), std::to_string(ids[i]) + " " + want[i]);
    }
    checkDialogFont(menu);
    RECT units{0, 0, 340, 250}, area{};
    MapDialogRect(menu, &units);
    GetClientRect(menu, &area);
    check(area.right == units.right && area.bottom == units.bottom,
          "client area 340 x 250 dialog units = " + std::to_string(units.right) + " x " + std::to_string(units.bottom) +
              " pixels (" + std::to_string(area.right) + " x " + std::to_string(area.bottom) + ")");
    HWND heading = GetDlgItem(menu, 104);
    HFONT title = heading ? reinterpret_cast<HFONT>(SendMessageW(heading, WM_GETFONT, 0, 0)) : nullptr;
    LOGFONTW lf{};
    if (title) GetObjectW(title, sizeof lf, &lf);
    check(narrow(lf.lfFaceName) == "Arial" && lf.lfWeight == FW_BOLD && lf.lfHeight == 24,
          "heading 104 in bold Arial 24 (" + narrow(lf.lfFaceName) + ")");
    check((GetWindowLongW(menu, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0, "the menu stays above other windows");
}

void checkMaintenance(HWND dlg) {
    HMENU bar = GetMenu(dlg);
    check(bar && GetMenuItemCount(bar) == 3, "menu bar &File, &Edit, &Help");
    for (int id : {613, 616, 615})
        check(bar && (GetMenuState(bar, static_cast<UINT>(id), MF_BYCOMMAND) & MF_GRAYED), "menu entry " + std::to_string(id) + " grayed");
    check(bar && !(GetMenuState(bar, 612, MF_BYCOMMAND) & MF_GRAYED), "menu entry 612 &Asset File enabled");
    for (int id : {193, 196, 197}) check(!IsWindowEnabled(GetDlgItem(dlg, id)), "button " + std::to_string(id) + " disabled");
    for (int id : {202, 216, 305, 316}) check(!IsWindowEnabled(GetDlgItem(dlg, id)), "box " + std::to_string(id) + " disabled");
    HWND number = GetDlgItem(dlg, 201);
    check(number && (GetWindowLongW(number, GWL_STYLE) & ES_UPPERCASE), "box 201 takes upper case");
    check(GetFocus() == number || GetForegroundWindow() != dlg, "focus on box 201");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: gui_smoke DPHOST CLIENTCODE SHOTDIR\n");
        return 2;
    }
    const std::string client = argv[2], shots = argv[3];
    std::wstring cmd = L"\"" + widen(argv[1]) + L"\" " + widen(client);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        std::printf("FAIL the host cannot be started\n");
        return 1;
    }
    const std::string menuCaption = "Depreciation/Amortization Menu (" + client + ")";
    HWND menu = waitForWindow(menuCaption, 60);
    check(menu != nullptr, "the menu appears");
    if (menu) {
        checkMenu(menu, client);
        screenshot(shots + "\\menu.bmp");
        PostMessageW(GetDlgItem(menu, 401), BM_CLICK, 0, 0);
        HWND maintenance = waitForWindow("Asset File Maintenance  (" + client + ")", 30);
        check(maintenance != nullptr, "Asset File Maintenance appears");
        check(!IsWindowVisible(menu), "the menu is gone while it is open");
        if (maintenance) {
            checkMaintenance(maintenance);
            // A record opened for change, as a user sees it.
            HWND number = GetDlgItem(maintenance, 201);
            SendMessageW(number, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"101"));
            SendMessageW(maintenance, WM_COMMAND, MAKEWPARAM(194, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(maintenance, 194)));
            Sleep(700);
            check(GetDlgItem(maintenance, 201) == nullptr && GetDlgItem(maintenance, 244) != nullptr,
                  "look-up: box 201 replaced by label 244");
            check(textOf(maintenance).find("Change Records 101") != std::string::npos, "caption: " + textOf(maintenance));
            HMENU bar = GetMenu(maintenance);
            check(bar && !(GetMenuState(bar, 616, MF_BYCOMMAND) & MF_GRAYED), "Save Record enabled while editing");
            screenshot(shots + "\\maintenance.bmp");
            PostMessageW(GetDlgItem(maintenance, 197), BM_CLICK, 0, 0);  // &Abort: nothing written
            Sleep(700);
            check(GetDlgItem(maintenance, 201) != nullptr, "abort: box 201 back");
            PostMessageW(GetDlgItem(maintenance, 199), BM_CLICK, 0, 0);  // &Close
            menu = waitForWindow(menuCaption, 30);
            check(menu != nullptr, "the menu is shown again");
        }
        if (menu) {
            PostMessageW(childWithText(menu, "E&xit Depreciation"), BM_CLICK, 0, 0);
        }
    }
    const DWORD waited = WaitForSingleObject(pi.hProcess, 30000);
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    check(waited == WAIT_OBJECT_0 && code == 0, "the host ends with 0 after E&xit Depreciation");
    if (waited != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    std::printf("gui smoke: %d failed\n", failures);
    return failures == 0 ? 0 : 1;
}
