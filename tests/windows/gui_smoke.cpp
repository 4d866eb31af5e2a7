// The module's own Windows dialogs, seen as a user and the suite's host see them, under Wine:
//
// 1. dphost.exe, started as a user starts it: for a client directory that does not exist it
//    asks first (No ends it with 5 and creates nothing, Yes makes it and opens the menu); for
//    the sample client the menu opens with its caption, its seven buttons and its size in
//    dialog units of the dialog font, stays on top, and "E&xit Depreciation" ends the host
//    with 0.
// 2. VELDRO.dll loaded into this program, DPMENU called on a thread of its own as the suite's
//    host calls it, so that the window tree can be read to the last detail (fonts and menus
//    belong to the process that made them): the dialog font and its scale, the heading font,
//    Asset File Maintenance with its menu bar, grayed entries, disabled buttons and focus, Tab
//    in the order of the screen before and after the number box is made anew, Enter and Esc, a
//    record looked up and abandoned; screenshots of the menu and of the open record; DPMENU
//    returns 0 after "E&xit Depreciation".
// 3. What a user reads there: the help entry opens the module's own help window (read-only,
//    scrollable, its topic in the caption, the dialog waiting until Esc closes it); the
//    depreciation report printed to "Screen" opens the page window, whose pages turn with PgDn;
//    printed to "PDF file" it asks for the name in the Save As dialog and writes the PDF whole;
//    a client's books are refused as that name, and an existing file is replaced only when the
//    user says so (No the default).
//    Screenshots of the help window, the printer choice and the page window.
//
//   gui_smoke.exe BINDIR CLIENTCODE SHOTDIR     (run in the folder that holds the client)
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "suite_host.h"

namespace {

int failures = 0;

void check(bool ok, const std::string& what) {
    std::printf("%s %s\n", ok ? "ok  " : "FAIL", what.c_str());
    std::fflush(stdout);
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

// A visible top-level window with this caption, once it has had time to paint.
HWND waitForWindow(const std::string& caption, int seconds) {
    for (int i = 0; i < seconds * 10; ++i) {
        if (HWND h = FindWindowW(nullptr, widen(caption).c_str()); h && IsWindowVisible(h)) {
            Sleep(700);
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

void click(HWND dialog, int id) { PostMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

// The window and a margin of the desktop around it, as a 24-bit BMP.
void screenshot(HWND window, const std::string& path) {
    RECT r{};
    GetWindowRect(window, &r);
    const int margin = 12;
    const int x = r.left > margin ? r.left - margin : 0, y = r.top > margin ? r.top - margin : 0;
    const int w = r.right - r.left + 2 * margin, h = r.bottom - r.top + 2 * margin;
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
    BitBlt(mem, 0, 0, w, h, screen, x, y, SRCCOPY);
    SelectObject(mem, old);
    const DWORD stride = static_cast<DWORD>((w * 3 + 3) & ~3);
    BITMAPFILEHEADER fh{};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof bi.bmiHeader;
    fh.bfSize = fh.bfOffBits + stride * static_cast<DWORD>(h);
    FILE* f = _wfopen(widen(path).c_str(), L"wb");
    check(f && bits, "screenshot " + path);
    if (f) {
        std::fwrite(&fh, sizeof fh, 1, f);
        std::fwrite(&bi.bmiHeader, sizeof bi.bmiHeader, 1, f);
        if (bits) std::fwrite(bits, stride, static_cast<std::size_t>(h), f);
        std::fclose(f);
    }
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
}

// What 8-point MS Sans Serif gives as dialog base units here: the average width of the
// alphabet and the character height, as Windows computes them for a dialog.
SIZE expectedBaseUnits() {
    HDC dc = GetDC(nullptr);
    LOGFONTW lf{};
    lf.lfHeight = -MulDiv(8, GetDeviceCaps(dc, LOGPIXELSY), 72);
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    wcscpy(lf.lfFaceName, L"MS Sans Serif");
    HFONT font = CreateFontIndirectW(&lf);
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    SIZE alphabet{};
    GetTextExtentPoint32W(dc, L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &alphabet);
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(nullptr, dc);
    return {(alphabet.cx / 26 + 1) / 2, tm.tmHeight};
}

// ---- 1. dphost.exe as a user starts it ------------------------------------------------------

struct Started {
    HANDLE process = nullptr;
    DWORD exitCode = 259;
};

HANDLE startHost(const std::string& bin, const std::string& client) {
    std::wstring cmd = L"\"" + widen(bin + "\\dphost.exe") + L"\" " + widen(client);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return nullptr;
    CloseHandle(pi.hThread);
    return pi.hProcess;
}

DWORD waitForExit(HANDLE process) {
    DWORD code = 259;
    if (WaitForSingleObject(process, 30000) != WAIT_OBJECT_0) TerminateProcess(process, 99);
    else GetExitCodeProcess(process, &code);
    CloseHandle(process);
    return code;
}

void hostAsksBeforeItCreatesAClient(const std::string& bin) {
    const std::string missing = "NOSUCHCLIENT";
    HANDLE host = startHost(bin, missing);
    check(host != nullptr, "dphost.exe starts");
    if (!host) return;
    HWND box = waitForWindow("dphost", 60);
    check(box && classOf(box) == "#32770", "dphost.exe asks about a client directory that does not exist");
    if (box) {
        std::string text;
        for (HWND h : children(box)) text += textOf(h) + "|";
        check(text.find("does not exist.") != std::string::npos && text.find("&No") != std::string::npos,
              "the question: " + text);
        click(box, IDNO);
    }
    check(waitForExit(host) == 5, "No ends the host with 5");
    check(GetFileAttributesW(widen(missing).c_str()) == INVALID_FILE_ATTRIBUTES, "and creates nothing");
    // Yes makes the new, empty client and opens its menu.
    host = startHost(bin, missing);
    box = host ? waitForWindow("dphost", 60) : nullptr;
    if (box) click(box, IDYES);
    HWND menu = box ? waitForWindow("Depreciation/Amortization Menu (" + missing + ")", 60) : nullptr;
    check(menu != nullptr, "Yes opens the new client's menu");
    if (menu) PostMessageW(childWithText(menu, "E&xit Depreciation"), BM_CLICK, 0, 0);
    if (host) check(waitForExit(host) == 0, "and the host ends with 0");
    const DWORD made = GetFileAttributesW(widen(missing).c_str());
    check(made != INVALID_FILE_ATTRIBUTES && (made & FILE_ATTRIBUTE_DIRECTORY), "the client directory was made");
}

void checkMenuFromOutside(HWND menu, const std::string& client) {
    check(textOf(menu) == "Depreciation/Amortization Menu (" + client + ")", "caption: " + textOf(menu));
    const char* const want[] = {"&Asset File Maintenance", "Company File &Maintenance", "Depreciation &Report",
                                "Close Current &Period", "Amortization &Schedule", "Print &Form 4562 page 1",
                                "E&xit Depreciation"};
    const int ids[] = {401, 402, 403, 404, 406, 407, 409};
    int buttons = 0;
    for (HWND h : children(menu))
        if (classOf(h) == "Button" && (GetWindowLongW(h, GWL_STYLE) & BS_TYPEMASK) <= BS_DEFPUSHBUTTON) ++buttons;
    check(buttons == 7, "seven push buttons (" + std::to_string(buttons) + ")");
    for (int i = 0; i < 7; ++i) {
        HWND b = GetDlgItem(menu, ids[i]);
        check(b && textOf(b) == want[i] && IsWindowEnabled(b), std::to_string(ids[i]) + " " + want[i]);
    }
    // 340 x 250 dialog units in the dialog font: the font is MS Sans Serif 8 if the sizes agree.
    const SIZE base = expectedBaseUnits();
    RECT area{};
    GetClientRect(menu, &area);
    const long w = MulDiv(340, base.cx, 4), h = MulDiv(250, base.cy, 8);
    check(area.right == w && area.bottom == h, "client area " + std::to_string(area.right) + " x " +
                                                   std::to_string(area.bottom) + " pixels = 340 x 250 dialog units of MS Sans Serif 8 (" +
                                                   std::to_string(w) + " x " + std::to_string(h) + ")");
    check((GetWindowLongW(menu, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0, "the menu stays above other windows");
}

void hostShowsTheMenuAndLeaves(const std::string& bin, const std::string& client) {
    HANDLE host = startHost(bin, client);
    check(host != nullptr, "dphost.exe starts");
    if (!host) return;
    const std::string caption = "Depreciation/Amortization Menu (" + client + ")";
    HWND menu = waitForWindow(caption, 60);
    check(menu != nullptr, "dphost.exe shows the menu");
    if (menu) {
        checkMenuFromOutside(menu, client);
        PostMessageW(childWithText(menu, "E&xit Depreciation"), BM_CLICK, 0, 0);
    }
    check(waitForExit(host) == 0, "E&xit Depreciation ends the host with 0");
}

// ---- 2. DPMENU in this process --------------------------------------------------------------

struct Call {
    DpmenuFunction dpmenu = nullptr;
    std::string client;
    int result = -1;
};

DWORD WINAPI callDpmenu(void* p) {
    auto* call = static_cast<Call*>(p);
    const char* code = call->client.c_str();
    call->result = call->dpmenu(&code);
    return 0;
}

LOGFONTW fontOf(HWND h) {
    LOGFONTW lf{};
    if (HFONT f = reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0))) GetObjectW(f, sizeof lf, &lf);
    return lf;
}

void checkDialogFont(HWND dlg) {
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(dlg, WM_GETFONT, 0, 0));
    const LOGFONTW lf = fontOf(dlg);
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
    RECT units{0, 0, 340, 250}, area{};
    MapDialogRect(dlg, &units);
    GetClientRect(dlg, &area);
    check(area.right == units.right && area.bottom == units.bottom,
          "the client area is 340 x 250 dialog units (" + std::to_string(area.right) + " x " +
              std::to_string(area.bottom) + " pixels)");
}

void checkMenuFromInside(HWND menu) {
    checkDialogFont(menu);
    const LOGFONTW heading = fontOf(GetDlgItem(menu, 104));
    check(narrow(heading.lfFaceName) == "Arial" && heading.lfWeight == FW_BOLD && heading.lfHeight == 24 &&
              heading.lfWidth == 12,
          "heading 104 in bold Arial 24 x 12 (" + narrow(heading.lfFaceName) + ")");
    check(fontOf(GetDlgItem(menu, 102)).lfWeight == FW_BOLD, "its shadow 102 in the same font");
}

HWND focusOf(DWORD thread) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

void checkMaintenanceIdle(HWND dlg, DWORD thread) {
    HMENU bar = GetMenu(dlg);
    check(bar && GetMenuItemCount(bar) == 3, "menu bar &File, &Edit, &Help");
    for (int id : {613, 616, 615})
        check(bar && (GetMenuState(bar, static_cast<UINT>(id), MF_BYCOMMAND) & MF_GRAYED),
              "menu entry " + std::to_string(id) + " grayed");
    check(bar && !(GetMenuState(bar, 612, MF_BYCOMMAND) & MF_GRAYED), "menu entry 612 &Asset File enabled");
    for (int id : {193, 196, 197}) check(!IsWindowEnabled(GetDlgItem(dlg, id)), "button " + std::to_string(id) + " disabled");
    for (int id : {202, 216, 305, 316}) check(!IsWindowEnabled(GetDlgItem(dlg, id)), "box " + std::to_string(id) + " disabled");
    HWND number = GetDlgItem(dlg, 201);
    check(number && (GetWindowLongW(number, GWL_STYLE) & ES_UPPERCASE), "box 201 takes upper case");
    check(focusOf(thread) == number, "focus on box 201");
}

// The controls Tab visits from `from` on, by ID.
std::vector<int> tabStops(HWND dlg, HWND from, int count) {
    std::vector<int> ids;
    for (HWND h = from; count-- > 0;) {
        h = GetNextDlgTabItem(dlg, h, FALSE);
        ids.push_back(h ? GetDlgCtrlID(h) : 0);
    }
    return ids;
}

std::string idList(const std::vector<int>& ids) {
    std::string s;
    for (int id : ids) s += (s.empty() ? "" : " ") + std::to_string(id);
    return s;
}

void press(HWND h, UINT key) {
    PostMessageW(h, WM_KEYDOWN, key, 0);
    PostMessageW(h, WM_KEYUP, key, 0);
    Sleep(700);
}

// The keyboard: Tab follows the screen (box 201, OK, the About button, &Close) before and after
// box 201 is made anew; Enter in box 201 looks the asset up and in a box of the record goes on to
// the next box; Esc with unsaved typing asks first, and Enter there goes back to the record.
void keysOfTheMaintenance(HWND dlg, DWORD thread) {
    const std::vector<int> screenOrder = {194, 161, 199, 201};
    check(textOf(GetDlgItem(dlg, 161)) == "About", "the bitmap button says what it does: " + textOf(GetDlgItem(dlg, 161)));
    check(tabStops(dlg, GetDlgItem(dlg, 201), 4) == screenOrder,
          "Tab from box 201: " + idList(tabStops(dlg, GetDlgItem(dlg, 201), 4)));
    HWND number = GetDlgItem(dlg, 201);
    SendMessageW(number, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"101"));
    press(number, VK_RETURN);
    check(textOf(dlg).find("Change Records 101") != std::string::npos, "Enter in box 201 looks 101 up: " + textOf(dlg));
    check(focusOf(thread) == GetDlgItem(dlg, 202), "the description has the focus");
    press(GetDlgItem(dlg, 202), VK_RETURN);
    check(focusOf(thread) == GetDlgItem(dlg, 203), "Enter in the description goes on to Date Acquired");
    const std::wstring description = widen(textOf(GetDlgItem(dlg, 202)));
    SendMessageW(GetDlgItem(dlg, 202), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Typed, not saved"));
    press(GetDlgItem(dlg, 203), VK_ESCAPE);
    HWND question = waitForWindow("Save Asset Record", 30);
    check(question != nullptr, "Esc with unsaved typing asks first");
    if (question) press(question, VK_RETURN);
    check(IsWindow(dlg) && textOf(GetDlgItem(dlg, 202)) == "Typed, not saved", "Enter there goes back to the record");
    // Saved as it was: box 201 is made anew, and Tab goes the same way round.
    SendMessageW(GetDlgItem(dlg, 202), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(description.c_str()));
    click(dlg, 196);  // &Save
    Sleep(700);
    check(tabStops(dlg, GetDlgItem(dlg, 201), 4) == screenOrder,
          "Tab from the box made anew: " + idList(tabStops(dlg, GetDlgItem(dlg, 201), 4)));
}

// Looks up asset 101 as a user would, checks the open record, takes the screenshot, abandons it.
void openRecordAndAbort(HWND dlg, const std::string& shots) {
    HWND number = GetDlgItem(dlg, 201);
    SendMessageW(number, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"101"));
    click(dlg, 194);
    Sleep(700);
    check(GetDlgItem(dlg, 201) == nullptr && GetDlgItem(dlg, 244) != nullptr, "look-up: box 201 replaced by label 244");
    check(textOf(dlg).find("Change Records 101") != std::string::npos, "caption: " + textOf(dlg));
    HMENU bar = GetMenu(dlg);
    check(bar && !(GetMenuState(bar, 616, MF_BYCOMMAND) & MF_GRAYED), "Save Record enabled while editing");
    check(textOf(GetDlgItem(dlg, 202)).rfind("Cash register", 0) == 0, "the record's description: " + textOf(GetDlgItem(dlg, 202)));
    screenshot(dlg, shots + "\\maintenance.bmp");
    click(dlg, 197);  // &Abort: nothing written
    Sleep(700);
    check(GetDlgItem(dlg, 201) != nullptr, "abort: box 201 back");
}

// Boxes take no more than their fields (EM_LIMITTEXT), and "Are you Sure ?" has No as its default
// button: Enter there deletes nothing.
void limitsAndTheSafeDefault(HWND dlg) {
    HWND number = GetDlgItem(dlg, 201);
    check(number && SendMessageW(number, EM_GETLIMITTEXT, 0, 0) == 6, "box 201 takes 6 characters");
    SendMessageW(number, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"101"));
    click(dlg, 194);
    Sleep(700);
    const struct {
        int id;
        LRESULT limit;
    } limits[] = {{202, 35}, {203, 10}, {205, 4}, {207, 1}, {316, 6}};
    for (const auto& l : limits)
        check(SendMessageW(GetDlgItem(dlg, l.id), EM_GETLIMITTEXT, 0, 0) == l.limit,
              "box " + std::to_string(l.id) + " is limited to " + std::to_string(l.limit));
    click(dlg, 193);  // Delete
    HWND question = waitForWindow("Delete Asset Record", 30);
    check(question != nullptr, "Delete asks first");
    if (!question) return;
    HWND no = GetDlgItem(question, IDNO);
    const LONG style = no ? GetWindowLongW(no, GWL_STYLE) : 0;
    check((style & BS_TYPEMASK) == BS_DEFPUSHBUTTON, "No is the default button of \"Are you Sure ?\" (style " +
                                                         std::to_string(style & BS_TYPEMASK) + ")");
    PostMessageW(question, WM_KEYDOWN, VK_RETURN, 0);
    PostMessageW(question, WM_KEYUP, VK_RETURN, 0);
    Sleep(700);
    check(!IsWindow(question), "Enter answers the question");
    number = GetDlgItem(dlg, 201);
    check(number != nullptr, "the edit is closed");
    if (!number) return;
    SendMessageW(number, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"101"));
    click(dlg, 194);
    Sleep(700);
    check(textOf(GetDlgItem(dlg, 202)).rfind("Cash register", 0) == 0, "101 is not deleted: " + textOf(GetDlgItem(dlg, 202)));
    click(dlg, 197);  // &Abort
    Sleep(700);
}

// ---- 3. the help window and the printed pages --------------------------------------------------

HWND waitForClass(const wchar_t* windowClass, int seconds) {
    for (int i = 0; i < seconds * 10; ++i) {
        if (HWND h = FindWindowW(windowClass, nullptr); h && IsWindowVisible(h)) {
            Sleep(700);
            return h;
        }
        Sleep(100);
    }
    return nullptr;
}

bool waitUntilGone(HWND h, int seconds) {
    for (int i = 0; i < seconds * 10 && IsWindow(h); ++i) Sleep(100);
    return !IsWindow(h);
}

void pressKey(HWND h, WPARAM key) { PostMessageW(h, WM_KEYDOWN, key, 0); }

void helpOpensInItsOwnWindow(HWND maintenance, const std::string& shots) {
    PostMessageW(maintenance, WM_COMMAND, 701, 0);  // &Help > &Contents - Processing
    HWND help = waitForWindow("FIXED ASSETS: DEPRECIATION AND AMORTIZATION - PROCESSING", 30);
    check(help != nullptr, "the help entry opens the module's help window, titled with its topic");
    if (!help) return;
    HWND text = FindWindowExW(help, nullptr, L"Edit", nullptr);
    const LONG style = text ? GetWindowLongW(text, GWL_STYLE) : 0;
    check(text && (style & ES_READONLY) && (style & ES_MULTILINE) && (style & WS_VSCROLL),
          "its text is read-only, several lines, with a scroll bar");
    wchar_t start[64] = {};
    if (text) GetWindowTextW(text, start, 64);
    // The heading is the window's title; the text starts with what follows it.
    check(narrow(start).rfind("This topic walks through", 0) == 0, "the topic's text: " + narrow(start));
    check(!IsWindowEnabled(maintenance), "Asset File Maintenance waits while the help is open");
    screenshot(help, shots + "\\help.bmp");
    pressKey(text ? text : help, VK_ESCAPE);
    check(waitUntilGone(help, 10), "Esc closes the help window");
    Sleep(300);
    check(IsWindowEnabled(maintenance), "and Asset File Maintenance takes input again");
}

// The depreciation report of the sample's fiscal year, up to the printer choice.
HWND printTheReport(HWND menu) {
    click(menu, 403);
    HWND options = waitForWindow("Depreciation Report", 30);
    check(options != nullptr, "the report's options");
    if (!options) return nullptr;
    SendMessageW(GetDlgItem(options, 201), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"12/31/04"));
    click(options, 301);
    HWND choice = waitForWindow("Select Printer", 60);
    check(choice != nullptr, "the printer choice");
    return choice;
}

void choose(HWND choice, const wchar_t* device) {
    HWND list = GetDlgItem(choice, 201);
    const LRESULT at = SendMessageW(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(device));
    check(at != LB_ERR, "the printer choice offers " + narrow(device));
    SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(at), 0);
    SendMessageW(choice, WM_COMMAND, MAKEWPARAM(201, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    Sleep(300);
}

HWND reportOnTheScreen(HWND menu, const std::string& caption, const std::string& shots) {
    HWND choice = printTheReport(menu);
    if (!choice) return nullptr;
    choose(choice, L"Screen");
    screenshot(choice, shots + "\\select-printer.bmp");
    click(choice, 301);
    HWND view = waitForClass(L"VeldroPages", 60);
    check(view != nullptr, "Screen opens the page window");
    if (view) {
        // Titled for what it shows, on the paper of the user's locale.
        const auto titled = [&](const char* page) {
            const std::string c = textOf(view);
            return c.rfind("Depreciation Report - SAMPLE (", 0) == 0 && c.find(std::string(") - ") + page) != std::string::npos;
        };
        check(titled("Page 1 of 2"), "caption: " + textOf(view));
        screenshot(view, shots + "\\screen.bmp");
        pressKey(view, VK_NEXT);
        Sleep(500);
        check(titled("Page 2 of 2"), "PgDn turns to page 2: " + textOf(view));
        pressKey(view, VK_ESCAPE);
        check(waitUntilGone(view, 10), "Esc closes the page window");
    }
    menu = waitForWindow(caption, 30);
    check(menu != nullptr, "the menu is shown again after the report");
    return menu;
}

// The Save As dialog's file name box: its one visible edit box, however deep it sits.
BOOL CALLBACK firstEdit(HWND h, LPARAM found) {
    if (classOf(h) != "Edit" || !IsWindowVisible(h)) return TRUE;
    *reinterpret_cast<HWND*>(found) = h;
    return FALSE;
}

HWND fileNameBox(HWND dialog) {
    HWND found = nullptr;
    EnumChildWindows(dialog, firstEdit, reinterpret_cast<LPARAM>(&found));
    return found;
}

// The Save As dialog of "PDF file", answered with a name.
void saveAs(const std::wstring& name) {
    HWND saveAs = waitForWindow("Save the PDF file as", 30);
    check(saveAs != nullptr, "PDF file asks for the name in the Save As dialog");
    if (!saveAs) return;
    HWND box = fileNameBox(saveAs);
    check(box != nullptr, "the Save As dialog's file name box");
    if (box) SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
    PostMessageW(saveAs, WM_COMMAND, IDOK, 0);
}

std::string readAll(const std::wstring& path) {
    FILE* f = _wfopen(path.c_str(), L"rb");
    std::string bytes;
    if (f) {
        char buf[65536];
        for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) bytes.append(buf, n);
        std::fclose(f);
    }
    return bytes;
}

std::wstring inCurrentFolder(const std::wstring& name) {
    wchar_t here[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, here);
    return std::wstring(here) + L"\\" + name;
}

HWND reportAsPdf(HWND menu, const std::string& caption) {
    HWND choice = printTheReport(menu);
    if (!choice) return nullptr;
    const std::wstring pdf = inCurrentFolder(L"report-saved.pdf");
    DeleteFileW(pdf.c_str());
    choose(choice, L"PDF file");
    click(choice, 301);
    saveAs(pdf);
    menu = waitForWindow(caption, 60);
    check(menu != nullptr, "the menu is shown again after the PDF");
    const std::string bytes = readAll(pdf);
    check(bytes.rfind("%PDF-", 0) == 0 && bytes.find("%%EOF") != std::string::npos, "the PDF is written whole (" +
                                                                                      std::to_string(bytes.size()) + " bytes)");
    check(bytes.find("/Title (Depreciation Report - SAMPLE)") != std::string::npos, "the PDF is titled for what it holds");
    return menu;
}

// A top-level window with this caption other than `besides` (a message box over a dialog of the
// same caption).
HWND waitForOther(const std::string& caption, HWND besides, int seconds) {
    for (int i = 0; i < seconds * 10; ++i) {
        for (HWND h = FindWindowExW(nullptr, nullptr, nullptr, widen(caption).c_str()); h;
             h = FindWindowExW(nullptr, h, nullptr, widen(caption).c_str()))
            if (h != besides && IsWindowVisible(h)) {
                Sleep(700);
                return h;
            }
        Sleep(100);
    }
    return nullptr;
}

std::string staticTexts(HWND box) {
    std::string all;
    for (HWND h : children(box))
        if (classOf(h) == "Static") all += textOf(h) + "\n";
    return all;
}

// "PDF file" never goes onto a client's books (refused while another name can be chosen), and
// onto an existing file only when the user says so: No is the default, so Enter keeps it.
HWND pdfTargetsAreChecked(HWND menu, const std::string& caption, const std::string& client) {
    const std::wstring books = inCurrentFolder(widen(client) + L"\\depr.fil");
    const std::string before = readAll(books);
    HWND choice = printTheReport(menu);
    if (!choice) return nullptr;
    choose(choice, L"PDF file");
    click(choice, 301);
    saveAs(books);
    HWND refusal = waitForOther("Select Printer", choice, 30);
    check(refusal != nullptr, "the books as the PDF's name are refused");
    if (refusal) {
        check(staticTexts(refusal).find("is a file of a client's books") != std::string::npos, "why: " + staticTexts(refusal));
        PostMessageW(refusal, WM_COMMAND, IDOK, 0);
        check(waitUntilGone(refusal, 10), "the refusal is answered");
    }
    click(choice, 302);  // Cancel
    menu = waitForWindow(caption, 30);
    check(menu != nullptr && readAll(books) == before, "depr.fil is as it was");
    if (!menu) return nullptr;
    const std::wstring pdf = inCurrentFolder(L"report-saved.pdf");
    if (FILE* f = _wfopen(pdf.c_str(), L"wb")) {
        std::fputs("kept", f);
        std::fclose(f);
    }
    choice = printTheReport(menu);
    if (!choice) return nullptr;
    choose(choice, L"PDF file");
    click(choice, 301);
    saveAs(pdf);
    HWND question = waitForWindow("Print", 60);
    check(question != nullptr && staticTexts(question).find("already exists") != std::string::npos,
          "an existing file: the user is asked before it is replaced");
    if (question) {
        HWND no = GetDlgItem(question, IDNO);
        const LONG style = no ? GetWindowLongW(no, GWL_STYLE) : 0;
        check((style & BS_TYPEMASK) == BS_DEFPUSHBUTTON, "No is the default button of the replace question");
        PostMessageW(question, WM_KEYDOWN, VK_RETURN, 0);
        PostMessageW(question, WM_KEYUP, VK_RETURN, 0);
    }
    menu = waitForWindow(caption, 60);
    check(menu != nullptr && readAll(pdf) == "kept", "Enter keeps the existing file");
    return menu;
}

void moduleInThisProcess(const std::string& bin, const std::string& client, const std::string& shots) {
    HMODULE module = LoadLibraryW(widen(bin + "\\VELDRO.dll").c_str());
    check(module != nullptr, "VELDRO.dll loads");
    if (!module) return;
    Call call{reinterpret_cast<DpmenuFunction>(reinterpret_cast<void*>(GetProcAddress(module, SUITE_DPMENU_ENTRY))),
              client};
    check(call.dpmenu != nullptr, "it exports DPMENU");
    if (!call.dpmenu) return;
    DWORD thread = 0;
    HANDLE running = CreateThread(nullptr, 0, callDpmenu, &call, 0, &thread);
    const std::string caption = "Depreciation/Amortization Menu (" + client + ")";
    HWND menu = waitForWindow(caption, 60);
    check(menu != nullptr, "DPMENU shows the menu");
    if (menu) {
        checkMenuFromInside(menu);
        click(menu, 401);
        HWND maintenance = waitForWindow("Asset File Maintenance  (" + client + ")", 30);
        check(maintenance != nullptr, "Asset File Maintenance appears");
        check(!IsWindow(menu) || !IsWindowVisible(menu), "the menu is gone while it is open");
        if (maintenance) {
            checkMaintenanceIdle(maintenance, thread);
            keysOfTheMaintenance(maintenance, thread);
            openRecordAndAbort(maintenance, shots);
            limitsAndTheSafeDefault(maintenance);
            helpOpensInItsOwnWindow(maintenance, shots);
            click(maintenance, 199);  // &Close
            menu = waitForWindow(caption, 30);
            check(menu != nullptr, "the menu is shown again");
            // Its picture now: Wine draws the caption of a thread's first window inactive.
            if (menu) screenshot(menu, shots + "\\menu.bmp");
        }
        if (menu) menu = reportOnTheScreen(menu, caption, shots);
        if (menu) menu = reportAsPdf(menu, caption);
        if (menu) menu = pdfTargetsAreChecked(menu, caption, client);
        if (menu) PostMessageW(childWithText(menu, "E&xit Depreciation"), BM_CLICK, 0, 0);
    }
    const bool ended = WaitForSingleObject(running, 30000) == WAIT_OBJECT_0;
    check(ended && call.result == 0, "DPMENU returns 0 after E&xit Depreciation");
    if (!ended) TerminateThread(running, 1);
    CloseHandle(running);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: gui_smoke BINDIR CLIENTCODE SHOTDIR\n");
        return 2;
    }
    const std::string bin = argv[1], client = argv[2], shots = argv[3];
    hostAsksBeforeItCreatesAClient(bin);
    hostShowsTheMenuAndLeaves(bin, client);
    moduleInThisProcess(bin, client, shots);
    std::printf("gui smoke: %d failed\n", failures);
    return failures == 0 ? 0 : 1;
}
