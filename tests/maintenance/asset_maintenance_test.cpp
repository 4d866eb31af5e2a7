#include <cstring>
#include <filesystem>
#include <functional>

#include "entry/menu.h"
#include "fixture.h"
#include "register/maintenance_error.h"

using namespace dp;
using mt::asset;
using mt::ClientTest;
using mt::Driven;
using platform::ControlKind;

namespace {

const platform::ControlSpec* findControl(const platform::DialogTemplate& t, int id, const std::string& text = "") {
    for (const auto& c : t.controls)
        if (c.id == id && (text.empty() || c.text == text)) return &c;
    return nullptr;
}

using MaintenanceTest = ClientTest;

}  // namespace

TEST(MaintenanceLayout, ControlsCaptionsAndPlaces) {
    const platform::DialogTemplate t = buildAssetMaintenanceDialog("ACME  ");
    EXPECT_EQ(t.caption, "Asset File Maintenance  (ACME)");
    EXPECT_EQ(t.width, 370);
    EXPECT_EQ(t.height, 280);
    EXPECT_TRUE(t.centred && t.systemMenu && t.topmost);
    EXPECT_EQ(t.icon, "PROGRAM");
    struct Want {
        ControlKind kind;
        int id;
        const char* text;
        int x, y, w, h;
    } want[] = {
        {ControlKind::Label, 101, "Asset Number", 5, 10, 80, 14},
        {ControlKind::Label, 104, "Date Sold", 235, 38, 80, 12},
        {ControlKind::Label, 121, "---BOOK---", 155, 50, 50, 12},
        {ControlKind::Label, 121, "---TAX---", 310, 50, 50, 12},
        {ControlKind::Label, 107, "Manual Calculation Y/N", 5, 77, 100, 12},
        {ControlKind::Label, 114, "Current year depreciation", 5, 168, 80, 12},
        {ControlKind::Label, 116, "Form 4562 Code", 5, 194, 80, 12},
        {ControlKind::Label, 131, "", 140, 64, 40, 12},
        {ControlKind::Label, 132, "", 295, 64, 40, 12},
        {ControlKind::HLine, 141, "", 5, 47, 360, 1},
        {ControlKind::BitmapButton, 161, "B2", 153, 213, 44, 27},
        {ControlKind::Edit, 201, "", 105, 8, 40, 12},
        {ControlKind::Edit, 202, "", 105, 23, 150, 12},
        {ControlKind::Edit, 203, "", 105, 36, 50, 12},
        {ControlKind::Edit, 204, "", 175, 36, 50, 12},
        {ControlKind::Edit, 205, "", 105, 49, 30, 12},
        {ControlKind::Edit, 207, "", 105, 75, 15, 12},
        {ControlKind::Edit, 215, "", 105, 179, 90, 12},
        {ControlKind::Edit, 216, "", 105, 192, 50, 12},
        {ControlKind::Edit, 306, "", 260, 62, 30, 12},
        {ControlKind::Edit, 316, "", 260, 192, 50, 12},
        {ControlKind::Frame, 195, "", 10, 204, 345, 39},
        {ControlKind::Button, 196, "&Save", 25, 219, 40, 14},
        {ControlKind::Button, 197, "&Abort", 75, 219, 40, 14},
        {ControlKind::Button, 199, "&Close", 245, 219, 30, 14},
        {ControlKind::Button, 194, "OK", 160, 8, 40, 12},
        {ControlKind::Button, 193, "Delete", 285, 219, 50, 14},
    };
    for (const Want& w : want) {
        const platform::ControlSpec* c = findControl(t, w.id, w.text);
        ASSERT_NE(c, nullptr) << w.id;
        EXPECT_EQ(c->kind, w.kind) << w.id;
        EXPECT_EQ(c->x, w.x) << w.id;
        EXPECT_EQ(c->y, w.y) << w.id;
        EXPECT_EQ(c->width, w.w) << w.id;
        EXPECT_EQ(c->height, w.h) << w.id;
    }
    EXPECT_EQ(t.controls.size(), 20u + 1 + 1 + 4 + 24 + 1 + 5);
    EXPECT_TRUE(findControl(t, 201)->style & platform::StyleUpperCase);
    ASSERT_EQ(t.menuBar.size(), 3u);
    EXPECT_EQ(t.menuBar[0].title, "&File");
    ASSERT_EQ(t.menuBar[0].entries.size(), 3u);
    EXPECT_EQ(t.menuBar[0].entries[0].id, 612);
    EXPECT_EQ(t.menuBar[0].entries[1].text, "-");
    EXPECT_EQ(t.menuBar[0].entries[2].text, "&Close");
    EXPECT_EQ(t.menuBar[1].title, "&Edit");
    for (const auto& e : t.menuBar[1].entries) EXPECT_TRUE(e.grayed) << e.text;
    EXPECT_EQ(t.menuBar[2].entries[0].text, "&Contents - Processing");
    EXPECT_EQ(t.menuBar[2].entries[1].id, 703);
    EXPECT_EQ(t.menuBar[2].entries[2].id, 702);
}

TEST_F(MaintenanceTest, InitialisedDialogIsIdle) {
    Driven d(cl(), state());
    EXPECT_EQ(d.dlg.focus(), 201);
    EXPECT_EQ(state().pickMarker, 201);
    EXPECT_TRUE(d.dlg.isEnabled(194));
    for (int id : {193, 196, 197, 202, 216, 305, 316}) EXPECT_FALSE(d.dlg.isEnabled(id)) << id;
    EXPECT_FALSE(d.dlg.menuEnabled(616));
    EXPECT_TRUE(d.dlg.menuEnabled(612));
}

TEST_F(MaintenanceTest, TypedLowerCaseNumberIsLookedUpInUpperCase) {
    client.writeRegister({asset("AB1", "Truck"), asset("AB12", "Lathe")});
    dptest::ScriptRun run("");
    Driven d(cl(), state());
    // Set by the program, the box does not upper-case: the handler does.
    d.dlg.setText(201, "ab12");
    d.click(194);
    EXPECT_EQ(d.dlg.caption(), "Asset File (" + code() + ") - Change Records AB12");
    EXPECT_EQ(state().editMode, dp::EditMode::Change);
    EXPECT_EQ(trimRight(d.dlg.text(202)), "Lathe");
    // Label 244 stands where box 201 was.
    EXPECT_FALSE(d.dlg.exists(201));
    ASSERT_TRUE(d.dlg.exists(244));
    EXPECT_EQ(d.dlg.text(244), "AB12");
    EXPECT_EQ(d.dlg.focus(), 202);
    EXPECT_EQ(state().pickMarker, 0);
    for (int id : {193, 196, 197, 202, 316}) EXPECT_TRUE(d.dlg.isEnabled(id)) << id;
    EXPECT_FALSE(d.dlg.isEnabled(194));
    EXPECT_TRUE(d.dlg.menuEnabled(615));
}

TEST_F(MaintenanceTest, DeletedRecordOpensForChange) {
    client.writeRegister({asset("AB1", "***DELETED***")});
    dptest::ScriptRun run("");
    Driven d(cl(), state());
    d.lookUp("AB1");
    EXPECT_EQ(state().editMode, dp::EditMode::Change);
    EXPECT_EQ(d.dlg.text(202).substr(0, 13), "***DELETED***");
    EXPECT_TRUE(d.dlg.isEnabled(193));
}

TEST_F(MaintenanceTest, ValuesAreSavedAsDisplayed) {
    AssetRecord r = asset("AB1", "Press", "123198");
    r.Book.Method = "SL  ";
    r.Book.Rate = 0.1234;
    r.Book.Cost = 10.456;
    r.Book.Manual = 'N';
    r.Tax.Rate = 7;
    r.Tax.Salvage = 10.456;
    r.Tax.PriorDepr = 1234567.891;
    r.Tax.Code4562 = "15a   ";
    client.writeRegister({r});
    const std::string t = runMaintenance("type 201 AB1\nclick 194\nclick 196\nclick 199\n");
    const auto recs = client.readRecords();
    ASSERT_EQ(recs.size(), 1u);
    EXPECT_EQ(recs[0].Book.Rate, 0.12);
    EXPECT_EQ(recs[0].Book.Cost, 10.46);
    EXPECT_EQ(recs[0].Tax.Salvage, 10.46);
    EXPECT_EQ(recs[0].Tax.PriorDepr, 1234567.89);
    EXPECT_EQ(recs[0].Tax.Rate, 7);
    // What is not a rate or an amount is written back as it was.
    EXPECT_EQ(recs[0].Book.Method, "SL  ");
    EXPECT_EQ(recs[0].Book.Manual, 'N');
    EXPECT_EQ(recs[0].Tax.Code4562, "15a   ");
    EXPECT_EQ(trimRight(recs[0].Description), "Press");
    EXPECT_EQ(date6ToText(recs[0].DateAcquired, false), "123198");
    EXPECT_EQ(date6ToText(recs[0].DateSold, true), "");
    // A change neither adds nor deletes: nothing to tidy, the index is as it was.
    EXPECT_EQ(state().changeFlag, dp::ChangeFlag::None);
    EXPECT_EQ(client.readIndex().size(), 1u);
}

TEST_F(MaintenanceTest, UnitLabelsFollowTheRate) {
    client.writeRegister({asset("AB1", "Press")});
    dptest::ScriptRun run("");
    Driven d(cl(), state());
    d.lookUp("AB1");
    const struct {
        const char* typed;
        const char* unit;
    } cases[] = {{"1", "Years"}, {"0", "%"}, {"0.99", "%"}, {"5", "Years"}, {"abc", "%"}, {"0.999", "%"}};
    for (const auto& c : cases) {
        d.type(206, c.typed);
        EXPECT_EQ(d.dlg.text(131), c.unit) << c.typed;
        d.type(306, c.typed);
        EXPECT_EQ(d.dlg.text(132), c.unit) << c.typed;
    }
    d.type(206, "1");
    EXPECT_EQ(state().WorkingRecord.Book.Rate, 1);
}

TEST_F(MaintenanceTest, StoredRateShowsItsUnitWhenOpened) {
    AssetRecord r = asset("AB1", "Press");
    r.Book.Rate = 0.999;  // shown as 1.00, so a life in years
    r.Tax.Rate = 0.25;
    client.writeRegister({r});
    dptest::ScriptRun run("");
    Driven d(cl(), state());
    d.lookUp("AB1");
    EXPECT_EQ(d.dlg.text(131), "Years");
    EXPECT_EQ(d.dlg.text(132), "%");
    EXPECT_EQ(state().WorkingRecord.Book.Rate, 1);
}

// Every field of the record shown before set, on both bases, so that any of them reaching the
// next addition shows.
AssetRecord fullRecord() {
    AssetRecord r = asset("FULL", "Every field set", "06012001");
    date6FromText(r.DateSold, "09302004", true);
    for (BasisBlock* b : {&r.Book, &r.Tax}) {
        const double k = b == &r.Book ? 1 : 2;
        b->Method = "D200";
        b->Rate = 5 * k;
        b->Manual = 'Y';
        b->Cost = 21000 * k;
        b->Bonus = 100 * k;
        b->Salvage = 3000 * k;
        b->Expense = 200 * k;
        b->Bonus3050 = 300 * k;
        b->PriorDepr = 10800 * k;
        b->CurrentDepr = 1500 * k;
        b->Cancelled = 400 * k;
        b->Code4562 = "19    ";
    }
    return r;
}

TEST_F(MaintenanceTest, ANewRecordStartsEmptyAfterAbortSaveOrDelete) {
    const struct {
        const char* name;
        const char* answer;  // to the delete question
        std::function<void(Driven&)> leave;
    } ways[] = {
        {"abort", "", [](Driven& d) { d.click(197); }},
        {"abort from the menu", "", [](Driven& d) { d.click(613); }},
        {"save", "", [](Driven& d) { d.click(196); }},
        {"delete answered no", "answer no\n", [](Driven& d) { d.click(193); }},
        {"delete answered yes", "answer yes\n", [](Driven& d) { d.click(193); }},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.name);
        state() = dp::MaintenanceState{};
        client.writeRegister({fullRecord()});
        {
            dptest::ScriptRun run(way.answer);
            Driven d(cl(), state());
            d.lookUp("FULL");
            way.leave(d);
            d.lookUp("NEW1");
            d.type(202, "Only a description");
            d.click(196);
            EXPECT_EQ(mt::countPrefix(run.transcript(), "message: Save"), 0) << run.transcript();
        }
        release();
        const auto recs = client.readRecords();
        ASSERT_EQ(recs.size(), 2u);
        AssetRecord expected;
        expected.AssetNumber = "NEW1  ";
        expected.Description = fixedText("Only a description", 35);
        EXPECT_EQ(recs[1].encode(), expected.encode());
        EXPECT_EQ(date6ToText(recs[1].DateAcquired, false), "0");
        EXPECT_EQ(date6ToText(recs[1].DateSold, true), "");
    }
}

// What is typed is read whole or refused: the message names the box, the record stays open with
// every box as typed, the focus goes to the box at fault and nothing is written until it is mended.
TEST_F(MaintenanceTest, BoxesThatCannotBeStoredAreRefusedAtSave) {
    const struct {
        int box;
        const char* typed;
        const char* title;
        const char* says;
    } cases[] = {
        {208, "1 500", "Cost (book)", "\"1 500\" is not a number."},
        {308, "12O.00", "Cost (tax)", "\"12O.00\" is not a number."},
        {209, "1500-", "Bonus Depreciation (book)", "is not a number"},
        {310, "(200)", "Salvage Value (tax)", "is not a number"},
        {211, "abc", "Expense Deduction (book)", "is not a number"},
        {206, "five", "Rate (book)", "\"five\" is not a number."},
        {313, "12,50", "Prior Depreciation (tax)", "\",\" only groups"},
        {214, "1e999", "Current year depreciation (book)", "is too large"},
        {215, "$", "Cancelled (book)", "is not a number"},
        {207, "1", "Manual Calculation Y/N (book)", "\"1\" is not Y or N."},
        {307, "X", "Manual Calculation Y/N (tax)", "\"X\" is not Y or N."},
        {203, "13/45/2004", "Date Acquired", "there is no month 13"},
        {203, "3", "Date Acquired", "H marks a heading row"},
        {204, "02/30/2004", "Date Sold", "February 2004 has 29 days"},
        {204, "S", "Date Sold", "\"S\" is not a date."},
        {202, "***DELETED*** truck", "Description", "marks a deleted record"},
        {202, "  ***DELETED***", "Description", "marks a deleted record"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        state() = dp::MaintenanceState{};
        client.writeRegister({asset("AB1", "Truck", "010598")});
        const auto before = client.bytes("depr.fil");
        dptest::ScriptRun run("");
        Driven d(cl(), state());
        d.lookUp("AB1");
        d.type(c.box, c.typed);
        d.type(316, "kept");
        d.click(196);
        const std::vector<std::string> shown = mt::lines(run.transcript());
        ASSERT_EQ(shown.size(), 1u) << run.transcript();
        EXPECT_EQ(shown[0].rfind(std::string("message: ") + c.title + " | ", 0), 0u) << shown[0];
        EXPECT_NE(shown[0].find(c.says), std::string::npos) << shown[0];
        EXPECT_EQ(client.bytes("depr.fil"), before);
        EXPECT_EQ(state().editMode, dp::EditMode::Change);
        EXPECT_EQ(d.dlg.focus(), c.box);
        EXPECT_EQ(d.dlg.text(c.box), c.typed);
        EXPECT_EQ(d.dlg.text(316), "kept");
        // Mended, the record is saved.
        d.type(c.box, c.box == 202 ? "Truck" : c.box == 207 || c.box == 307 ? "N" : c.box == 203 ? "010598" : "");
        d.click(196);
        EXPECT_EQ(state().editMode, dp::EditMode::None);
        EXPECT_EQ(client.readRecords()[0].Tax.Code4562, "kept  ");
        release();
    }
}

TEST_F(MaintenanceTest, TypedTextIsStoredAsWhatItSays) {
    const struct {
        int box;
        const char* typed;
        std::function<bool(const AssetRecord&)> stored;
    } cases[] = {
        {208, "12,500.00", [](const AssetRecord& r) { return r.Book.Cost == 12500; }},
        {308, "$1,500.00", [](const AssetRecord& r) { return r.Tax.Cost == 1500; }},
        {213, " -$2,000 ", [](const AssetRecord& r) { return r.Book.PriorDepr == -2000; }},
        {306, "7.5", [](const AssetRecord& r) { return r.Tax.Rate == 7.5; }},
        {210, "", [](const AssetRecord& r) { return r.Book.Salvage == 0; }},
        {207, "y", [](const AssetRecord& r) { return r.Book.Manual == 'Y'; }},
        {307, "", [](const AssetRecord& r) { return r.Tax.Manual == ' '; }},
        {203, "03/15/2004", [](const AssetRecord& r) { return date6Int(r.DateAcquired) == 3152004; }},
        {203, "03-15-2004", [](const AssetRecord& r) { return date6Int(r.DateAcquired) == 3152004; }},
        {203, "3/15/04", [](const AssetRecord& r) { return date6Int(r.DateAcquired) == 31504; }},
        {203, "03/15/04", [](const AssetRecord& r) { return date6Int(r.DateAcquired) == 31504; }},
        {203, "031504", [](const AssetRecord& r) { return date6Int(r.DateAcquired) == 31504; }},
        {203, "10598", [](const AssetRecord& r) { return date6ToText(r.DateAcquired, false) == "010598"; }},
        {203, "h", [](const AssetRecord& r) { return date6IsMarker(r.DateAcquired, 'H'); }},
        {203, "", [](const AssetRecord& r) { return date6ToText(r.DateAcquired, false) == "010598"; }},
        {204, "9/30/2004", [](const AssetRecord& r) { return date6Int(r.DateSold) == 9302004; }},
        {204, "0", [](const AssetRecord& r) { return date6ToText(r.DateSold, true).empty(); }},
        {202, "***DELETED***", [](const AssetRecord& r) { return trimRight(r.Description) == "***DELETED***"; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        state() = dp::MaintenanceState{};
        client.writeRegister({asset("AB1", "Truck", "010598")});
        dptest::ScriptRun run("");
        Driven d(cl(), state());
        d.lookUp("AB1");
        d.type(c.box, c.typed);
        d.click(196);
        EXPECT_EQ(run.transcript(), "");
        EXPECT_TRUE(c.stored(client.readRecords()[0]));
        release();
    }
}

// The boxes take no more than their fields hold: the seventh character of an asset number never
// reaches the look-up, so it cannot open another asset.
TEST_F(MaintenanceTest, BoxesTakeNoMoreThanTheirFieldsHold) {
    const auto t = buildAssetMaintenanceDialog("X");
    const struct {
        int id;
        int limit;
    } limits[] = {{201, 6}, {202, 35}, {203, 10}, {204, 10}, {205, 4}, {206, 0}, {207, 1}, {208, 0}, {215, 0},
                  {216, 6}, {305, 4}, {307, 1}, {314, 0}, {316, 6}};
    for (const auto& l : limits) EXPECT_EQ(findControl(t, l.id)->maxLength, l.limit) << l.id;
    EXPECT_TRUE(findControl(t, 207)->style & platform::StyleUpperCase);
    EXPECT_TRUE(findControl(t, 307)->style & platform::StyleUpperCase);

    client.writeRegister({asset("123456", "Existing")});
    dptest::ScriptRun run("");
    Driven d(cl(), state());
    EXPECT_FALSE(d.dlg.userType(201, "1234567"));
    EXPECT_EQ(d.dlg.text(201), "123456");
    d.click(194);
    EXPECT_EQ(d.dlg.caption(), "Asset File (" + code() + ") - Change Records 123456");
    d.click(197);
    // After the look-up the box is made anew; it keeps its limit.
    EXPECT_EQ(d.dlg.maxLength(201), 6);
    d.lookUp("NEW");
    EXPECT_FALSE(d.dlg.userType(202, std::string(40, 'x')));
    EXPECT_EQ(d.dlg.text(202), std::string(35, 'x'));
    EXPECT_FALSE(d.dlg.userType(207, "12500"));
    EXPECT_EQ(d.dlg.text(207), "1");
}

TEST_F(MaintenanceTest, SaveReturnsToIdleWithBoxRecreated) {
    dptest::ScriptRun run("");
    Driven d(cl(), state());
    d.lookUp("AB1");
    d.type(202, "Truck");
    d.type(209, "5");
    EXPECT_EQ(state().pickMarker, 0);
    d.type(211, "5");
    EXPECT_EQ(state().pickMarker, 200);
    d.click(196);
    EXPECT_EQ(state().editMode, dp::EditMode::None);
    EXPECT_EQ(d.dlg.caption(), "Asset File (" + code() + ")");
    EXPECT_FALSE(d.dlg.exists(244));
    ASSERT_TRUE(d.dlg.exists(201));
    EXPECT_EQ(d.dlg.text(201), "");
    EXPECT_EQ(d.dlg.focus(), 201);
    EXPECT_EQ(state().pickMarker, 201);  // the box reports taking the focus
    for (const auto& c : d.dlg.controls())
        if (c.id == 201) {
            EXPECT_EQ(c.y, 10);
            EXPECT_TRUE(c.style & platform::StyleUpperCase);
            EXPECT_TRUE(c.style & platform::StyleSunken);
        }
    EXPECT_EQ(d.dlg.text(202), "");
    EXPECT_EQ(d.dlg.text(131), "");
    for (int id : {193, 196, 197, 202, 316}) EXPECT_FALSE(d.dlg.isEnabled(id)) << id;
    EXPECT_TRUE(d.dlg.isEnabled(194));
    EXPECT_FALSE(d.dlg.menuEnabled(613));
    ASSERT_EQ(client.readRecords().size(), 1u);
    EXPECT_EQ(client.readRecords()[0].Book.Expense, 5);
}

TEST_F(MaintenanceTest, SaveAfterAbortWritesNothing) {
    client.writeRegister({asset("AB1", "Truck")});
    const auto filBefore = client.bytes("depr.fil");
    const auto idxBefore = client.bytes("depr.idx");
    dptest::ScriptRun run("");
    Driven d(cl(), state());
    d.lookUp("AB5");
    d.type(202, "Never saved");
    d.click(197);
    EXPECT_EQ(state().editMode, dp::EditMode::None);
    EXPECT_FALSE(d.dlg.isEnabled(196));
    EXPECT_FALSE(d.dlg.menuEnabled(616));
    EXPECT_TRUE(d.dlg.isEnabled(197));  // the abort button keeps its state
    // Even a save command that reaches the handler writes nothing with no record open.
    d.dlg.sendCommand(196);
    d.dlg.sendCommand(616);
    EXPECT_EQ(client.bytes("depr.fil"), filBefore);
    EXPECT_EQ(client.bytes("depr.idx"), idxBefore);
    // A change aborted is not written either.
    d.lookUp("AB1");
    d.type(202, "Changed");
    d.click(613);
    d.dlg.sendCommand(196);
    EXPECT_EQ(client.bytes("depr.fil"), filBefore);
    EXPECT_EQ(state().changeFlag, dp::ChangeFlag::None);
}

// "&Abort" stays enabled after an abort; pressing it again with no record open still gives a new,
// empty asset-number box, and the number typed before it is forgotten.
TEST_F(MaintenanceTest, SecondAbortRecreatesTheNumberBoxEmpty) {
    dptest::ScriptRun run("");
    Driven d(cl(), state());
    d.lookUp("AB5");
    d.click(197);
    d.type(201, "xy12");
    EXPECT_EQ(state().assetNumberText, "XY12  ");
    d.click(197);
    ASSERT_TRUE(d.dlg.exists(201));
    EXPECT_EQ(d.dlg.text(201), "");
    EXPECT_EQ(d.dlg.focus(), 201);
    EXPECT_EQ(state().assetNumberText, "      ");
    int boxes = 0;
    for (const auto& c : d.dlg.controls())
        if (c.id == 201) {
            ++boxes;
            EXPECT_EQ(c.y, 10);
        }
    EXPECT_EQ(boxes, 1);
    d.click(194);  // nothing to look up
    EXPECT_EQ(state().editMode, dp::EditMode::None);
}

TEST_F(MaintenanceTest, NoToTheDeleteQuestionStillClosesTheEdit) {
    client.writeRegister({asset("AB1", "Truck")});
    const auto before = client.bytes("depr.fil");
    dptest::ScriptRun run("answer no\n");
    Driven d(cl(), state());
    d.lookUp("AB1");
    d.type(202, "Changed but not saved");
    d.click(193);
    EXPECT_TRUE(mt::hasLine(run.transcript(), "message: Delete Asset Record | Are you Sure ?"));
    EXPECT_EQ(client.bytes("depr.fil"), before);
    EXPECT_EQ(state().editMode, dp::EditMode::None);
    EXPECT_EQ(state().changeFlag, dp::ChangeFlag::None);
    EXPECT_TRUE(d.dlg.exists(201));
    EXPECT_FALSE(d.dlg.exists(244));
    EXPECT_EQ(d.dlg.text(202), "");
    EXPECT_FALSE(d.dlg.isEnabled(197));
    EXPECT_TRUE(d.dlg.isEnabled(194));
    // The caption keeps the text of the closed edit.
    EXPECT_EQ(d.dlg.caption(), "Asset File (" + code() + ") - Change Records AB1");
}

TEST_F(MaintenanceTest, YesToTheDeleteQuestionMarksTheRecord) {
    client.writeRegister({asset("AB1", "Truck"), asset("AB2", "Van")});
    dptest::ScriptRun run("answer yes\n");
    Driven d(cl(), state());
    d.lookUp("AB2");
    d.click(615);
    const auto recs = client.readRecords();
    EXPECT_EQ(trimRight(recs[1].Description), "***DELETED***");
    EXPECT_EQ(trimRight(recs[0].Description), "Truck");
    EXPECT_EQ(state().changeFlag, dp::ChangeFlag::Deleted);
    // Still found until the files are packed: it opens for change.
    d.lookUp("ab2");
    EXPECT_EQ(state().editMode, dp::EditMode::Change);
}

TEST_F(MaintenanceTest, ListingWhileARecordIsOpenChangesNothing) {
    client.writeRegister({asset("AB1", "Truck"), asset("AB2", "Van")});
    dptest::ScriptRun run("click 603\n");
    Driven d(cl(), state());
    d.lookUp("AB1");
    d.type(202, "Edited");
    const AssetRecord held = state().WorkingRecord;
    d.click(612);
    EXPECT_TRUE(mt::hasLine(run.transcript(), "dialog: Asset Listing (" + code() + ")"));
    EXPECT_EQ(state().editMode, dp::EditMode::Change);
    EXPECT_EQ(d.dlg.caption(), "Asset File (" + code() + ") - Change Records AB1");
    EXPECT_EQ(state().WorkingRecord.encode(), held.encode());
    EXPECT_EQ(d.dlg.text(202), "Edited");
    EXPECT_TRUE(d.dlg.isEnabled(199));
    EXPECT_TRUE(d.dlg.menuEnabled(609));
    d.click(196);
    EXPECT_EQ(trimRight(client.readRecords()[0].Description), "Edited");
}

TEST_F(MaintenanceTest, ListingWhileARecordIsOpenOffersNoOk) {
    client.writeRegister({asset("AB1", "Truck"), asset("AB2", "Van")});
    dptest::ScriptRun run("select 601 1\nclick 602\n");
    Driven d(cl(), state());
    d.lookUp("AB1");
    EXPECT_THROW(d.click(612), platform::ScriptStop);
}

TEST_F(MaintenanceTest, ChoosingFromTheListingLooksTheAssetUp) {
    client.writeRegister({asset("AB1", "Truck"), asset("AB2", "Van")});
    dptest::ScriptRun run("select 601 1\nclick 602\n");
    Driven d(cl(), state());
    d.click(612);
    EXPECT_EQ(d.dlg.caption(), "Asset File (" + code() + ") - Change Records AB2");
    EXPECT_EQ(trimRight(d.dlg.text(202)), "Van");
}

TEST_F(MaintenanceTest, AddedThenSortedWhenTheDialogCloses) {
    const std::string t = runMaintenance(
        "type 201 AB3\nclick 194\ntype 202 Third\nclick 196\n"
        "type 201 ab1\nclick 194\ntype 202 First\nclick 196\n"
        "type 201 AB2\nclick 194\ntype 202 Second\nclick 196\n"
        "click 199\n");
    EXPECT_TRUE(mt::hasLine(t, "dialog: Asset File Maintenance  (" + code() + ")"));
    const auto idx = client.readIndex();
    ASSERT_EQ(idx.size(), 3u);
    const char* numbers[] = {"AB1   ", "AB2   ", "AB3   "};
    const int records[] = {2, 3, 1};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(idx[static_cast<std::size_t>(i)].AssetNumber, numbers[i]);
        EXPECT_EQ(idx[static_cast<std::size_t>(i)].RecordNumber, records[i]);
    }
    const auto recs = client.readRecords();
    ASSERT_EQ(recs.size(), 3u);
    EXPECT_EQ(recs[0].AssetNumber, "AB3   ");
    EXPECT_EQ(recs[1].AssetNumber, "AB1   ");
    EXPECT_FALSE(platform::fileExists(client.path("ODEPR.FIL")));
    EXPECT_FALSE(platform::fileExists(platform::resolvePath(code(), "temp.idx")));
}

TEST_F(MaintenanceTest, DeletedThenPackedWhenTheDialogCloses) {
    AssetRecord ab3 = asset("AB3", "Third");
    ab3.Book.Cost = 300;
    client.writeRegister({ab3, asset("AB1", "First"), asset("AB2", "Second")});
    const std::string t = runMaintenance("type 201 AB2\nclick 194\nclick 193\nanswer yes\nclick 199\n");
    const auto recs = client.readRecords();
    ASSERT_EQ(recs.size(), 2u);
    EXPECT_EQ(recs[0].AssetNumber, "AB1   ");
    EXPECT_EQ(recs[1].AssetNumber, "AB3   ");
    EXPECT_EQ(recs[1].Book.Cost, 300);
    const auto idx = client.readIndex();
    ASSERT_EQ(idx.size(), 2u);
    EXPECT_EQ(idx[0].AssetNumber, "AB1   ");
    EXPECT_EQ(idx[0].RecordNumber, 1);
    EXPECT_EQ(idx[1].AssetNumber, "AB3   ");
    EXPECT_EQ(idx[1].RecordNumber, 2);
    // The files before packing: three records, AB2 marked deleted, the index in its old order.
    const auto old = client.bytes("ODEPR.FIL");
    ASSERT_EQ(old.size(), 3 * kAssetRecordLength);
    EXPECT_EQ(std::string(old.begin() + 2 * 219 + 6, old.begin() + 2 * 219 + 19), "***DELETED***");
    const auto oldIdx = client.bytes("ODEPR.IDX");
    ASSERT_EQ(oldIdx.size(), 24u);
    EXPECT_EQ(std::string(oldIdx.begin(), oldIdx.begin() + 6), "AB3   ");
    // The packed files took the place of the old ones: no work files remain.
    EXPECT_FALSE(platform::fileExists(platform::resolvePath(code(), "temp.fil")));
    EXPECT_FALSE(platform::fileExists(platform::resolvePath(code(), "temp.idx")));
    EXPECT_EQ(mt::countPrefix(t, "message: Asset File Reorganisation"), 0);
    // With the files packed the number can be added anew.
    EXPECT_EQ(FindAsset(cl(), "AB2"), 0);
}

TEST_F(MaintenanceTest, AdditionAfterDeletionOnlySortsTheIndex) {
    client.writeRegister({asset("AB3", "Third"), asset("AB1", "First"), asset("AB2", "Second")});
    runMaintenance(
        "type 201 AB2\nclick 194\nclick 193\nanswer yes\n"
        "type 201 AB0\nclick 194\ntype 202 Zero\nclick 196\nclick 199\n");
    EXPECT_EQ(state().changeFlag, dp::ChangeFlag::Added);
    const auto recs = client.readRecords();
    ASSERT_EQ(recs.size(), 4u);  // the deleted record stays until a later pack
    EXPECT_EQ(trimRight(recs[2].Description), "***DELETED***");
    const auto idx = client.readIndex();
    ASSERT_EQ(idx.size(), 4u);
    EXPECT_EQ(idx[0].AssetNumber, "AB0   ");
    EXPECT_EQ(idx[0].RecordNumber, 4);
    EXPECT_EQ(idx[2].AssetNumber, "AB2   ");
    EXPECT_EQ(idx[2].RecordNumber, 3);
    EXPECT_FALSE(platform::fileExists(client.path("ODEPR.FIL")));
}

// Closing while a record is open: an unchanged record is discarded without a word, as before;
// typing that is not saved is asked about first, by the close box (Esc), the "&Close" button and
// the "&Close" menu entry alike. Yes saves, No discards, Cancel (Enter's answer) goes back to
// the record, which the next close asks about again.
TEST_F(MaintenanceTest, ClosingAsksBeforeUnsavedTypingIsDropped) {
    const std::string kAsked = "message: Save Asset Record | Asset AB1 has changes that are not saved.\\n"
                               "Yes saves them, No discards them, Cancel goes back to the record.";
    const struct {
        const char* how;     // the lines after the record was opened
        bool asked;
        const char* stored;  // the description afterwards
    } cases[] = {
        {"close\n", false, "Truck"},
        {"click 199\n", false, "Truck"},
        {"type 202 Truck\nclose\n", false, "Truck"},  // typed back as it was: nothing changed
        {"type 202 Lorry\nclose\nanswer no\n", true, "Truck"},
        {"type 202 Lorry\nclose\nanswer yes\n", true, "Lorry"},
        {"type 202 Lorry\nclick 199\nanswer yes\n", true, "Lorry"},
        {"type 202 Lorry\nclick 609\nanswer no\n", true, "Truck"},
        {"type 202 Lorry\nclose\nanswer cancel\ntype 202 Lorry 2\nclick 196\nclick 199\n", true, "Lorry 2"},
        {"type 202 Lorry\nclose\nenter\nclose\nanswer no\n", true, "Truck"},
        // A save that the record refuses keeps the dialog open with what was typed.
        {"type 208 12O.00\nclose\nanswer yes\nanswer ok\ntype 208 120\nclose\nanswer yes\n", true, "Truck"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        client.writeRegister({asset("AB1", "Truck")});
        const std::string t = runMaintenance(std::string("type 201 AB1\nclick 194\n") + c.how);
        EXPECT_EQ(mt::countPrefix(t, kAsked) > 0, c.asked) << t;
        const std::vector<dp::AssetRecord> records = client.readRecords();
        ASSERT_EQ(records.size(), 1u);
        EXPECT_EQ(trimRight(records[0].Description), c.stored);
    }
}

TEST_F(MaintenanceTest, NextDialogAfterClosingDuringAnEditStartsIdle) {
    client.writeRegister({asset("AB1", "Truck"), asset("AB2", "Van")});
    runMaintenance("type 201 AB1\nclick 194\nclose\n");
    EXPECT_EQ(state().editMode, dp::EditMode::Change);
    dptest::ScriptRun run("");
    Driven d(cl(), state());
    EXPECT_EQ(state().editMode, dp::EditMode::None);
    d.lookUp("AB2");
    EXPECT_EQ(d.dlg.caption(), "Asset File (" + code() + ") - Change Records AB2");
}

TEST_F(MaintenanceTest, HelpMenuEntries) {
    client.writeRegister({asset("AB1", "Truck")});
    const std::string t = runMaintenance(
        "type 201 AB1\nclick 194\ntype 202 Kept\nclick 701\nclick 703\nclick 702\nclick 161\nclick 196\nclick 609\n");
    EXPECT_TRUE(mt::hasLine(t, "run: winhlp32 -I AppendixC writeup.hlp"));
    EXPECT_EQ(mt::countPrefix(t, "message: DEPRECIATION METHODS | SL   = Straight Line"), 1);
    EXPECT_EQ(mt::countPrefix(t, "message: About | TALLIX Asset File Maintenance\\n"), 2);
    // The fields are as they were before the help was shown.
    EXPECT_EQ(trimRight(client.readRecords()[0].Description), "Kept");
}

TEST_F(MaintenanceTest, EmptyClientCodeIsRefused) {
    dptest::ScriptRun run("");
    RunAssetMaintenance("");
    EXPECT_EQ(run.transcript(), "message: Error in Client Code | invalid Client Code\n");
}

TEST_F(MaintenanceTest, MissingDirectoryIsCreatedAndTheDialogShown) {
    const std::string dir = client.path("new-client");
    const std::string t = runMaintenanceOn(dir, "type 201 X1\nclick 194\ntype 202 New\nclick 196\nclick 199\n");
    EXPECT_TRUE(mt::hasLine(t, "dialog: Asset File Maintenance  (" + dir + ")"));
    EXPECT_TRUE(platform::directoryExists(dir));
    EXPECT_EQ(platform::fileSize(dir + "/depr.fil"), static_cast<std::int64_t>(kAssetRecordLength));
}

TEST_F(MaintenanceTest, DataFilesThatAreNotFilesAreRefusedBeforeTheDialog) {
    for (const char* name : {"company.fil", "depr.idx", "depr.fil"}) {
        SCOPED_TRACE(name);
        platform::makeDirectory(client.path(name));  // not a file: it cannot be read
        const std::string t = runMaintenance("");
        EXPECT_EQ(t, "message: Asset File Maintenance | The client's file " + client.path(name) +
                         " cannot be used: it is not an ordinary file.\\nNothing was changed.\n");
        EXPECT_FALSE(platform::fileExists(client.path("deprrecs.fil")));
        std::filesystem::remove(client.path(name));
    }
}

namespace {

// A backend whose help viewer cannot be started, or fails unexpectedly.
class HelpFailing final : public platform::Backend {
public:
    HelpFailing(std::unique_ptr<platform::Backend> inner, bool throws) : inner_(std::move(inner)), throws_(throws) {}
    void runModal(platform::Dialog& d) override { inner_->runModal(d); }
    platform::MsgResult message(const std::string& text, const std::string& title, platform::MsgIcon icon,
                                platform::MsgButtons buttons, platform::MsgDefault def) override {
        return inner_->message(text, title, icon, buttons, def);
    }
    int runAndWait(const std::string& cmd) override {
        inner_->runAndWait(cmd);
        if (throws_) throw std::runtime_error("viewer failed");
        return -1;
    }
    void transcript(const std::string& line) override { inner_->transcript(line); }

private:
    std::unique_ptr<platform::Backend> inner_;
    bool throws_;
};

}  // namespace

TEST_F(MaintenanceTest, HelpViewerThatCannotStartEndsTheDialog) {
    std::ostringstream out;
    platform::setBackend(std::make_unique<HelpFailing>(platform::makeScriptedBackend("click 701\n", &out), false));
    RunAssetMaintenance(code());
    platform::setBackend(nullptr);
    // File not found: the record count file is written and the procedure returns.
    EXPECT_EQ(client.bytes("deprrecs.fil"), std::vector<unsigned char>(8, 0));
    EXPECT_EQ(mt::countPrefix(out.str(), "message:"), 0);
}

TEST_F(MaintenanceTest, OtherErrorsShowExiting) {
    std::ostringstream out;
    platform::setBackend(std::make_unique<HelpFailing>(platform::makeScriptedBackend("click 701\n", &out), true));
    RunAssetMaintenance(code());
    platform::setBackend(nullptr);
    EXPECT_TRUE(mt::hasLine(out.str(), "message: Error  51 | Exiting"));
    EXPECT_FALSE(platform::fileExists(client.path("deprrecs.fil")));
}

TEST_F(MaintenanceTest, MenuRunsTheMaintenanceEndToEnd) {
    dptest::ScriptRun run("click 401\ntype 201 M1\nclick 194\ntype 202 From the menu\ntype 208 99.999\nclick 196\nclick 199\nclick 409\n");
    EXPECT_EQ(runMenu(code()), 0);
    const auto recs = client.readRecords();
    ASSERT_EQ(recs.size(), 1u);
    EXPECT_EQ(trimRight(recs[0].Description), "From the menu");
    EXPECT_EQ(recs[0].Book.Cost, 99.999);  // typed values are stored as typed
    EXPECT_EQ(mt::countPrefix(run.transcript(), "dialog: Depreciation/Amortization Menu"), 2);
}
