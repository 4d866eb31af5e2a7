// What the keys do in the dialog model, the same on every backend: Tab follows the screen, Enter
// presses the default button or goes on to the next box, the close box may be refused by its
// handler, F1 finds the dialog's own help or the session's.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/dialog.h"
#include "platform/process.h"
#include "support/client_dir.h"

using namespace platform;

namespace {

ControlSpec at(ControlKind kind, int id, int x, int y, int w = 40, int h = 12, std::uint32_t style = StyleNone) {
    return {kind, id, "", x, y, w, h, style};
}

// Asset File Maintenance as it stands when no record is open: the number box (created after the
// bitmap button), then the boxes of the record, the buttons along the foot, and OK beside the
// number box, last of all.
std::vector<ControlSpec> maintenanceLike() {
    return {
        at(ControlKind::Label, 101, 5, 10, 80, 14),
        at(ControlKind::BitmapButton, 161, 153, 213, 44, 27),
        at(ControlKind::Edit, 201, 105, 8),
        at(ControlKind::Edit, 202, 105, 23, 150),
        at(ControlKind::Edit, 203, 105, 36, 50),
        at(ControlKind::Edit, 204, 175, 36, 50),
        at(ControlKind::Edit, 205, 105, 49, 30),
        at(ControlKind::Edit, 305, 260, 49, 30),
        at(ControlKind::Frame, 195, 10, 204, 345, 39),
        at(ControlKind::Button, 196, 25, 219, 40, 14),
        at(ControlKind::Button, 199, 245, 219, 30, 14),
        at(ControlKind::Button, 194, 160, 8, 40, 12),
    };
}

}  // namespace

TEST(TabOrder, FollowsTheScreen) {
    std::vector<ControlSpec> cs = maintenanceLike();
    const std::vector<int> want = {201, 194, 202, 203, 204, 205, 305, 196, 161, 199};
    EXPECT_EQ(tabOrder(cs), want) << "top to bottom, left to right; the bitmap button one row with the buttons";
    // The number box made anew, at the end of the controls and two units lower: its place.
    std::erase_if(cs, [](const ControlSpec& c) { return c.id == 201; });
    cs.push_back(at(ControlKind::Edit, 201, 105, 10));
    EXPECT_EQ(tabOrder(cs), want);
    // Labels, frames, lines and icons take no focus; a control listed twice counts once.
    cs.push_back(at(ControlKind::Icon, 9, 0, 0));
    cs.push_back(at(ControlKind::HLine, 141, 5, 47, 360, 1));
    EXPECT_EQ(tabOrder(cs), want);
    EXPECT_TRUE(tabOrder({}).empty());
}

TEST(TabOrder, RowsAreControlsLevelWithEachOther) {
    const struct {
        const char* name;
        std::vector<ControlSpec> controls;
        std::vector<int> order;
    } cases[] = {
        {"one row, right to left in creation", {at(ControlKind::Button, 2, 90, 70), at(ControlKind::Button, 1, 30, 70)}, {1, 2}},
        {"a column", {at(ControlKind::Edit, 2, 10, 30), at(ControlKind::Edit, 1, 10, 10)}, {1, 2}},
        {"a tall list beside a short box: two rows",
         {at(ControlKind::ListBox, 1, 10, 10, 40, 100), at(ControlKind::Button, 2, 60, 10, 40, 14)}, {2, 1}},
        {"a check box under a box", {at(ControlKind::CheckBox, 2, 10, 18), at(ControlKind::Edit, 1, 105, 3)}, {1, 2}},
        {"two columns of fields go row by row",
         {at(ControlKind::Edit, 205, 105, 49), at(ControlKind::Edit, 206, 105, 62), at(ControlKind::Edit, 305, 260, 49),
          at(ControlKind::Edit, 306, 260, 62)},
         {205, 305, 206, 306}},
    };
    for (const auto& c : cases) EXPECT_EQ(tabOrder(c.controls), c.order) << c.name;
}

namespace {

// A dialog whose handler logs what it hears; `enterMoves` makes it move the focus itself on
// the Enter command (as the amortization does).
struct Logged {
    Dialog dlg;
    std::vector<std::string> log;
    explicit Logged(const DialogTemplate& t, bool enterMoves = false, bool refuseClose = false) : dlg(t) {
        dlg.attach([this, enterMoves, refuseClose](Dialog& d, const Event& e) {
            log.push_back(std::to_string(static_cast<int>(e.kind)) + ":" + std::to_string(e.id));
            if (e.kind == EventKind::Command && e.id == kEnterCommand && enterMoves) d.setFocus(203);
            if (e.kind == EventKind::Close && refuseClose) d.keepOpen();
        });
    }
};

DialogTemplate entryForm(bool withDefault) {
    DialogTemplate t;
    t.controls = {at(ControlKind::Edit, 201, 10, 10), at(ControlKind::Button, 301, 60, 10, 40, 14, withDefault ? StyleDefault : StyleNone),
                  at(ControlKind::Edit, 202, 10, 30), at(ControlKind::CheckBox, 204, 10, 50), at(ControlKind::Edit, 203, 10, 70),
                  at(ControlKind::Button, 302, 60, 90)};
    return t;
}

}  // namespace

TEST(Enter, PressesTheDefaultButtonOrGoesOnToTheNextBox) {
    const std::string click301 = "2:301", enter = "2:1";
    const struct {
        const char* name;
        bool withDefault;
        bool defaultEnabled;
        bool handlerMoves;
        int focus;
        EnterOutcome outcome;
        std::vector<std::string> log;
        int focusAfter;
    } cases[] = {
        {"default button, from a box", true, true, false, 201, EnterOutcome::Pressed, {click301}, 201},
        {"default button, from another box", true, true, false, 203, EnterOutcome::Pressed, {click301}, 203},
        {"a focused button is pressed", true, true, false, 302, EnterOutcome::Pressed, {"2:302"}, 302},
        {"disabled default: next box", true, false, false, 201, EnterOutcome::Moved, {enter}, 202},
        {"no default: next box", false, true, false, 202, EnterOutcome::Moved, {enter}, 203},
        {"the last box wraps round", false, true, false, 203, EnterOutcome::Moved, {enter}, 201},
        {"from a check box", false, true, false, 204, EnterOutcome::Moved, {enter}, 203},
        {"the handler moves it", false, true, true, 201, EnterOutcome::Handled, {enter}, 203},
    };
    for (const auto& c : cases) {
        Logged l(entryForm(c.withDefault), c.handlerMoves);
        l.dlg.enable(301, c.defaultEnabled);
        l.dlg.setFocus(c.focus);
        EXPECT_EQ(l.dlg.defaultButton(), c.withDefault && c.defaultEnabled ? 301 : 0) << c.name;
        EXPECT_EQ(l.dlg.userEnter(), c.outcome) << c.name;
        EXPECT_EQ(l.log, c.log) << c.name;
        EXPECT_EQ(l.dlg.focus(), c.focusAfter) << c.name;
    }
}

TEST(Enter, WithNowhereToGoSaysSo) {
    DialogTemplate t;
    t.controls = {at(ControlKind::Edit, 201, 10, 10), at(ControlKind::Edit, 202, 10, 30, 40, 12, StyleDisabled)};
    Logged l(t);
    l.dlg.setFocus(201);
    EXPECT_EQ(l.dlg.userEnter(), EnterOutcome::Nothing);
    EXPECT_EQ(l.dlg.focus(), 201);
}

TEST(CloseBox, EndsTheDialogUnlessTheHandlerKeepsItOpen) {
    Logged closes(entryForm(false));
    EXPECT_TRUE(closes.dlg.userClose());
    EXPECT_TRUE(closes.dlg.ended());
    EXPECT_EQ(closes.log, std::vector<std::string>{"1:0"});

    Logged stays(entryForm(false), false, true);
    EXPECT_FALSE(stays.dlg.userClose());
    EXPECT_FALSE(stays.dlg.ended());
    // Asked again, the handler decides again.
    EXPECT_FALSE(stays.dlg.userClose());
    EXPECT_EQ(stays.log.size(), 2u);

    // A handler that ends the dialog with a result of its own keeps it.
    Dialog own(entryForm(false));
    own.attach([](Dialog& d, const Event& e) {
        if (e.kind == EventKind::Close) d.end(7);
    });
    EXPECT_TRUE(own.userClose());
    EXPECT_EQ(own.result(), 7);
}

TEST(CloseBox, TheKeyLineWordsFollowTheHandler) {
    DialogTemplate t = entryForm(false);
    EXPECT_EQ(Dialog(t).escapeHint(), "close") << "the template's default";
    t.escape = "save and close";
    Dialog d(t);
    EXPECT_EQ(d.escapeHint(), "save and close");
    d.setEscapeHint("close (asks to save)");
    EXPECT_EQ(d.escapeHint(), "close (asks to save)");
}

TEST(Help, TheDialogsOwnEntryElseTheSessions) {
    DialogTemplate withMenu;
    withMenu.menuBar = {{"&File", {{612, "&Asset File"}}}, {"&Help", {{701, "&Contents - Processing"}, {702, "&About"}}}};
    DialogTemplate withButton;
    withButton.controls = {{ControlKind::Button, 302, "&Help", 0, 0, 40, 14}};
    DialogTemplate grayed = withMenu;
    grayed.menuBar[1].entries[0].grayed = true;
    EXPECT_EQ(Dialog(withMenu).helpEntry(), 701);
    EXPECT_EQ(Dialog(withButton).helpEntry(), 302);
    EXPECT_EQ(Dialog(grayed).helpEntry(), 0) << "a grayed first entry opens nothing";
    EXPECT_EQ(Dialog(entryForm(true)).helpEntry(), 0);

    dptest::ScriptRun run("");
    Logged own(withMenu);
    EXPECT_TRUE(openHelpFor(&own.dlg));
    EXPECT_EQ(own.log, std::vector<std::string>{"2:701"});
    Logged none(entryForm(true));
    setSessionHelp("");
    EXPECT_FALSE(openHelpFor(&none.dlg)) << "no help of its own and none for the session";
    EXPECT_FALSE(openHelpFor(nullptr));
    setSessionHelp("winhlp32 -I AppendixC writeup.hlp");
    EXPECT_TRUE(openHelpFor(&none.dlg));
    EXPECT_TRUE(openHelpFor(nullptr)) << "a message box opens the session's help too";
    EXPECT_TRUE(none.log.empty());
    setSessionHelp("");
    EXPECT_EQ(run.transcript(), "run: winhlp32 -I AppendixC writeup.hlp\nrun: winhlp32 -I AppendixC writeup.hlp\n");
}
