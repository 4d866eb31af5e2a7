// Edit boxes, list boxes, tab order, the menu bar and message boxes without a terminal.
#include <gtest/gtest.h>

#include <set>

#include "../../platform/src/terminal_ui.h"

namespace {

using platform::ControlKind;
using platform::ControlSpec;
using platform::MsgButtons;
using platform::MsgIcon;
using platform::MsgResult;
using platform::term::EditState;
using platform::term::Key;
using platform::term::KeyEvent;

KeyEvent ch(char c) { return {Key::Char, c}; }
KeyEvent key(Key k) { return {k, 0}; }

// ---- edit boxes -------------------------------------------------------------------------------

TEST(EditBox, EditingKeys) {
    struct Case {
        const char* name;
        EditState before;
        KeyEvent key;
        bool upper;
        const char* text;
        int cursor;
        bool changed;
        int limit = 0;  // the box's maxLength
    } cases[] = {
        {"insert in the middle", {"AC", 1}, ch('B'), false, "ABC", 2, true},
        {"insert at the end", {"AB", 2}, ch('c'), false, "ABc", 3, true},
        {"upper-case box", {"AB", 2}, ch('c'), true, "ABC", 3, true},
        {"upper-case leaves digits", {"", 0}, ch('7'), true, "7", 1, true},
        {"backspace", {"ABC", 2}, key(Key::Backspace), false, "AC", 1, true},
        {"backspace at the start", {"ABC", 0}, key(Key::Backspace), false, "ABC", 0, false},
        {"delete", {"ABC", 1}, key(Key::Delete), false, "AC", 1, true},
        {"delete at the end", {"ABC", 3}, key(Key::Delete), false, "ABC", 3, false},
        {"left", {"ABC", 2}, key(Key::Left), false, "ABC", 1, false},
        {"left at the start", {"ABC", 0}, key(Key::Left), false, "ABC", 0, false},
        {"right at the end", {"ABC", 3}, key(Key::Right), false, "ABC", 3, false},
        {"home", {"ABC", 2}, key(Key::Home), false, "ABC", 0, false},
        {"end", {"ABC", 0}, key(Key::End), false, "ABC", 3, false},
        {"typing replaces a text entered with Tab", {"OLD", 3, 0, true}, ch('N'), false, "N", 1, true},
        {"backspace clears a text entered with Tab", {"OLD", 3, 0, true}, key(Key::Backspace), false, "", 0, true},
        {"delete clears a text entered with Tab", {"OLD", 3, 0, true}, key(Key::Delete), false, "", 0, true},
        {"cursor key keeps a text entered with Tab", {"OLD", 3, 0, true}, key(Key::Home), false, "OLD", 0, false},
        {"cursor past the end is pulled back", {"AB", 9}, ch('C'), false, "ABC", 3, true},
        {"non-editing key", {"AB", 1}, key(Key::F10), false, "AB", 1, false},
        {"a full box takes no more", {"123456", 6}, ch('7'), false, "123456", 6, false, 6},
        {"nor in the middle", {"123456", 2}, ch('7'), false, "123456", 2, false, 6},
        {"a box one short takes one", {"12345", 5}, ch('6'), false, "123456", 6, true, 6},
        {"a full box's selected text is replaced", {"123456", 6, 0, true}, ch('9'), false, "9", 1, true, 6},
        {"a text set longer than the box only shrinks", {"1234567", 7}, key(Key::Backspace), false, "123456", 6, true, 6},
        {"a control byte is refused", {"AB", 2}, KeyEvent{Key::Char, 1}, false, "AB", 2, false},
        {"and DEL", {"AB", 2}, KeyEvent{Key::Char, 127}, false, "AB", 2, false},
        {"even replacing a selection", {"OLD", 3, 0, true}, KeyEvent{Key::Char, 27}, false, "OLD", 3, false},
    };
    for (Case c : cases) {
        const bool changed = platform::term::applyEditKey(c.before, c.key, c.upper, c.limit);
        EXPECT_EQ(changed, c.changed) << c.name;
        EXPECT_EQ(c.before.text, c.text) << c.name;
        EXPECT_EQ(c.before.cursor, c.cursor) << c.name;
    }
}

TEST(EditBox, MovingTheCursorEndsTheTabSelection) {
    EditState st{"OLD", 3, 0, true};
    platform::term::applyEditKey(st, key(Key::Left), false);
    EXPECT_FALSE(st.selectAll);
    platform::term::applyEditKey(st, ch('X'), false);
    EXPECT_EQ(st.text, "OLXD");
}

TEST(EditBox, ScrollKeepsTheCursorInTheField) {
    EditState st{"ABCDEFGHIJ", 10, 0, false};
    platform::term::scrollEditToCursor(st, 4);
    EXPECT_EQ(st.scroll, 7);  // "HIJ" and the cursor after it
    st.cursor = 2;
    platform::term::scrollEditToCursor(st, 4);
    EXPECT_EQ(st.scroll, 2);
    st.cursor = 5;
    platform::term::scrollEditToCursor(st, 4);
    EXPECT_EQ(st.scroll, 2);  // already visible: no jump
    // A text that now fits shows from its start.
    st = EditState{"AB", 2, 5, false};
    platform::term::scrollEditToCursor(st, 4);
    EXPECT_EQ(st.scroll, 0);
    // A full box shows every character, the cursor after them on its closing bracket.
    st = EditState{"101234", 6, 0, false};
    platform::term::scrollEditToCursor(st, 6);
    EXPECT_EQ(st.scroll, 0);
}

// The editing rule: a box that receives the focus has its whole text selected, padding aside.
TEST(EditBox, FocusSelectsTheTextWithoutItsPadding) {
    EditState st;
    const std::string stored = "SHOP EQUIPMENT" + std::string(21, ' ');
    platform::term::focusEdit(st, stored);
    EXPECT_EQ(st.text, "SHOP EQUIPMENT");
    EXPECT_TRUE(st.selectAll);
    EXPECT_EQ(st.cursor, 14);
    EXPECT_EQ(st.scroll, 0);
    EXPECT_EQ(st.source, stored);
    // Typing replaces the selection; End keeps the text and appends after its last letter.
    EditState typed = st;
    platform::term::applyEditKey(typed, ch('Q'), false);
    EXPECT_EQ(typed.text, "Q");
    EditState appended = st;
    platform::term::applyEditKey(appended, key(Key::End), false);
    platform::term::applyEditKey(appended, ch('!'), false);
    EXPECT_EQ(appended.text, "SHOP EQUIPMENT!");
    // Nothing to select in an empty box.
    EditState empty;
    platform::term::focusEdit(empty, "   ");
    EXPECT_EQ(empty.text, "");
    EXPECT_FALSE(empty.selectAll);
}

TEST(EditBox, ProgramAndUserChanges) {
    struct Case {
        const char* name;
        EditState before;
        const char* dialogText;
        bool userEdit;   // afterUserEdit instead of syncEdit
        const char* text;
        int cursor;
        bool selectAll;
    } cases[] = {
        {"unchanged text keeps the user's trailing blank", {"AB ", 3, 0, false, "AB "}, "AB ", false, "AB ", 3, false},
        {"unchanged text keeps the selection", {"AB", 2, 0, true, "AB  "}, "AB  ", false, "AB", 2, true},
        {"program text shows without padding", {"AB", 1, 0, true, "AB"}, "XYZ   ", false, "XYZ", 3, false},
        {"letter case changed by the program", {"abc", 1, 0, false, "abc"}, "ABC", false, "ABC", 1, false},
        {"handler upper-cased the typed text", {"u", 1, 0, false, ""}, "U", true, "U", 1, false},
        {"handler put a text of its own", {"12", 2, 0, false, "1"}, "12.00", true, "12.00", 5, false},
        {"typed text kept as typed", {"AB ", 3, 0, false, "AB"}, "AB ", true, "AB ", 3, false},
    };
    for (Case c : cases) {
        if (c.userEdit) platform::term::afterUserEdit(c.before, c.dialogText);
        else platform::term::syncEdit(c.before, c.dialogText);
        EXPECT_EQ(c.before.text, c.text) << c.name;
        EXPECT_EQ(c.before.cursor, c.cursor) << c.name;
        EXPECT_EQ(c.before.selectAll, c.selectAll) << c.name;
        EXPECT_EQ(c.before.source, c.dialogText) << c.name;
    }
}

TEST(EditBox, ASelectedTextShowsFromItsStart) {
    EditState st{"ABCDEFGHIJ", 10, 6, true};
    platform::term::scrollEditToCursor(st, 4);
    EXPECT_EQ(st.scroll, 0);
    platform::term::applyEditKey(st, key(Key::End), false);
    platform::term::scrollEditToCursor(st, 4);
    EXPECT_EQ(st.scroll, 7);
}

// ---- list boxes -------------------------------------------------------------------------------

TEST(ListBox, ATypedLetterJumpsToTheNextLineStartingWithIt) {
    const std::vector<std::string> lines = {"100   SHOP", "101   Cash", "200   BUILDINGS", "201   Store", "b200  lower",
                                            ""};
    struct Case {
        int selection;
        int ch;
        int expected;
    } cases[] = {
        {-1, '2', 2}, {2, '2', 3}, {3, '2', 2}, {0, '1', 1}, {1, '1', 0},
        {0, 'B', 4}, {4, 'b', 4}, {0, 'z', 0}, {-1, 'z', -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(platform::term::jumpToLetter(lines, c.selection, c.ch), c.expected) << c.selection << " " << char(c.ch);
    EXPECT_EQ(platform::term::jumpToLetter({}, -1, 'a'), -1);
}


TEST(ListBox, SelectionMoves) {
    struct Case {
        int sel, count, visible;
        Key key;
        int expected;
    } cases[] = {
        {-1, 10, 5, Key::Down, 0},  {-1, 10, 5, Key::Up, 0},     {3, 10, 5, Key::Down, 4},
        {9, 10, 5, Key::Down, 9},   {0, 10, 5, Key::Up, 0},      {2, 10, 5, Key::PageDown, 6},
        {8, 10, 5, Key::PageDown, 9}, {6, 10, 5, Key::PageUp, 2}, {1, 10, 5, Key::PageUp, 0},
        {5, 10, 5, Key::Home, 0},   {5, 10, 5, Key::End, 9},     {-1, 0, 5, Key::Down, -1},
        {4, 10, 5, Key::Left, 4},   {-1, 10, 1, Key::PageDown, 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(platform::term::moveListSelection(c.sel, c.count, c.visible, c.key), c.expected)
            << c.sel << " " << static_cast<int>(c.key);
}

TEST(ListBox, ScrollFollowsTheSelection) {
    EXPECT_EQ(platform::term::scrollListTo(0, 7, 20, 5), 3);    // below: last visible line
    EXPECT_EQ(platform::term::scrollListTo(10, 4, 20, 5), 4);   // above: first visible line
    EXPECT_EQ(platform::term::scrollListTo(2, 4, 20, 5), 2);    // visible: unchanged
    EXPECT_EQ(platform::term::scrollListTo(18, -1, 20, 5), 15); // no blank end while lines are hidden
    EXPECT_EQ(platform::term::scrollListTo(3, 1, 2, 5), 0);     // fewer lines than rows
    EXPECT_EQ(platform::term::scrollListTo(3, 0, 0, 5), 0);
}

// ---- tab order --------------------------------------------------------------------------------

TEST(TabOrder, EnabledFocusableControlsInCreationOrder) {
    const std::vector<ControlSpec> cs = {
        {ControlKind::Label, 101, "Report Date"},  {ControlKind::Edit, 201, ""},
        {ControlKind::CheckBox, 202, "Use Book Basis"}, {ControlKind::CheckBox, 203, "Use Tax Basis"},
        {ControlKind::Frame, 195, ""},                 {ControlKind::Button, 301, "Ok"},
        {ControlKind::ListBox, 601, ""},               {ControlKind::Icon, 9, ""},
        {ControlKind::BitmapButton, 161, "B2"},    {ControlKind::HLine, 141, ""},
    };
    const std::set<int> disabled = {203, 601};
    auto enabled = [&](int id) { return disabled.count(id) == 0; };
    using platform::term::nextFocus;
    EXPECT_EQ(nextFocus(cs, 201, false, enabled), 202);
    EXPECT_EQ(nextFocus(cs, 202, false, enabled), 301);  // disabled 203 skipped
    EXPECT_EQ(nextFocus(cs, 301, false, enabled), 161);  // disabled list skipped, icon is no stop
    EXPECT_EQ(nextFocus(cs, 161, false, enabled), 201);  // wraps round
    EXPECT_EQ(nextFocus(cs, 201, true, enabled), 161);
    EXPECT_EQ(nextFocus(cs, 301, true, enabled), 202);
    EXPECT_EQ(nextFocus(cs, 0, false, enabled), 201);    // no focus yet: the first
    EXPECT_EQ(nextFocus(cs, 0, true, enabled), 161);
    EXPECT_EQ(nextFocus(cs, 101, false, enabled), 201);  // a label has no place in the order
    EXPECT_EQ(nextFocus(cs, 201, false, [](int) { return false; }), 0);
}

// ---- buttons and the key line -------------------------------------------------------------------

TEST(KeyLine, NamesTheKeysThatWork) {
    using platform::term::KeyHints;
    KeyHints edit;
    edit.focus = KeyHints::Edit;
    edit.selected = true;
    edit.enter = "OK";
    edit.canMove = true;
    edit.help = true;
    edit.escape = "close";
    edit.menu = true;
    edit.mnemonics = true;
    KeyHints amort = edit;
    amort.selected = false;
    amort.enter = "next box";
    amort.help = amort.menu = false;
    amort.escape = "print";
    KeyHints list;
    list.focus = KeyHints::List;
    list.listChooses = true;
    list.canMove = true;
    list.scrolls = true;
    list.escape = "open 101";
    KeyHints listOnly = list;
    listOnly.listChooses = false;
    KeyHints options;  // no mnemonics: Alt is not named
    options.focus = KeyHints::CheckBox;
    options.enter = "Ok";
    options.canMove = true;
    options.escape = "cancel";
    KeyHints menuOpen = edit;
    menuOpen.menuOpen = true;
    const struct {
        const char* name;
        KeyHints hints;
        int width;
        const char* line;
    } cases[] = {
        {"all of it", edit, 200,
         "Type replaces  Enter OK  Esc close  Tab next  F1 help  F10 menu  Alt+letter  Arrows/Home/End  Shift-Tab back"},
        // Narrower: the least important take shorter words, then go; Esc stays to the last.
        {"80 columns", edit, 78, "Type replaces  Enter OK  Esc close  Tab next  F1 help  F10 menu  Alt+letter"},
        {"68 columns", edit, 68, "Type replaces  Enter OK  Esc close  Tab next  F1 help  F10 menu"},
        {"40 columns", edit, 40, "Type replaces  Enter OK  Esc close"},
        {"20 columns", edit, 20, "Enter OK  Esc close"},
        {"10 columns", edit, 10, "Esc close"},
        {"amortization", amort, 80, "Type inserts  Enter next box  Esc print  Tab next  Alt+letter  Arrows/Home/End"},
        {"amortization, wide", amort, 100,
         "Type inserts  Enter next box  Esc print  Tab next  Alt+letter  Arrows/Home/End  Shift-Tab back"},
        {"amortization, narrow", amort, 50, "Type inserts  Enter next box  Esc print  Tab next"},
        {"amortization, narrower", amort, 40, "Type inserts  Enter next box  Esc print"},
        {"listing", list, 90, "Up/Down line  Enter choose  Esc open 101  Tab next (scrolls)  Letter jumps  Shift-Tab back"},
        {"listing, 80 columns", list, 78, "Up/Down line  Enter choose  Esc open 101  Tab next (scrolls)  Letter jumps"},
        {"list without OK", listOnly, 80, "Up/Down line  Esc open 101  Tab next (scrolls)  Letter jumps  Shift-Tab back"},
        {"check box", options, 80, "Space check  Enter Ok  Esc cancel  Tab next  Shift-Tab back"},
        {"open menu", menuOpen, 80, "Up/Down entry  Enter choose  Left/Right menu  Esc closes the menu"},
        {"open menu, narrow", menuOpen, 50, "Up/Down entry  Enter choose  Esc closes the menu"},
        {"open menu, narrower", menuOpen, 40, "Enter choose  Esc closes the menu"},
    };
    for (const auto& c : cases) {
        const std::string line = platform::term::keyLine(c.hints, c.width);
        EXPECT_EQ(line, c.line) << c.name;
        EXPECT_LE(static_cast<int>(line.size()), c.width) << c.name;
    }
}

TEST(KeyLine, ItemsFitByRank) {
    using platform::term::KeyItem;
    const std::vector<KeyItem> items = {{"Alpha one", "Alpha", 1}, {"Beta two", "", 0}, {"Gamma three", "Gamma", 2}};
    const struct {
        int width;
        const char* line;
    } cases[] = {
        {40, "Alpha one  Beta two  Gamma three"},
        {30, "Alpha one  Beta two  Gamma"},  // the least important shortened first
        {25, "Alpha one  Beta two"},         // then left out, before the next is shortened
        {16, "Alpha  Beta two"},
        {8, "Beta two"},
        {3, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(platform::term::fitKeyItems(items, c.width), c.line) << c.width;
    EXPECT_EQ(platform::term::fitKeyItems({{"", "", 0}, {"Kept", "", 1}}, 20), "Kept") << "an empty item is none";
}

TEST(KeyLine, MessageBoxes) {
    EXPECT_EQ(platform::term::messageKeyLine({"&Yes", "&No"}, 80), "Y Yes  N No  Enter chooses  Tab next  Esc No");
    EXPECT_EQ(platform::term::messageKeyLine({"&OK", "&Cancel"}, 80), "O OK  C Cancel  Enter chooses  Tab next  Esc Cancel");
    EXPECT_EQ(platform::term::messageKeyLine({"&Yes", "&No", "&Cancel"}, 80, true),
              "Y Yes  N No  C Cancel  Enter chooses  Tab next  Esc Cancel  F1 help");
    EXPECT_EQ(platform::term::messageKeyLine({"&OK"}, 80), "Enter or Esc: OK");
    EXPECT_EQ(platform::term::messageKeyLine({"&OK"}, 80, true), "Enter or Esc: OK  F1 help");
    EXPECT_EQ(platform::term::messageKeyLine({"&Yes", "&No"}, 20), "Y Yes  N No  Esc No");
}

TEST(Captions, Ok) {
    for (const char* ok : {"OK", "&OK", "Ok", "o&k"}) EXPECT_TRUE(platform::term::isOkCaption(ok)) << ok;
    for (const char* other : {"&Cancel", "OK!", "", "Book"}) EXPECT_FALSE(platform::term::isOkCaption(other)) << other;
}

// ---- menu bar ---------------------------------------------------------------------------------

std::vector<platform::Menu> maintenanceMenus() {
    return {{"&File", {{612, "&Asset File"}, {0, "-"}, {609, "&Close"}}},
            {"&Edit", {{613, "Abort Record", true}, {616, "Save Record", true}, {615, "Delete Record", true}}},
            {"&Help", {{701, "&Contents - Processing"}, {703, "&Display Depr. Methods"}, {702, "&About"}}}};
}

TEST(MenuBar, TitleOffsets) {
    EXPECT_EQ(platform::term::menuTitleOffsets(maintenanceMenus()), (std::vector<int>{1, 7, 13}));
}

TEST(MenuBar, Navigation) {
    const auto menus = maintenanceMenus();
    std::set<int> grayed = {613, 616, 615};
    auto enabled = [&](int id) { return grayed.count(id) == 0; };
    using platform::term::MenuOutcome;

    platform::term::MenuCursor cur = platform::term::openMenu(menus, 0);
    EXPECT_EQ(cur.menu, 0);
    EXPECT_EQ(cur.entry, 0);
    platform::term::menuKey(menus, cur, key(Key::Down), enabled);
    EXPECT_EQ(cur.entry, 2) << "the separator is stepped over";
    platform::term::menuKey(menus, cur, key(Key::Down), enabled);
    EXPECT_EQ(cur.entry, 0) << "wraps to the top";
    platform::term::menuKey(menus, cur, key(Key::Up), enabled);
    EXPECT_EQ(cur.entry, 2);
    platform::term::menuKey(menus, cur, key(Key::Left), enabled);
    EXPECT_EQ(cur.menu, 2) << "left of the first menu is the last";
    platform::term::menuKey(menus, cur, key(Key::Right), enabled);
    EXPECT_EQ(cur.menu, 0);
    platform::term::menuKey(menus, cur, key(Key::Right), enabled);
    EXPECT_EQ(cur.menu, 1);
    EXPECT_EQ(cur.entry, 0);

    // A grayed entry can be highlighted but not chosen.
    MenuOutcome out = platform::term::menuKey(menus, cur, key(Key::Enter), enabled);
    EXPECT_EQ(out.kind, MenuOutcome::Stay);
    EXPECT_TRUE(cur.open());
    grayed.erase(613);
    out = platform::term::menuKey(menus, cur, key(Key::Enter), enabled);
    EXPECT_EQ(out.kind, MenuOutcome::Chosen);
    EXPECT_EQ(out.id, 613);
    EXPECT_FALSE(cur.open());

    // The letter of an entry chooses it; Alt and a title letter switch menus; Esc closes.
    cur = platform::term::openMenu(menus, 2);
    out = platform::term::menuKey(menus, cur, ch('d'), enabled);
    EXPECT_EQ(out.kind, MenuOutcome::Chosen);
    EXPECT_EQ(out.id, 703);
    cur = platform::term::openMenu(menus, 2);
    out = platform::term::menuKey(menus, cur, KeyEvent{Key::Alt, 'f'}, enabled);
    EXPECT_EQ(out.kind, MenuOutcome::Stay);
    EXPECT_EQ(cur.menu, 0);
    out = platform::term::menuKey(menus, cur, key(Key::Esc), enabled);
    EXPECT_EQ(out.kind, MenuOutcome::Closed);
    EXPECT_FALSE(cur.open());
    cur = platform::term::openMenu(menus, 1);
    out = platform::term::menuKey(menus, cur, key(Key::F10), enabled);
    EXPECT_EQ(out.kind, MenuOutcome::Closed);

    EXPECT_EQ(platform::term::menuForMnemonic(menus, 'h'), 2);
    EXPECT_EQ(platform::term::menuForMnemonic(menus, 'E'), 1);
    EXPECT_EQ(platform::term::menuForMnemonic(menus, 'z'), -1);
    EXPECT_FALSE(platform::term::openMenu(menus, 3).open());
}

TEST(MenuBar, MenuOfSeparatorsOnly) {
    const std::vector<platform::Menu> menus = {{"&X", {{0, "-"}, {0, "-"}}}};
    platform::term::MenuCursor cur = platform::term::openMenu(menus, 0);
    EXPECT_EQ(cur.entry, -1);
    platform::term::menuKey(menus, cur, key(Key::Down), [](int) { return true; });
    EXPECT_EQ(cur.entry, -1);
    EXPECT_EQ(platform::term::menuKey(menus, cur, key(Key::Enter), [](int) { return true; }).kind,
              platform::term::MenuOutcome::Stay);
}

// ---- message boxes ----------------------------------------------------------------------------

TEST(MessageBox, LinesSplitAtLineEndsAndBoxFitsThem) {
    std::string text;
    for (int i = 0; i < 13; ++i) text += "Line " + std::to_string(i) + "          \r\n";
    const auto box = platform::term::layoutMessage(text, "DEPRECIATION METHODS", MsgIcon::Information,
                                                   MsgButtons::Ok, 100);
    ASSERT_EQ(box.lines.size(), 13u) << "the closing CR LF makes no empty line";
    EXPECT_EQ(box.lines[12], "Line 12");
    EXPECT_EQ(box.mark, "(i)");
    EXPECT_EQ(box.rows, 13 + 5);
    EXPECT_EQ(box.cols, 4 + std::max(5 + 7, static_cast<int>(std::string("DEPRECIATION METHODS").size()) + 4));
    EXPECT_EQ(box.buttons, (std::vector<std::string>{"&OK"}));

    const auto two = platform::term::layoutMessage("Current Year END Date:12312003\r\nNew Year End Date:    12312004",
                                                   "DEPRECIATION - CLOSE YEAR", MsgIcon::Question,
                                                   MsgButtons::OkCancel, 100);
    EXPECT_EQ(two.lines, (std::vector<std::string>{"Current Year END Date:12312003", "New Year End Date:    12312004"}));
    EXPECT_EQ(two.mark, "(?)");
    EXPECT_EQ(two.results, (std::vector<MsgResult>{MsgResult::Ok, MsgResult::Cancel}));
}

TEST(MessageBox, LongLinesWrapToTheScreen) {
    const std::string longLine(30, 'x');
    const auto box = platform::term::layoutMessage(longLine + " " + longLine + " " + longLine, "Error",
                                                   MsgIcon::Error, MsgButtons::Ok, 60);
    EXPECT_LE(box.cols, 60);
    ASSERT_EQ(box.lines.size(), 3u);
    EXPECT_EQ(box.lines[0], longLine);
    EXPECT_EQ(box.mark, "(X)");
    // Plain box without icon and an empty text still has room for title and button.
    const auto plain = platform::term::layoutMessage("", "", MsgIcon::None, MsgButtons::Ok, 80);
    EXPECT_EQ(plain.lines.size(), 1u);
    EXPECT_GE(plain.cols, 10);
}

TEST(MessageBox, Keys) {
    const auto yesNo = platform::term::layoutMessage("Are you Sure ?", "Delete Asset Record", MsgIcon::Question,
                                                     MsgButtons::YesNo, 80);
    const auto okCancel = platform::term::layoutMessage("x", "t", MsgIcon::Question, MsgButtons::OkCancel, 80);
    const auto ok = platform::term::layoutMessage("x", "t", MsgIcon::Error, MsgButtons::Ok, 80);
    struct Case {
        const platform::term::MessageLayout* box;
        int focus;
        KeyEvent key;
        std::optional<MsgResult> result;
        int focusAfter;
    } cases[] = {
        {&yesNo, 0, key(Key::Enter), MsgResult::Yes, 0},
        {&yesNo, 1, key(Key::Enter), MsgResult::No, 1},
        {&yesNo, 0, key(Key::Esc), MsgResult::No, 0},
        {&yesNo, 0, ch('n'), MsgResult::No, 1},
        {&yesNo, 1, ch('Y'), MsgResult::Yes, 0},
        {&yesNo, 0, KeyEvent{Key::Alt, 'n'}, MsgResult::No, 1},
        {&yesNo, 0, ch('o'), std::nullopt, 0},
        {&yesNo, 0, key(Key::Tab), std::nullopt, 1},
        {&yesNo, 1, key(Key::Right), std::nullopt, 0},
        {&yesNo, 0, key(Key::Left), std::nullopt, 1},
        {&yesNo, 1, ch(' '), MsgResult::No, 1},
        {&okCancel, 0, key(Key::Esc), MsgResult::Cancel, 0},
        {&okCancel, 0, ch('c'), MsgResult::Cancel, 1},
        {&okCancel, 1, ch('o'), MsgResult::Ok, 0},
        {&ok, 0, key(Key::Esc), MsgResult::Ok, 0},
        {&ok, 0, key(Key::Tab), std::nullopt, 0},
        {&ok, 0, key(Key::F10), std::nullopt, 0},
    };
    for (Case c : cases) {
        int focus = c.focus;
        EXPECT_EQ(platform::term::messageKey(*c.box, focus, c.key), c.result) << c.box->title << " " << c.key.ch;
        EXPECT_EQ(focus, c.focusAfter) << c.box->title << " " << c.key.ch;
    }
}

}  // namespace

namespace {

TEST(Mouse, TheZoneDrawnLastWins) {
    using platform::term::Zone;
    const std::vector<Zone> zones = {
        {Zone::Control, 5, 10, 1, 8, 401},        // a button
        {Zone::Control, 3, 20, 6, 12, 601},       // a list
        {Zone::MenuEntry, 4, 18, 1, 10, 0, 2},    // an open menu's entry over both
    };
    EXPECT_EQ(platform::term::zoneAt(zones, 5, 10)->id, 401);
    EXPECT_EQ(platform::term::zoneAt(zones, 5, 17)->id, 401);
    EXPECT_EQ(platform::term::zoneAt(zones, 5, 18), nullptr);
    EXPECT_EQ(platform::term::zoneAt(zones, 5, 20)->id, 601);
    EXPECT_EQ(platform::term::zoneAt(zones, 4, 20)->kind, Zone::MenuEntry);
    EXPECT_EQ(platform::term::zoneAt(zones, 8, 31)->id, 601);
    EXPECT_EQ(platform::term::zoneAt(zones, 9, 31), nullptr);
    EXPECT_EQ(platform::term::zoneAt(zones, 5, 9), nullptr);
    EXPECT_EQ(platform::term::zoneAt({}, 0, 0), nullptr);
}

}  // namespace
