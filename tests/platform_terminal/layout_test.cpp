// Where dialog units fall on the character grid.
#include <gtest/gtest.h>

#include <map>

#include "../../platform/src/terminal_ui.h"

namespace {

using platform::ControlKind;
using platform::ControlSpec;
using platform::DialogTemplate;
using platform::term::Cells;

DialogTemplate menuDialog() {
    DialogTemplate t;
    t.caption = "Depreciation/Amortization Menu (SMOKE)";
    t.width = 340;
    t.height = 250;
    auto button = [](int id, const char* text, int y) { return ControlSpec{ControlKind::Button, id, text, 100, y, 140, 16}; };
    t.controls = {
        button(401, "&Asset File Maintenance", 60), button(402, "Company File &Maintenance", 80),
        button(403, "Depreciation &Report", 100),   button(404, "Close Current &Period", 120),
        button(406, "Amortization &Schedule", 140), button(407, "Print &Form 4562 page 1", 160),
        button(409, "E&xit Depreciation", 180),
        {ControlKind::Frame, 101, "", 5, 5, 325, 210},
        {ControlKind::Icon, 201, "PROGRAM", 20, 20, 32, 32},
        {ControlKind::Label, 102, "DEPRECIATION MENU", 90, 21, 250, 21, platform::StyleTitleFont, 0xE8E8E8},
        {ControlKind::Label, 104, "DEPRECIATION MENU", 89, 20, 250, 21, platform::StyleTitleFont, 0},
        {ControlKind::HLine, 105, "", 20, 43, 300, 1},
    };
    return t;
}

// The asset maintenance dialog: labels sit two units lower than their boxes.
DialogTemplate maintenanceDialog() {
    DialogTemplate t;
    t.caption = "Asset File Maintenance  (SMOKE)";
    t.width = 370;
    t.height = 280;
    const char* labels[] = {"Method", "Rate", "Manual Calculation Y/N", "Cost", "Bonus Depreciation",
                            "Salvage Value", "Expense Deduction", "30/50 Bonus", "Prior Depreciation",
                            "Current year depreciation", "Cancelled", "Form 4562 Code"};
    t.controls.push_back({ControlKind::Label, 101, "Asset Number", 5, 10, 80, 14});
    t.controls.push_back({ControlKind::Label, 102, "Description", 5, 23, 80, 12});
    t.controls.push_back({ControlKind::Label, 103, "Date Acquired", 5, 38, 80, 12});
    t.controls.push_back({ControlKind::Label, 104, "Date Sold", 235, 38, 80, 12});
    t.controls.push_back({ControlKind::Label, 121, "---BOOK---", 155, 50, 50, 12});
    t.controls.push_back({ControlKind::Label, 121, "---TAX---", 310, 50, 50, 12});
    for (int i = 0; i < 12; ++i)
        t.controls.push_back({ControlKind::Label, 105 + i, labels[i], 5, 51 + 13 * i, i == 1 || i == 2 ? 100 : 80, 12});
    t.controls.push_back({ControlKind::Label, 131, "", 140, 64, 40, 12});
    t.controls.push_back({ControlKind::Label, 132, "", 295, 64, 40, 12});
    t.controls.push_back({ControlKind::HLine, 141, "", 5, 47, 360, 1});
    t.controls.push_back({ControlKind::BitmapButton, 161, "B2", 153, 213, 44, 27});
    t.controls.push_back({ControlKind::Edit, 201, "", 105, 8, 40, 12, platform::StyleUpperCase});
    t.controls.push_back({ControlKind::Edit, 202, "", 105, 23, 150, 12});
    t.controls.push_back({ControlKind::Edit, 203, "", 105, 36, 50, 12});
    t.controls.push_back({ControlKind::Edit, 204, "", 175, 36, 50, 12});
    const int widths[] = {30, 30, 15, 90, 90, 90, 90, 90, 90, 90, 90, 50};
    for (int i = 0; i < 12; ++i) t.controls.push_back({ControlKind::Edit, 205 + i, "", 105, 49 + 13 * i, widths[i], 12});
    for (int i = 0; i < 12; ++i) t.controls.push_back({ControlKind::Edit, 305 + i, "", 260, 49 + 13 * i, widths[i], 12});
    t.controls.push_back({ControlKind::Frame, 195, "", 10, 204, 345, 39});
    t.controls.push_back({ControlKind::Button, 196, "&Save", 25, 219, 40, 14});
    t.controls.push_back({ControlKind::Button, 197, "&Abort", 75, 219, 40, 14});
    t.controls.push_back({ControlKind::Button, 199, "&Close", 245, 219, 30, 14});
    t.controls.push_back({ControlKind::Button, 194, "OK", 160, 8, 40, 12});
    t.controls.push_back({ControlKind::Button, 193, "Delete", 285, 219, 50, 14});
    t.menuBar = {{"&File", {}}, {"&Edit", {}}, {"&Help", {}}};
    return t;
}

// Cells by the text of labels and the ID of other controls.
struct Placed {
    std::map<std::string, Cells> labels;
    std::map<int, Cells> byId;
};

Placed place(const DialogTemplate& t) {
    const std::vector<Cells> cells = platform::term::layoutControls(t.controls);
    Placed p;
    for (std::size_t i = 0; i < t.controls.size(); ++i) {
        if (t.controls[i].kind == ControlKind::Label) p.labels[t.controls[i].text] = cells[i];
        p.byId[t.controls[i].id] = cells[i];
    }
    return p;
}

TEST(Layout, UnitsToCells) {
    EXPECT_EQ(platform::term::colsFromUnits(0), 0);
    EXPECT_EQ(platform::term::colsFromUnits(1), 0);
    EXPECT_EQ(platform::term::colsFromUnits(2), 1);
    EXPECT_EQ(platform::term::colsFromUnits(100), 25);
    EXPECT_EQ(platform::term::colsFromUnits(153), 38);
    EXPECT_EQ(platform::term::rowsFromUnits(250), 32);
    EXPECT_EQ(platform::term::rowsFromUnits(8), 1);
    EXPECT_EQ(platform::term::rowsFromUnits(9), 2);
}

TEST(Layout, MenuButtonsStackInOneColumnInCreationOrder) {
    const Placed p = place(menuDialog());
    int lastRow = -1;
    for (int id : {401, 402, 403, 404, 406, 407, 409}) {
        const Cells& c = p.byId.at(id);
        EXPECT_EQ(c.col, 25) << id;
        EXPECT_EQ(c.cols, 35) << id;
        EXPECT_GT(c.row, lastRow + 1) << id;  // a blank row at least between two buttons
        lastRow = c.row;
    }
    // Heading, line and buttons inside the frame, in that order from the top.
    const Cells& frame = p.byId.at(101);
    const Cells& heading = p.byId.at(104);
    const Cells& line = p.byId.at(105);
    EXPECT_GT(heading.row, frame.row);
    EXPECT_GT(line.row, heading.row);
    EXPECT_GT(line.cols, 0) << "the line under the heading has a row of its own";
    EXPECT_GT(p.byId.at(401).row, line.row);
    EXPECT_LT(p.byId.at(409).row, frame.row + frame.rows - 1);
    EXPECT_GT(p.byId.at(401).col, frame.col);
    EXPECT_LT(p.byId.at(401).col + p.byId.at(401).cols, frame.col + frame.cols);
}

TEST(Layout, EveryLabelSharesTheRowOfItsBox) {
    const DialogTemplate t = maintenanceDialog();
    const Placed p = place(t);
    const std::vector<std::pair<std::string, int>> pairs = {
        {"Asset Number", 201}, {"Description", 202}, {"Date Acquired", 203}, {"Date Sold", 204},
        {"Method", 205}, {"Rate", 206}, {"Manual Calculation Y/N", 207}, {"Cost", 208},
        {"Bonus Depreciation", 209}, {"Salvage Value", 210}, {"Expense Deduction", 211},
        {"30/50 Bonus", 212}, {"Prior Depreciation", 213}, {"Current year depreciation", 214},
        {"Cancelled", 215}, {"Form 4562 Code", 216}};
    for (const auto& [label, id] : pairs) {
        EXPECT_EQ(p.labels.at(label).row, p.byId.at(id).row) << label;
        EXPECT_EQ(p.byId.at(id).row, p.byId.at(id + (id >= 205 ? 100 : 0)).row) << id;
    }
    // The twelve rows of a basis block are twelve different rows, top to bottom.
    for (int id = 206; id <= 216; ++id) EXPECT_GT(p.byId.at(id).row, p.byId.at(id - 1).row) << id;
    // The block headings stand on the method row, right of the book method box.
    EXPECT_EQ(p.labels.at("---BOOK---").row, p.byId.at(205).row);
    EXPECT_GE(p.labels.at("---BOOK---").col, p.byId.at(205).col + p.byId.at(205).cols);
    // A label does not run into its box.
    for (const auto& [label, id] : pairs) {
        if (id == 204) continue;  // "Date Sold" stands right of its box
        EXPECT_LE(p.labels.at(label).col + static_cast<int>(label.size()), p.byId.at(id).col) << label;
    }
}

TEST(Layout, SqueezedLineIsLeftOutButButtonsAndFrameKeepTheirRows) {
    const Placed p = place(maintenanceDialog());
    // The line between the date row and the method row has no row of its own.
    EXPECT_EQ(p.byId.at(141).cols, 0);
    const Cells& frame = p.byId.at(195);
    for (int id : {196, 197, 199, 193, 161}) {
        EXPECT_EQ(p.byId.at(id).row, p.byId.at(196).row) << id;
        EXPECT_GT(p.byId.at(id).row, frame.row) << id;
        EXPECT_LT(p.byId.at(id).row, frame.row + frame.rows - 1) << id;
    }
    // The frame lies below the last field row.
    EXPECT_GT(frame.row, p.byId.at(216).row);
    // Buttons in a row do not overlap.
    EXPECT_LE(p.byId.at(196).col + p.byId.at(196).cols, p.byId.at(197).col);
    EXPECT_LE(p.byId.at(199).col + p.byId.at(199).cols, p.byId.at(193).col);
}

TEST(Layout, ListBoxAndButtonsOfThePicker) {
    const int h = 133;
    std::vector<ControlSpec> cs = {
        {ControlKind::Label, 599, "", 5, 3, 150, 10},
        {ControlKind::ListBox, 601, "", 5, 12, 140, h, platform::StyleSunken | platform::StyleVScroll},
        {ControlKind::Button, 602, "&OK", 30, h + 16, 40, 14},
        {ControlKind::Button, 603, "&Cancel", 75, h + 16, 40, 14},
    };
    const std::vector<Cells> cells = platform::term::layoutControls(cs);
    const Cells& list = cells[1];
    EXPECT_EQ(list.row, 2);
    EXPECT_EQ(list.rows, 16);
    EXPECT_EQ(list.col, 1);
    EXPECT_EQ(list.cols, 35);
    EXPECT_GE(cells[2].row, list.row + list.rows) << "the buttons stand below the list";
    EXPECT_EQ(cells[2].row, cells[3].row);
}

TEST(Layout, DialogFramePlacement) {
    const DialogTemplate menu = menuDialog();
    platform::term::DialogFrame f = platform::term::placeDialog(menu, false, 100, 40);
    EXPECT_TRUE(f.fits);
    EXPECT_EQ(f.outer.cols, 87);
    EXPECT_EQ(f.outer.rows, 34);
    EXPECT_EQ(f.outer.col, 6);
    EXPECT_EQ(f.outer.row, 3);
    EXPECT_EQ(f.clientCol, 7);
    EXPECT_EQ(f.clientRow, 4);
    EXPECT_EQ(f.menuRow, -1);

    f = platform::term::placeDialog(menu, false, 80, 24);
    EXPECT_FALSE(f.fits);
    f = platform::term::placeDialog(menu, false, 87, 34);
    EXPECT_TRUE(f.fits);
    EXPECT_EQ(f.outer.col, 0);
    EXPECT_EQ(f.outer.row, 0);

    // The maintenance dialog with its menu bar fits a 100x40 window.
    const DialogTemplate m = maintenanceDialog();
    f = platform::term::placeDialog(m, true, 100, 40);
    EXPECT_TRUE(f.fits);
    EXPECT_EQ(f.outer.cols, 95);
    EXPECT_EQ(f.outer.rows, 38);
    EXPECT_EQ(f.menuRow, f.outer.row + 1);
    EXPECT_EQ(f.clientRow, f.outer.row + 2);

    // A dialog placed at x,y stays there, or moves back onto a screen that is narrower.
    DialogTemplate picker;
    picker.centred = false;
    picker.x = 40;
    picker.y = 30;
    picker.width = 150;
    picker.height = 165;
    f = platform::term::placeDialog(picker, false, 100, 40);
    EXPECT_EQ(f.outer.col, 10);
    EXPECT_EQ(f.outer.row, 4);
    EXPECT_EQ(f.outer.cols, 40);
    EXPECT_EQ(f.outer.rows, 23);
    f = platform::term::placeDialog(picker, false, 45, 24);
    EXPECT_TRUE(f.fits);
    EXPECT_EQ(f.outer.col, 5);
    EXPECT_EQ(f.outer.row, 1);
}

TEST(Layout, TooSmallMessage) {
    EXPECT_EQ(platform::term::tooSmallText(87, 34, 80, 24),
              "Terminal too small: need 87x34, have 80x24 - enlarge the window or press Esc");
}

TEST(Layout, ClipText) {
    EXPECT_EQ(platform::term::clipText("abcdef", 2, 3), "cde");
    EXPECT_EQ(platform::term::clipText("abc", 1, 5), "bc   ");
    EXPECT_EQ(platform::term::clipText("abc", 7, 2), "  ");
    EXPECT_EQ(platform::term::clipText("abc", 0, 0), "");
}

}  // namespace
