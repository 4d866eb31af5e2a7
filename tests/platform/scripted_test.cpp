#include <gtest/gtest.h>

#include "platform/backend.h"
#include "platform/dialog.h"
#include "platform/message.h"
#include "support/client_dir.h"

using namespace platform;
using dptest::ScriptRun;

namespace {

DialogTemplate sample() {
    DialogTemplate t;
    t.caption = "Sample";
    t.controls = {{ControlKind::Edit, 201, "", 0, 0, 40, 12, StyleUpperCase},
                  {ControlKind::Edit, 202, "", 0, 0, 40, 12, StyleDisabled},
                  {ControlKind::CheckBox, 115, "Box", 0, 0, 40, 12},
                  {ControlKind::Button, 301, "OK", 0, 0, 40, 12},
                  {ControlKind::ListBox, 601, "", 0, 0, 40, 40}};
    t.menuBar = {{"&File", {{612, "&Asset File", false}, {0, "-", false}, {613, "Abort", true}}}};
    return t;
}

}  // namespace

TEST(ScriptedBackend, DrivesHandlersAndRecordsWhatWasShown) {
    ScriptRun run("type 201 abc\ncheck 115\nselect 601 1\nclick 612\nenter\nclick 301\n");
    std::vector<std::string> seen;
    showModal(sample(), [&](Dialog& d, const Event& e) {
        if (e.kind == EventKind::Init) {
            d.setListLines(601, {"one", "two"});
            return;
        }
        seen.push_back(std::to_string(static_cast<int>(e.kind)) + ":" + std::to_string(e.id));
        if (e.kind == EventKind::Notify && e.id == 201) { EXPECT_EQ(d.text(201), "ABC"); }
        if (e.kind == EventKind::Command && e.id == 115) { EXPECT_TRUE(d.isChecked(115)); }
        if (e.kind == EventKind::Notify && e.id == 601) { EXPECT_EQ(d.listSelection(601), 1); }
        if (e.kind == EventKind::Command && e.id == 301) d.end(7);
    });
    // Enter with the focus on a check box is the dialog's Enter command.
    const std::vector<std::string> want = {"3:201", "2:115", "3:601", "2:612", "2:1", "2:301"};
    EXPECT_EQ(seen, want);
    EXPECT_EQ(run.transcript(), "dialog: Sample\n");
}

TEST(ScriptedBackend, RefusesWhatTheDialogCannotDo) {
    const char* bad[] = {"type 202 x\n", "click 613\n", "click 999\n", "select 601 5\n", "answer yes\n",
                         "frobnicate\n", ""};
    for (const char* script : bad) {
        ScriptRun run(script);
        EXPECT_THROW(showModal(sample(), [](Dialog&, const Event&) {}), ScriptStop) << script;
    }
}

TEST(ScriptedBackend, MessageBoxesTakeAnswersOrAcknowledgeOk) {
    ScriptRun run("answer cancel\n");
    EXPECT_EQ(messageBox("Sure?", "Q", MsgIcon::Question, MsgButtons::OkCancel), MsgResult::Cancel);
    EXPECT_EQ(messageBox("Line 1\r\nLine 2", "Title", MsgIcon::Information), MsgResult::Ok);
    EXPECT_THROW(messageBox("Again?", "Q", MsgIcon::Question, MsgButtons::YesNo), ScriptStop);
    EXPECT_EQ(run.transcript().substr(0, 61), "message: Q | Sure?\nmessage: Title | Line 1\\nLine 2\nmessage: Q");
}

TEST(ScriptedBackend, ProgramSetTextNotifiesLikeTyping) {
    ScriptRun run("close\n");
    int notes = 0;
    bool closed = false;
    showModal(sample(), [&](Dialog& d, const Event& e) {
        if (e.kind == EventKind::Init) d.setText(201, "filled");
        if (e.kind == EventKind::Notify) ++notes;
        if (e.kind == EventKind::Close) closed = true;
    });
    EXPECT_EQ(notes, 1);
    EXPECT_TRUE(closed);
}

namespace {

DialogTemplate limited() {
    DialogTemplate t;
    t.caption = "Limited";
    ControlSpec number{ControlKind::Edit, 201, "", 0, 0, 40, 12, StyleUpperCase};
    number.maxLength = 6;
    t.controls = {number, {ControlKind::Edit, 202, "", 0, 0, 40, 12}};
    return t;
}

}  // namespace

// A box takes what a user could type into it: cut at its length, without control bytes, and
// the transcript says what it kept; a text it takes whole leaves no note.
TEST(ScriptedBackend, TypingTakesWhatTheBoxHolds) {
    ScriptRun run("type 201 ab34567\ntype 202 tab\there\ntype 201 ok\nclose\n");
    std::vector<std::string> seen;
    showModal(limited(), [&](Dialog& d, const Event& e) {
        if (e.kind == EventKind::Notify) seen.push_back(d.text(e.id));
    });
    EXPECT_EQ(seen, (std::vector<std::string>{"AB3456", "tabhere", "OK"}));
    EXPECT_EQ(run.transcript(), "dialog: Limited\nkept: 201 AB3456\nkept: 202 tabhere\n");
}

TEST(Dialog, TypeableText) {
    ControlSpec box{ControlKind::Edit, 1, ""};
    EXPECT_EQ(typeableText(box, "a\001b\177\037 c\r\n"), "ab c");
    box.maxLength = 3;
    EXPECT_EQ(typeableText(box, "12345"), "123");
    EXPECT_EQ(typeableText(box, "\t1\t2\t3\t4"), "123");
    box.style = StyleUpperCase;
    EXPECT_EQ(typeableText(box, "abcd"), "ABC");
    EXPECT_EQ(typeableText(box, "\xe9t\xe9"), "\xe9T\xe9");  // only control bytes go
}

// "enter" at a question presses its default button; a box with OK alone leaves the line for the
// dialog after it.
TEST(ScriptedBackend, EnterAtAQuestionPressesItsDefaultButton) {
    ScriptRun run("enter\nenter\nenter\nenter\n");
    EXPECT_EQ(messageBox("Close?", "Q", MsgIcon::Question, MsgButtons::OkCancel, true, MsgDefault::Second),
              MsgResult::Cancel);
    EXPECT_EQ(messageBox("Delete?", "Q", MsgIcon::Question, MsgButtons::YesNo, true, MsgDefault::Second),
              MsgResult::No);
    EXPECT_EQ(messageBox("Go on?", "Q", MsgIcon::Question, MsgButtons::YesNo), MsgResult::Yes);
    EXPECT_EQ(messageBox("Noted.", "N", MsgIcon::Information, MsgButtons::Ok, true, MsgDefault::Second), MsgResult::Ok);
    EXPECT_EQ(messageBox("Print?", "Q", MsgIcon::Question, MsgButtons::OkCancel), MsgResult::Ok);
    EXPECT_EQ(run.transcript(), "message: Q | Close?\nmessage: Q | Delete?\nmessage: Q | Go on?\n"
                                "message: N | Noted.\nmessage: Q | Print?\n");
}

// Yes/No/Cancel: each answer, Enter's default (the third when asked), and a third default that a
// box of two buttons does not have falls back to its second.
TEST(ScriptedBackend, ThreeButtonQuestions) {
    const struct {
        const char* line;
        MsgButtons buttons;
        MsgDefault def;
        MsgResult result;
    } cases[] = {
        {"answer yes\n", MsgButtons::YesNoCancel, MsgDefault::Third, MsgResult::Yes},
        {"answer no\n", MsgButtons::YesNoCancel, MsgDefault::Third, MsgResult::No},
        {"answer cancel\n", MsgButtons::YesNoCancel, MsgDefault::First, MsgResult::Cancel},
        {"enter\n", MsgButtons::YesNoCancel, MsgDefault::Third, MsgResult::Cancel},
        {"enter\n", MsgButtons::YesNoCancel, MsgDefault::Second, MsgResult::No},
        {"enter\n", MsgButtons::YesNoCancel, MsgDefault::First, MsgResult::Yes},
        {"enter\n", MsgButtons::YesNo, MsgDefault::Third, MsgResult::No},
        {"enter\n", MsgButtons::OkCancel, MsgDefault::Third, MsgResult::Cancel},
    };
    for (const auto& c : cases) {
        ScriptRun run(c.line);
        EXPECT_EQ(messageBox("Save?", "Q", MsgIcon::Question, c.buttons, true, c.def), c.result) << c.line;
    }
    ScriptRun wrong("answer cancel\n");
    EXPECT_THROW(messageBox("Delete?", "Q", MsgIcon::Question, MsgButtons::YesNo), ScriptStop)
        << "cancel is no answer to Yes/No";
}
