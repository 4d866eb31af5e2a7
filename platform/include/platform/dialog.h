// The dialog model: modal dialogs built at run time from a template in dialog units, with
// controls addressed by ID, a menu bar, and one handler per dialog that receives the events.
// It follows the shape of the Windows dialog manager so that the module's handlers can run
// on the terminal, on a script, or on a native backend without change.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace platform {

enum class ControlKind {
    Label,         // static text
    Edit,          // single-line edit box
    Button,        // push button
    CheckBox,      // auto check box
    Frame,         // frame (a box drawn around other controls): etched, or a group box
    HLine,         // horizontal etched line
    ListBox,       // list of lines with a selection
    BitmapButton,  // push button showing a bitmap resource (text = resource name)
    Icon,          // icon image (text = resource name)
};

// Style bits of a control.
enum ControlStyle : std::uint32_t {
    StyleNone = 0,
    StyleUpperCase = 1u << 0,    // edit: typed letters become upper case
    StyleSunken = 1u << 1,       // sunken client edge
    StyleVScroll = 1u << 2,      // list: vertical scroll bar
    StyleHScroll = 1u << 3,      // list: horizontal scroll bar
    StyleFixedFont = 1u << 4,    // list: the system's fixed-pitch font
    StyleTitleFont = 1u << 5,    // label: the large bold heading font
    StyleTransparent = 1u << 6,  // label: transparent background
    StyleDisabled = 1u << 7,     // created disabled
    StyleGroupBox = 1u << 8,     // frame: a group box (the kind that can carry a caption) rather
                                 // than an etched rectangle
    StyleDefault = 1u << 9,      // push button: the dialog's default button, which Enter presses
                                 // from a box while it is enabled
};

struct ControlSpec {
    ControlKind kind = ControlKind::Label;
    int id = 0;
    std::string text;
    int x = 0, y = 0, width = 0, height = 0;  // dialog units
    std::uint32_t style = StyleNone;
    std::uint32_t textColour = 0xFFFFFFFFu;  // 0xRRGGBB, or 0xFFFFFFFF for the default
    int maxLength = 0;  // edit: the most characters a user can type into it (the width of the
                        // field it stands for); 0 for no limit but the system's
    std::string words = {};  // bitmap button: what its picture says, in words ("About"), for a screen
                             // that cannot show the picture
};

// A control byte: below 32, or 127. Typed into a text box it is refused.
inline bool isControlByte(char c) { return static_cast<unsigned char>(c) < 32 || c == 127; }

// What an edit box takes of a text typed into it, as a user's typing gives it: control bytes
// refused, letters upper-cased when the style says so, cut at the box's maxLength.
std::string typeableText(const ControlSpec& box, const std::string& text);

// Edit boxes, buttons, check boxes and lists take the focus; labels, frames and icons do not.
bool takesFocus(ControlKind kind);

// The controls that take the focus, in the order Tab visits them: as they stand in the dialog,
// top to bottom and, along one row, left to right, whatever order they were created in (a box
// made anew keeps its place). Controls whose vertical centres lie each within the other's height
// stand on one row (a bitmap button a little lower than the buttons beside it).
std::vector<int> tabOrder(const std::vector<ControlSpec>& controls);

struct MenuEntry {
    int id = 0;              // 0 for a separator
    std::string text;        // "-" for a separator
    bool grayed = false;
};

struct Menu {
    std::string title;
    std::vector<MenuEntry> entries;
};

struct DialogTemplate {
    std::string caption;
    int x = 0, y = 0, width = 0, height = 0;  // dialog units
    bool centred = true;
    bool systemMenu = true;   // has a close box
    bool topmost = true;
    std::string icon;         // small icon resource, empty for none
    std::vector<ControlSpec> controls;  // in creation order (Tab follows the screen: tabOrder)
    std::string escape = "close";  // what the close box (Esc) does here, in a few words for the
                                   // key line: "save and close", "cancel", "exit" ...
    std::vector<Menu> menuBar;
};

// Command ID sent when Enter is pressed and the focus is not on a push button and the dialog
// has no enabled default button (as the Windows dialog manager sends IDOK).
inline constexpr int kEnterCommand = 1;

// What Enter did (Dialog::userEnter).
enum class EnterOutcome {
    Pressed,  // a button: the focused one, or the default button
    Handled,  // the handler acted on the Enter command (moved the focus, ended the dialog)
    Moved,    // the focus went on to the next box
    Nothing,  // nothing to press and no box to go on to
};

enum class EventKind {
    Init,     // the dialog has been created, before it is shown
    Close,    // the close box or the system menu's Close; the dialog ends after the handler
    Command,  // a push button, check box, bitmap button or menu entry (id), or Enter (kEnterCommand)
    Notify,   // an edit box's text changed (also when the program set it), or a list box selection changed
};

struct Event {
    EventKind kind = EventKind::Init;
    int id = 0;
};

class Dialog;
using Handler = std::function<void(Dialog&, const Event&)>;

// One open dialog. The handler receives it with every event and works through it.
class Dialog {
public:
    explicit Dialog(const DialogTemplate& tpl);

    const std::string& caption() const { return caption_; }
    void setCaption(std::string caption);

    bool exists(int id) const;
    ControlKind kind(int id) const;
    std::string text(int id) const;
    // Sets a control's text. An edit box then notifies the handler synchronously, as Windows does.
    void setText(int id, std::string text);
    bool isEnabled(int id) const;
    void enable(int id, bool on = true);
    bool isChecked(int id) const;
    void check(int id, bool on = true);

    void createControl(ControlSpec control);
    void destroyControl(int id);

    int focus() const { return focus_; }
    void setFocus(int id);

    bool menuEnabled(int id) const;
    void enableMenu(int id, bool on = true);

    std::vector<std::string> listLines(int id) const;
    void setListLines(int id, std::vector<std::string> lines);
    int listSelection(int id) const;  // -1 when no line is selected
    void selectListLine(int id, int line);  // notifies the handler

    // Ends the modal showing once the current event has been handled.
    void end(int result = 0);
    bool ended() const { return ended_; }
    int result() const { return result_; }

    // Sends the dialog's own handler a command, as if the control had been pressed.
    void sendCommand(int id);

    // What backends use.
    const std::vector<ControlSpec>& controls() const { return controls_; }
    const DialogTemplate& layout() const { return tpl_; }
    const std::vector<Menu>& menuBar() const { return menus_; }
    void attach(Handler handler) { handler_ = std::move(handler); }
    void dispatch(const Event& event);
    // A user action on a control: typing into an edit box. The box holds what typeableText takes
    // of the text. False when that is not the whole text (apart from upper-casing).
    bool userType(int id, const std::string& text);
    // An edit box's maxLength (0 for none, and for other controls).
    int maxLength(int id) const;
    // Clicking a check box toggles it before the handler hears the command.
    void userClick(int id);
    bool canClick(int id) const;  // an existing, enabled button, check box or enabled menu entry
    // The enabled push button marked StyleDefault; 0 when there is none.
    int defaultButton() const;
    // Enter: presses the focused button, else the default button; without one the handler hears
    // the Enter command, and when it leaves the focus where it was, the focus goes on to the next
    // edit box in the tab order, as in a data-entry form.
    EnterOutcome userEnter();
    // The close box (or Esc): the handler hears Close and the dialog ends, unless the handler
    // called keepOpen while it did (the user chose to go back to the dialog). True when it ended.
    bool userClose();
    void keepOpen() { keepOpen_ = true; }
    // What the close box does now (the template's words until the handler says otherwise).
    const std::string& escapeHint() const { return escape_; }
    void setEscapeHint(std::string words) { escape_ = std::move(words); }
    // The dialog's own help: the first entry of a menu titled Help, else an enabled button
    // captioned Help; 0 when it has none.
    int helpEntry() const;

private:
    struct State {
        bool enabled = true;
        bool checked = false;
        std::vector<std::string> lines;
        int selection = -1;
    };
    ControlSpec* find(int id);
    const ControlSpec* find(int id) const;

    DialogTemplate tpl_;
    std::string caption_;
    std::vector<ControlSpec> controls_;
    std::vector<State> states_;
    std::vector<Menu> menus_;
    int focus_ = 0;
    std::string escape_;
    bool keepOpen_ = false;
    bool ended_ = false;
    int result_ = 0;
    Handler handler_;
};

// Shows a dialog modally on the current backend and returns when it has ended.
int showModal(const DialogTemplate& tpl, Handler handler);

}  // namespace platform
