#include "platform/dialog.h"

#include <algorithm>
#include <cctype>

#include "platform/backend.h"

namespace platform {

Dialog::Dialog(const DialogTemplate& tpl)
    : tpl_(tpl), caption_(tpl.caption), menus_(tpl.menuBar), escape_(tpl.escape) {
    for (const ControlSpec& c : tpl.controls) createControl(c);
}

void Dialog::setCaption(std::string caption) { caption_ = std::move(caption); }

ControlSpec* Dialog::find(int id) {
    for (auto& c : controls_)
        if (c.id == id) return &c;
    return nullptr;
}

const ControlSpec* Dialog::find(int id) const {
    for (const auto& c : controls_)
        if (c.id == id) return &c;
    return nullptr;
}

bool Dialog::exists(int id) const { return find(id) != nullptr; }

ControlKind Dialog::kind(int id) const {
    const ControlSpec* c = find(id);
    return c ? c->kind : ControlKind::Label;
}

std::string Dialog::text(int id) const {
    const ControlSpec* c = find(id);
    return c ? c->text : std::string();
}

void Dialog::setText(int id, std::string text) {
    ControlSpec* c = find(id);
    if (!c) return;
    c->text = std::move(text);
    // An edit box tells its dialog about every change of its text, the program's own included.
    if (c->kind == ControlKind::Edit) dispatch({EventKind::Notify, id});
}

bool Dialog::isEnabled(int id) const {
    for (std::size_t i = 0; i < controls_.size(); ++i)
        if (controls_[i].id == id) return states_[i].enabled;
    return false;
}

void Dialog::enable(int id, bool on) {
    // Several controls may share an ID (two labels); all follow.
    for (std::size_t i = 0; i < controls_.size(); ++i)
        if (controls_[i].id == id) states_[i].enabled = on;
}

bool Dialog::isChecked(int id) const {
    for (std::size_t i = 0; i < controls_.size(); ++i)
        if (controls_[i].id == id) return states_[i].checked;
    return false;
}

void Dialog::check(int id, bool on) {
    for (std::size_t i = 0; i < controls_.size(); ++i)
        if (controls_[i].id == id) states_[i].checked = on;
}

void Dialog::createControl(ControlSpec control) {
    State st;
    st.enabled = (control.style & StyleDisabled) == 0;
    controls_.push_back(std::move(control));
    states_.push_back(st);
}

void Dialog::destroyControl(int id) {
    for (std::size_t i = 0; i < controls_.size(); ++i) {
        if (controls_[i].id == id) {
            controls_.erase(controls_.begin() + static_cast<std::ptrdiff_t>(i));
            states_.erase(states_.begin() + static_cast<std::ptrdiff_t>(i));
            if (focus_ == id) focus_ = 0;
            return;
        }
    }
}

void Dialog::setFocus(int id) {
    if (exists(id)) focus_ = id;
}

bool Dialog::menuEnabled(int id) const {
    for (const Menu& m : menus_)
        for (const MenuEntry& e : m.entries)
            if (e.id == id && id != 0) return !e.grayed;
    return false;
}

void Dialog::enableMenu(int id, bool on) {
    for (Menu& m : menus_)
        for (MenuEntry& e : m.entries)
            if (e.id == id && id != 0) e.grayed = !on;
}

std::vector<std::string> Dialog::listLines(int id) const {
    for (std::size_t i = 0; i < controls_.size(); ++i)
        if (controls_[i].id == id) return states_[i].lines;
    return {};
}

void Dialog::setListLines(int id, std::vector<std::string> lines) {
    for (std::size_t i = 0; i < controls_.size(); ++i)
        if (controls_[i].id == id) {
            states_[i].lines = std::move(lines);
            states_[i].selection = -1;
            return;
        }
}

int Dialog::listSelection(int id) const {
    for (std::size_t i = 0; i < controls_.size(); ++i)
        if (controls_[i].id == id) return states_[i].selection;
    return -1;
}

void Dialog::selectListLine(int id, int line) {
    for (std::size_t i = 0; i < controls_.size(); ++i)
        if (controls_[i].id == id) {
            const int n = static_cast<int>(states_[i].lines.size());
            states_[i].selection = (line >= 0 && line < n) ? line : -1;
            dispatch({EventKind::Notify, id});
            return;
        }
}

void Dialog::end(int result) {
    ended_ = true;
    result_ = result;
}

void Dialog::sendCommand(int id) { dispatch({EventKind::Command, id}); }

void Dialog::dispatch(const Event& event) {
    if (handler_) handler_(*this, event);
}

std::string typeableText(const ControlSpec& box, const std::string& text) {
    std::string t;
    for (char ch : text) {
        if (isControlByte(ch)) continue;
        if (box.maxLength > 0 && t.size() >= static_cast<std::size_t>(box.maxLength)) break;
        t += (box.style & StyleUpperCase) ? static_cast<char>(std::toupper(static_cast<unsigned char>(ch))) : ch;
    }
    return t;
}

bool Dialog::userType(int id, const std::string& text) {
    const ControlSpec* c = find(id);
    if (!c) return false;
    std::string t = typeableText(*c, text);
    const bool whole = t.size() == text.size();
    focus_ = id;
    setText(id, std::move(t));
    return whole;
}

int Dialog::maxLength(int id) const {
    const ControlSpec* c = find(id);
    return c && c->kind == ControlKind::Edit ? c->maxLength : 0;
}

void Dialog::userClick(int id) {
    const ControlSpec* c = find(id);
    if (c && c->kind == ControlKind::CheckBox) check(id, !isChecked(id));
    if (c) focus_ = id;
    dispatch({EventKind::Command, id});
}

bool Dialog::canClick(int id) const {
    const ControlSpec* c = find(id);
    if (c) {
        const bool clickable = c->kind == ControlKind::Button || c->kind == ControlKind::CheckBox ||
                               c->kind == ControlKind::BitmapButton;
        return clickable && isEnabled(id);
    }
    return menuEnabled(id);
}

namespace {

// A caption as it reads: without its "&" marks, in lower case.
std::string plainLower(const std::string& raw) {
    std::string out;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '&' && (i + 1 >= raw.size() || raw[i + 1] != '&')) continue;
        if (raw[i] == '&') ++i;
        out += static_cast<char>(std::tolower(static_cast<unsigned char>(raw[i])));
    }
    return out;
}

// The vertical span of a control in doubled units, and its centre.
struct Span {
    int top, bottom;
    int centre() const { return (top + bottom) / 2; }
    bool holds(int y) const { return y >= top && y <= bottom; }
};
Span spanOf(const ControlSpec& c) { return {2 * c.y, 2 * (c.y + std::max(c.height, 0))}; }

}  // namespace

bool takesFocus(ControlKind kind) {
    return kind == ControlKind::Edit || kind == ControlKind::Button || kind == ControlKind::CheckBox ||
           kind == ControlKind::ListBox || kind == ControlKind::BitmapButton;
}

std::vector<int> tabOrder(const std::vector<ControlSpec>& controls) {
    std::vector<const ControlSpec*> stops;
    for (const ControlSpec& c : controls)
        if (takesFocus(c.kind)) stops.push_back(&c);
    std::stable_sort(stops.begin(), stops.end(), [](const ControlSpec* a, const ControlSpec* b) {
        return spanOf(*a).centre() < spanOf(*b).centre();
    });
    // Rows, each led by its highest control; then each row left to right.
    std::vector<int> order;
    for (std::size_t i = 0; i < stops.size();) {
        const Span lead = spanOf(*stops[i]);
        std::size_t end = i + 1;
        while (end < stops.size() && lead.holds(spanOf(*stops[end]).centre()) && spanOf(*stops[end]).holds(lead.centre()))
            ++end;
        std::stable_sort(stops.begin() + static_cast<std::ptrdiff_t>(i), stops.begin() + static_cast<std::ptrdiff_t>(end),
                         [](const ControlSpec* a, const ControlSpec* b) { return a->x < b->x; });
        for (; i < end; ++i)
            if (std::find(order.begin(), order.end(), stops[i]->id) == order.end()) order.push_back(stops[i]->id);
    }
    return order;
}

int Dialog::defaultButton() const {
    for (std::size_t i = 0; i < controls_.size(); ++i) {
        const ControlSpec& c = controls_[i];
        if (c.kind == ControlKind::Button && (c.style & StyleDefault) && states_[i].enabled) return c.id;
    }
    return 0;
}

namespace {

// The enabled edit box after `from` in the tab order, wrapping round; 0 when there is no other.
int nextEditBox(const Dialog& d, int from) {
    const std::vector<int> order = tabOrder(d.controls());
    const auto at = std::find(order.begin(), order.end(), from);
    const std::size_t n = order.size(), start = at == order.end() ? n - 1 : static_cast<std::size_t>(at - order.begin());
    for (std::size_t step = 1; step <= n; ++step) {
        const int id = order[(start + step) % n];
        if (id != from && d.kind(id) == ControlKind::Edit && d.isEnabled(id)) return id;
    }
    return 0;
}

}  // namespace

EnterOutcome Dialog::userEnter() {
    const int f = focus_;
    const ControlSpec* focused = find(f);
    if (focused && focused->kind != ControlKind::CheckBox && canClick(f)) {
        userClick(f);
        return EnterOutcome::Pressed;
    }
    if (const int button = defaultButton()) {
        // The focus stays in the box, as when the dialog manager presses the default button.
        dispatch({EventKind::Command, button});
        return EnterOutcome::Pressed;
    }
    dispatch({EventKind::Command, kEnterCommand});
    if (ended_ || focus_ != f) return EnterOutcome::Handled;
    if (const int next = nextEditBox(*this, f)) {
        focus_ = next;
        return EnterOutcome::Moved;
    }
    return EnterOutcome::Nothing;
}

bool Dialog::userClose() {
    keepOpen_ = false;
    dispatch({EventKind::Close, 0});
    if (keepOpen_) {
        keepOpen_ = false;
        return false;
    }
    if (!ended_) end(0);
    return true;
}

int Dialog::helpEntry() const {
    for (const Menu& m : menus_) {
        if (plainLower(m.title) != "help") continue;
        for (const MenuEntry& e : m.entries)
            if (e.id != 0 && e.text != "-") return e.grayed ? 0 : e.id;
    }
    for (std::size_t i = 0; i < controls_.size(); ++i)
        if (controls_[i].kind == ControlKind::Button && plainLower(controls_[i].text) == "help" && states_[i].enabled)
            return controls_[i].id;
    return 0;
}

int showModal(const DialogTemplate& tpl, Handler handler) {
    Dialog dialog(tpl);
    dialog.attach(std::move(handler));
    dialog.dispatch({EventKind::Init, 0});
    if (!dialog.ended()) backend().runModal(dialog);
    return dialog.result();
}

}  // namespace platform
