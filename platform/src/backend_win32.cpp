// The Windows backend: each dialog of the model becomes a modal Windows dialog built from an
// in-memory template in dialog units. The model stays the only truth: user actions go into the
// model (as typing, clicks, selections), the handler runs there, and afterwards the native
// controls are brought in line with the model. Changes the backend makes itself (setting a text,
// a check, the focus) are never reported back to the handler as user events.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "help_window_win32.h"
#include "platform/backend.h"
#include "platform/native_text.h"
#include "win32_module.h"

namespace platform {
namespace {

constexpr const char* kDialogFace = "MS Sans Serif";
constexpr WORD kDialogPoints = 8;
constexpr int kListExtentPixels = 250;  // horizontal extent of a list with a horizontal scroll bar

// ---- The in-memory template ------------------------------------------------------------------

class TemplateWriter {
public:
    void word(WORD w) { bytes_.push_back(w); }
    void dword(DWORD d) {
        word(LOWORD(d));
        word(HIWORD(d));
    }
    void text(const std::wstring& s) {
        for (wchar_t c : s) word(static_cast<WORD>(c));
        word(0);
    }
    void align() {
        if (bytes_.size() % 2 != 0) word(0);  // items start on DWORD boundaries
    }
    std::vector<WORD> take() { return std::move(bytes_); }

private:
    std::vector<WORD> bytes_;
};

struct NativeClass {
    const wchar_t* name;
    DWORD style;
    DWORD exStyle;
};

NativeClass classOf(const ControlSpec& c) {
    const DWORD common = WS_CHILD | WS_VISIBLE | ((c.style & StyleDisabled) ? WS_DISABLED : 0);
    const DWORD sunken = (c.style & StyleSunken) ? WS_EX_CLIENTEDGE : 0;
    switch (c.kind) {
        case ControlKind::Label: return {L"STATIC", common | SS_LEFT | SS_NOPREFIX, 0};
        case ControlKind::Edit:
            return {L"EDIT",
                    common | WS_TABSTOP | ES_AUTOHSCROLL | ((c.style & StyleUpperCase) ? ES_UPPERCASE : 0) |
                        (sunken ? 0 : WS_BORDER),
                    sunken};
        case ControlKind::Button:
            return {L"BUTTON", common | WS_TABSTOP | ((c.style & StyleDefault) ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON), 0};
        case ControlKind::CheckBox: return {L"BUTTON", common | WS_TABSTOP | BS_CHECKBOX, 0};
        case ControlKind::Frame:
            if (c.style & StyleGroupBox) return {L"BUTTON", common | BS_GROUPBOX, 0};
            return {L"STATIC", common | SS_ETCHEDFRAME, 0};
        case ControlKind::HLine: return {L"STATIC", common | SS_ETCHEDHORZ, 0};
        case ControlKind::ListBox:
            return {L"LISTBOX",
                    common | WS_TABSTOP | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | ((c.style & StyleVScroll) ? WS_VSCROLL : 0) |
                        ((c.style & StyleHScroll) ? WS_HSCROLL : 0),
                    sunken};
        case ControlKind::BitmapButton: return {L"BUTTON", common | WS_TABSTOP | BS_PUSHBUTTON | BS_BITMAP, 0};
        case ControlKind::Icon: return {L"STATIC", common | SS_ICON, 0};
    }
    return {L"STATIC", common, 0};
}

// Texts of a control as the template carries them: resources and images get theirs later; a
// bitmap button carries its words (read out by screen readers, shown where the picture is missing).
std::wstring templateText(const ControlSpec& c) {
    if (c.kind == ControlKind::Icon) return L"";
    if (c.kind == ControlKind::BitmapButton) return widen(c.words);
    return widen(c.text);
}

std::vector<WORD> buildTemplate(const Dialog& dialog) {
    const DialogTemplate& t = dialog.layout();
    TemplateWriter w;
    DWORD style = WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_SETFONT;
    if (t.systemMenu) style |= WS_SYSMENU;
    if (t.centred) style |= DS_CENTER;
    // DLGTEMPLATEEX: the extended form carries the extended window style (topmost).
    w.word(1);
    w.word(0xFFFF);
    w.dword(0);  // help ID
    w.dword(t.topmost ? WS_EX_TOPMOST : 0);
    w.dword(style);
    w.word(static_cast<WORD>(dialog.controls().size()));
    w.word(static_cast<WORD>(t.x));
    w.word(static_cast<WORD>(t.y));
    w.word(static_cast<WORD>(t.width));
    w.word(static_cast<WORD>(t.height));
    w.word(0);                      // no menu resource: the menu bar is built at run time
    w.word(0);                      // the standard dialog class
    w.text(widen(dialog.caption()));
    w.word(kDialogPoints);
    w.word(FW_NORMAL);
    w.word(0);                      // not italic, default character set
    w.text(widen(kDialogFace));
    for (const ControlSpec& c : dialog.controls()) {
        w.align();
        const NativeClass nc = classOf(c);
        w.dword(0);  // help ID
        w.dword(nc.exStyle);
        w.dword(nc.style);
        w.word(static_cast<WORD>(c.x));
        w.word(static_cast<WORD>(c.y));
        w.word(static_cast<WORD>(c.width));
        w.word(static_cast<WORD>(c.height));
        w.dword(static_cast<DWORD>(c.id));
        w.text(nc.name);
        w.text(templateText(c));
        w.word(0);  // no creation data
    }
    return w.take();
}

// ---- A shown dialog ----------------------------------------------------------------------------

// What a native control shows now, to change only what the model changed.
struct NativeControl {
    int id = 0;
    ControlKind kind = ControlKind::Label;
    HWND hwnd = nullptr;
    std::string text;
    bool enabled = true;
    bool checked = false;
    std::vector<std::string> lines;
    int selection = -1;
    std::uint32_t style = StyleNone;        // as created: the colour and background never change
    std::uint32_t textColour = 0xFFFFFFFFu;
};

class Win32Backend;

struct NativeDialog {
    Dialog* model = nullptr;
    Win32Backend* backend = nullptr;
    HWND hwnd = nullptr;
    HMENU menu = nullptr;
    std::vector<NativeControl> controls;
    std::vector<Menu> shownMenus;
    std::string shownCaption;
    int shownFocus = 0;
    int quiet = 0;          // > 0 while the backend itself changes the window
    bool closing = false;   // EndDialog called
};

class Quiet {
public:
    explicit Quiet(NativeDialog& d) : d_(d) { ++d_.quiet; }
    ~Quiet() { --d_.quiet; }

private:
    NativeDialog& d_;
};

std::string windowText(HWND h) {
    const int n = GetWindowTextLengthW(h);
    std::wstring w(static_cast<std::size_t>(n) + 1, L'\0');
    const int got = GetWindowTextW(h, w.data(), n + 1);
    w.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    return narrow(w);
}

INT_PTR CALLBACK dialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

class Win32Backend final : public Backend {
public:
    Win32Backend() {
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES};
        InitCommonControlsEx(&icc);
    }
    ~Win32Backend() override {
        if (titleFont_) DeleteObject(titleFont_);
    }

    void runModal(Dialog& dialog) override {
        hideEndedDialogs();
        NativeDialog nd;
        nd.model = &dialog;
        nd.backend = this;
        const std::vector<WORD> tpl = buildTemplate(dialog);
        const HWND owner = activeWindow();
        stack_.push_back(&nd);
        const INT_PTR r = DialogBoxIndirectParamW(thisModule(), reinterpret_cast<LPCDLGTEMPLATEW>(tpl.data()), owner,
                                                  dialogProc, reinterpret_cast<LPARAM>(&nd));
        stack_.pop_back();
        if (nd.menu) DestroyMenu(nd.menu);
        // A dialog that could not be shown ends as if closed, so that no caller waits on it.
        if (r == -1 && !dialog.ended()) {
            dialog.dispatch({EventKind::Close, 0});
            dialog.end(0);
        }
    }

    MsgResult message(const std::string& text, const std::string& title, MsgIcon icon, MsgButtons buttons,
                      MsgDefault defaultButton) override {
        UINT flags = MB_TOPMOST | MB_SETFOREGROUND;
        switch (defaultButton) {
            case MsgDefault::First: flags |= MB_DEFBUTTON1; break;
            case MsgDefault::Second: flags |= MB_DEFBUTTON2; break;
            case MsgDefault::Third: flags |= MB_DEFBUTTON3; break;
        }
        switch (icon) {
            case MsgIcon::None: break;
            case MsgIcon::Error: flags |= MB_ICONERROR; break;
            case MsgIcon::Information: flags |= MB_ICONINFORMATION; break;
            case MsgIcon::Question: flags |= MB_ICONQUESTION; break;
        }
        switch (buttons) {
            case MsgButtons::Ok: flags |= MB_OK; break;
            case MsgButtons::OkCancel: flags |= MB_OKCANCEL; break;
            case MsgButtons::YesNo: flags |= MB_YESNO; break;
            case MsgButtons::YesNoCancel: flags |= MB_YESNOCANCEL; break;
        }
        hideEndedDialogs();
        const int r = MessageBoxW(activeWindow(), widen(text).c_str(), widen(title).c_str(), flags);
        switch (r) {
            case IDCANCEL: return MsgResult::Cancel;
            case IDYES: return MsgResult::Yes;
            case IDNO: return MsgResult::No;
            default: return buttons == MsgButtons::YesNo ? MsgResult::No : MsgResult::Ok;
        }
    }

    // The help viewer's command opens the module's help window; any other program runs in a
    // normal window; the dialogs wait without taking input, but repaint.
    int runAndWait(const std::string& commandLine) override {
        if (const std::optional<int> served = serveHelpCommand(commandLine)) return *served;
        std::wstring cmd = widen(commandLine);
        STARTUPINFOW si{};
        si.cb = sizeof si;
        si.dwFlags = STARTF_USESHOWWINDOW;
        si.wShowWindow = SW_SHOWNORMAL;
        PROCESS_INFORMATION pi{};
        if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return -1;
        CloseHandle(pi.hThread);
        const HWND blocked = activeWindow();
        if (blocked) EnableWindow(blocked, FALSE);
        for (;;) {
            const DWORD w = MsgWaitForMultipleObjects(1, &pi.hProcess, FALSE, INFINITE, QS_ALLINPUT);
            if (w != WAIT_OBJECT_0 + 1) break;
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }
        DWORD code = 0;
        GetExitCodeProcess(pi.hProcess, &code);
        CloseHandle(pi.hProcess);
        if (blocked) {
            EnableWindow(blocked, TRUE);
            SetForegroundWindow(blocked);
        }
        return static_cast<int>(code);
    }

    // A small window at the top of the screen holds the note while the program waits; Esc (or
    // closing it) stops the waiting. Messages are handled meanwhile, so windows still repaint.
    bool wait(const std::string& note, int milliseconds) override {
        if (note.empty()) {
            if (waitWindow_) DestroyWindow(waitWindow_);
            waitWindow_ = nullptr;
            return true;
        }
        hideEndedDialogs();
        if (!waitWindow_) {
            const int width = GetSystemMetrics(SM_CXSCREEN) * 2 / 3;
            waitWindow_ = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"STATIC", L"",
                                          WS_POPUP | WS_BORDER | WS_VISIBLE | SS_CENTER | SS_CENTERIMAGE,
                                          (GetSystemMetrics(SM_CXSCREEN) - width) / 2, 40, width, 48, nullptr,
                                          nullptr, thisModule(), nullptr);
            SendMessageW(waitWindow_, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
        }
        SetWindowTextW(waitWindow_, widen(note).c_str());
        GetAsyncKeyState(VK_ESCAPE);  // forget a press from before the wait
        const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(milliseconds);
        while (GetTickCount64() < end) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
            if ((GetAsyncKeyState(VK_ESCAPE) & 0x8000) || !IsWindow(waitWindow_)) return false;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        }
        return true;
    }

    HFONT titleFont() {
        if (!titleFont_) {
            // The stock variable-pitch font, made large, bold Arial.
            LOGFONTW lf{};
            GetObjectW(GetStockObject(ANSI_VAR_FONT), sizeof lf, &lf);
            lf.lfHeight = 24;
            lf.lfWidth = 12;
            lf.lfWeight = FW_BOLD;
            lf.lfItalic = FALSE;
            wcscpy(lf.lfFaceName, L"Arial");
            titleFont_ = CreateFontIndirectW(&lf);
        }
        return titleFont_;
    }

private:
    // The dialog that owns what is shown next: the innermost one still open.
    HWND activeWindow() const {
        for (auto it = stack_.rbegin(); it != stack_.rend(); ++it)
            if (!(*it)->closing && !(*it)->model->ended() && (*it)->hwnd) return (*it)->hwnd;
        return nullptr;
    }

    // A handler that ends its dialog and then goes on to show another (the menu running a
    // procedure) has the first one gone before the next appears: one window at a time.
    void hideEndedDialogs() {
        for (NativeDialog* d : stack_)
            if (d->model->ended() && !d->closing && d->hwnd) {
                d->closing = true;
                EndDialog(d->hwnd, d->model->result());
            }
    }

    std::vector<NativeDialog*> stack_;
    HFONT titleFont_ = nullptr;
    HWND waitWindow_ = nullptr;
};

// ---- Bringing the window in line with the model ----------------------------------------------

HFONT fontFor(NativeDialog& d, const ControlSpec& c) {
    if (c.style & StyleTitleFont) return d.backend->titleFont();
    if (c.style & StyleFixedFont) return static_cast<HFONT>(GetStockObject(ANSI_FIXED_FONT));
    return reinterpret_cast<HFONT>(SendMessageW(d.hwnd, WM_GETFONT, 0, 0));
}

void dressControl(NativeDialog& d, const ControlSpec& c, NativeControl& n) {
    n.style = c.style;
    n.textColour = c.textColour;
    SendMessageW(n.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(fontFor(d, c)), FALSE);
    if (c.kind == ControlKind::Icon) {
        if (HICON icon = LoadIconW(thisModule(), widen(c.text).c_str()))
            SendMessageW(n.hwnd, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
    } else if (c.kind == ControlKind::BitmapButton) {
        if (HANDLE bmp = LoadImageW(thisModule(), widen(c.text).c_str(), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR))
            SendMessageW(n.hwnd, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bmp));
    } else if (c.kind == ControlKind::ListBox && (c.style & StyleHScroll)) {
        SendMessageW(n.hwnd, LB_SETHORIZONTALEXTENT, kListExtentPixels, 0);
    } else if (c.kind == ControlKind::Edit && c.maxLength > 0) {
        // The box takes no more than its field holds, typed or pasted.
        SendMessageW(n.hwnd, EM_LIMITTEXT, static_cast<WPARAM>(c.maxLength), 0);
    }
    // What the template or the creation already shows.
    n.text = (c.kind == ControlKind::Icon || c.kind == ControlKind::BitmapButton) ? c.text : windowText(n.hwnd);
    n.enabled = IsWindowEnabled(n.hwnd) != FALSE;
}

NativeControl createNative(NativeDialog& d, const ControlSpec& c) {
    RECT r{c.x, c.y, c.x + c.width, c.y + c.height};
    MapDialogRect(d.hwnd, &r);
    const NativeClass nc = classOf(c);
    NativeControl n;
    n.id = c.id;
    n.kind = c.kind;
    n.hwnd = CreateWindowExW(nc.exStyle, nc.name, templateText(c).c_str(), nc.style, r.left, r.top, r.right - r.left,
                             r.bottom - r.top, d.hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), thisModule(),
                             nullptr);
    if (n.hwnd) dressControl(d, c, n);
    return n;
}

void syncMenu(NativeDialog& d) {
    const std::vector<Menu>& menus = d.model->menuBar();
    if (menus.empty()) return;
    if (!d.menu) {
        d.menu = CreateMenu();
        for (const Menu& m : menus) {
            HMENU popup = CreatePopupMenu();
            for (const MenuEntry& e : m.entries) {
                if (e.id == 0 || e.text == "-") AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
                else AppendMenuW(popup, MF_STRING | (e.grayed ? MF_GRAYED : 0), static_cast<UINT_PTR>(e.id), widen(e.text).c_str());
            }
            AppendMenuW(d.menu, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), widen(m.title).c_str());
        }
        // The menu bar takes room from the window, not from the dialog's client area.
        RECT before{};
        GetClientRect(d.hwnd, &before);
        SetMenu(d.hwnd, d.menu);
        RECT after{};
        GetClientRect(d.hwnd, &after);
        RECT w{};
        GetWindowRect(d.hwnd, &w);
        SetWindowPos(d.hwnd, nullptr, 0, 0, w.right - w.left, (w.bottom - w.top) + (before.bottom - after.bottom),
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        d.shownMenus = menus;
        return;
    }
    for (std::size_t i = 0; i < menus.size() && i < d.shownMenus.size(); ++i)
        for (std::size_t j = 0; j < menus[i].entries.size() && j < d.shownMenus[i].entries.size(); ++j) {
            const MenuEntry& e = menus[i].entries[j];
            if (e.id != 0 && e.grayed != d.shownMenus[i].entries[j].grayed)
                EnableMenuItem(d.menu, static_cast<UINT>(e.id), MF_BYCOMMAND | (e.grayed ? MF_GRAYED : MF_ENABLED));
        }
    d.shownMenus = menus;
}

void syncControl(const Dialog& model, const ControlSpec& c, NativeControl& n) {
    if (!n.hwnd) return;
    const bool enabled = model.isEnabled(c.id);
    if (enabled != n.enabled) {
        EnableWindow(n.hwnd, enabled);
        n.enabled = enabled;
    }
    if (c.kind == ControlKind::ListBox) {
        const std::vector<std::string> lines = model.listLines(c.id);
        if (lines != n.lines) {
            SendMessageW(n.hwnd, LB_RESETCONTENT, 0, 0);
            for (const std::string& l : lines) SendMessageW(n.hwnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(widen(l).c_str()));
            n.lines = lines;
            n.selection = -1;
        }
        const int sel = model.listSelection(c.id);
        if (sel != n.selection) {
            SendMessageW(n.hwnd, LB_SETCURSEL, static_cast<WPARAM>(sel), 0);
            n.selection = sel;
        }
        return;
    }
    if (c.kind == ControlKind::CheckBox) {
        const bool checked = model.isChecked(c.id);
        if (checked != n.checked) {
            SendMessageW(n.hwnd, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
            n.checked = checked;
        }
    }
    if (c.kind == ControlKind::Icon || c.kind == ControlKind::BitmapButton) return;
    if (c.text != n.text) {
        SetWindowTextW(n.hwnd, widen(c.text).c_str());
        if (c.kind == ControlKind::Edit) SendMessageW(n.hwnd, EM_SETSEL, static_cast<WPARAM>(-1), -1);
        n.text = c.text;
    }
}

// Tab follows the screen: the controls that take the focus go to the end of the window order,
// one after the other in the model's tab order (a control created anew takes its place there
// rather than the last one); the others keep their order before them.
void arrangeTabOrder(NativeDialog& d) {
    for (const int id : tabOrder(d.model->controls()))
        for (const NativeControl& n : d.controls)
            if (n.id == id && n.hwnd) {
                SetWindowPos(n.hwnd, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
                break;
            }
}

// Creates what the model added, destroys what it removed, and updates the rest.
void sync(NativeDialog& d) {
    if (!d.hwnd || d.closing) return;
    Quiet quiet(d);
    Dialog& model = *d.model;
    if (model.caption() != d.shownCaption) {
        SetWindowTextW(d.hwnd, widen(model.caption()).c_str());
        d.shownCaption = model.caption();
    }
    std::vector<NativeControl> kept;
    std::vector<bool> used(d.controls.size(), false);
    bool created = false;
    for (const ControlSpec& c : model.controls()) {
        std::size_t match = d.controls.size();
        for (std::size_t i = 0; i < d.controls.size(); ++i)
            if (!used[i] && d.controls[i].id == c.id && d.controls[i].kind == c.kind) {
                match = i;
                break;
            }
        if (match < d.controls.size()) {
            used[match] = true;
            kept.push_back(d.controls[match]);
        } else {
            kept.push_back(createNative(d, c));
            created = true;
        }
    }
    for (std::size_t i = 0; i < d.controls.size(); ++i)
        if (!used[i] && d.controls[i].hwnd) DestroyWindow(d.controls[i].hwnd);
    d.controls = std::move(kept);
    if (created) arrangeTabOrder(d);
    for (std::size_t i = 0; i < d.controls.size(); ++i) syncControl(model, model.controls()[i], d.controls[i]);
    syncMenu(d);
    if (model.focus() != d.shownFocus) {
        for (const NativeControl& n : d.controls)
            if (n.id == model.focus() && n.hwnd) {
                SetFocus(n.hwnd);
                break;
            }
        d.shownFocus = model.focus();
    }
}

// After every event: the dialog ends when the model says so, otherwise the window follows.
void afterEvent(NativeDialog& d) {
    if (d.model->ended()) {
        if (!d.closing) {
            d.closing = true;
            EndDialog(d.hwnd, d.model->result());
        }
        return;
    }
    sync(d);
}

void adoptTemplateControls(NativeDialog& d) {
    const std::vector<ControlSpec>& controlsOf = d.model->controls();
    std::size_t i = 0;
    for (HWND h = GetWindow(d.hwnd, GW_CHILD); h && i < controlsOf.size(); h = GetWindow(h, GW_HWNDNEXT), ++i) {
        NativeControl n;
        n.id = controlsOf[i].id;
        n.kind = controlsOf[i].kind;
        n.hwnd = h;
        dressControl(d, controlsOf[i], n);
        d.controls.push_back(std::move(n));
    }
}

void setSmallIcon(NativeDialog& d) {
    const std::string& icon = d.model->layout().icon;
    if (icon.empty()) return;
    if (HANDLE h = LoadImageW(thisModule(), widen(icon).c_str(), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                              GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR))
        SendMessageW(d.hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(h));
}

NativeControl* nativeOf(NativeDialog& d, HWND h) {
    for (NativeControl& n : d.controls)
        if (n.hwnd == h) return &n;
    return nullptr;
}

// A command from a control, a menu entry or the keyboard, turned into the model's user action.
void onCommand(NativeDialog& d, WPARAM wp, LPARAM lp) {
    Dialog& model = *d.model;
    const int id = LOWORD(wp);
    const int code = HIWORD(wp);
    const HWND from = reinterpret_cast<HWND>(lp);
    NativeControl* n = from ? nativeOf(d, from) : nullptr;
    if (!n) {
        if (from == nullptr && code == 0 && id != IDOK && id != IDCANCEL) {  // a menu entry
            if (model.menuEnabled(id)) model.dispatch({EventKind::Command, id});
        } else if (id == IDOK) {
            // Enter without a default button to press: the handler's, else on to the next box.
            model.userEnter();
        } else if (id == IDCANCEL) {  // Esc: as the close box
            model.userClose();
        }
        return;
    }
    switch (n->kind) {
        case ControlKind::Edit:
            if (code == EN_CHANGE) {
                n->text = windowText(from);
                model.userType(id, n->text);  // the model upper-cases where the style says so
                d.shownFocus = id;
            } else if (code == EN_SETFOCUS || code == EN_KILLFOCUS) {
                if (code == EN_SETFOCUS) {
                    model.setFocus(id);
                    d.shownFocus = id;
                }
                model.dispatch({EventKind::Notify, id});
            }
            return;
        case ControlKind::ListBox: {
            const LRESULT sel = SendMessageW(from, LB_GETCURSEL, 0, 0);
            n->selection = sel == LB_ERR ? -1 : static_cast<int>(sel);
            if (n->selection != model.listSelection(id)) model.selectListLine(id, n->selection);
            else model.dispatch({EventKind::Notify, id});
            return;
        }
        case ControlKind::Button:
        case ControlKind::CheckBox:
        case ControlKind::BitmapButton:
            if (code == BN_CLICKED && model.canClick(id)) {
                model.setFocus(id);
                d.shownFocus = id;
                model.userClick(id);  // a check box toggles in the model first
            }
            return;
        default: return;
    }
}

INT_PTR CALLBACK dialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* d = reinterpret_cast<NativeDialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (msg == WM_INITDIALOG) {
        d = reinterpret_cast<NativeDialog*>(lp);
        SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(d));
        d->hwnd = hwnd;
        d->shownCaption = d->model->caption();
        {
            Quiet quiet(*d);
            adoptTemplateControls(*d);
            arrangeTabOrder(*d);
            setSmallIcon(*d);
        }
        // The model has already been initialised; show its state, then give the focus it chose.
        d->shownFocus = -1;
        sync(*d);
        if (d->model->ended()) afterEvent(*d);
        return d->model->focus() == 0 ? TRUE : FALSE;
    }
    if (!d || !d->hwnd) return FALSE;
    switch (msg) {
        case WM_COMMAND:
            if (d->quiet > 0 || d->closing) return TRUE;
            onCommand(*d, wp, lp);
            afterEvent(*d);
            return TRUE;
        case WM_CLOSE:
            if (!d->closing) {
                d->model->userClose();
                afterEvent(*d);
            }
            return TRUE;
        case DM_GETDEFID: {
            // Enter presses the default button only while it is enabled; otherwise the dialog
            // hears IDOK, and Enter goes on to the next box.
            const int id = d->model->defaultButton();
            SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, id != 0 ? MAKELONG(id, DC_HASDEFID) : 0);
            return TRUE;
        }
        case WM_HELP:
            // F1: the dialog's own help, else the session's.
            if (!d->closing && d->quiet == 0) {
                if (!openHelpFor(d->model)) MessageBeep(MB_OK);
                afterEvent(*d);
            }
            return TRUE;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT: {
            const NativeControl* c = nativeOf(*d, reinterpret_cast<HWND>(lp));
            if (!c || (c->textColour == 0xFFFFFFFFu && !(c->style & StyleTransparent))) return FALSE;
            const HDC dc = reinterpret_cast<HDC>(wp);
            if (c->textColour != 0xFFFFFFFFu)
                SetTextColor(dc, RGB((c->textColour >> 16) & 0xFF, (c->textColour >> 8) & 0xFF, c->textColour & 0xFF));
            if (c->style & StyleTransparent) {
                SetBkMode(dc, TRANSPARENT);
                return reinterpret_cast<INT_PTR>(GetStockObject(HOLLOW_BRUSH));
            }
            return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
        }
        default: return FALSE;
    }
}

}  // namespace

std::unique_ptr<Backend> makeWin32Backend() { return std::make_unique<Win32Backend>(); }

}  // namespace platform
