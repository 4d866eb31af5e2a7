// Where dialog units fall on the character grid: every dialog of the module and of the printer
// choice, at the designed size and squeezed into a 80x24 terminal, and smaller ones that scroll.
#include <gtest/gtest.h>

#include <iostream>
#include <map>
#include <memory>
#include <sstream>

#include "../../platform/src/terminal_layout.h"
#include "../../platform/src/terminal_ui.h"
#include "amort/amort_dialog.h"
#include "entry/menu.h"
#include "platform/backend.h"
#include "register/asset_maintenance.h"
#include "register/asset_picker.h"
#include "register/company_maintenance.h"
#include "support/client_dir.h"

namespace {

using platform::ControlKind;
using platform::ControlSpec;
using platform::DialogTemplate;
using platform::term::Cells;
using platform::term::DialogLayout;

// ---- the dialogs ------------------------------------------------------------------------------

// Runs the scripted backend and keeps every dialog as it stands when it is shown.
class Collecting final : public platform::Backend {
public:
    Collecting(std::unique_ptr<platform::Backend> inner, std::vector<DialogTemplate>& seen)
        : inner_(std::move(inner)), seen_(seen) {}
    void runModal(platform::Dialog& d) override {
        DialogTemplate t = d.layout();
        t.caption = d.caption();
        t.controls = d.controls();
        t.menuBar = d.menuBar();
        seen_.push_back(t);
        inner_->runModal(d);
    }
    platform::MsgResult message(const std::string& text, const std::string& title, platform::MsgIcon icon,
                                platform::MsgButtons buttons, platform::MsgDefault def) override {
        return inner_->message(text, title, icon, buttons, def);
    }
    int runAndWait(const std::string& commandLine) override { return inner_->runAndWait(commandLine); }
    std::optional<std::string> scriptedPrinterReply() override { return inner_->scriptedPrinterReply(); }
    bool printsForReal() const override { return false; }

private:
    std::unique_ptr<platform::Backend> inner_;
    std::vector<DialogTemplate>& seen_;
};

// Each dialog the menu leads to, shown once: the menu, Asset File Maintenance and its listing,
// Company File Maintenance, the report options and the amortization.
std::map<std::string, DialogTemplate> moduleDialogs() {
    dptest::TempClient client;
    client.writeCompany(dptest::makeCompany("Riverside Hardware Inc.", "12312004", "12312004"));
    client.writeRegister({dptest::makeAsset("AB12", "Delivery van", "01152004")});
    std::vector<DialogTemplate> seen;
    std::ostringstream transcript;
    auto previous = platform::setBackend(std::make_unique<Collecting>(
        platform::makeScriptedBackend("click 401\nclick 612\nclick 603\nclick 199\nclick 402\nclick 301\n"
                                      "click 403\nclick 302\nclick 406\nclick 199\nclick 409\n",
                                      &transcript),
        seen));
    dp::runMenu(client.code());
    platform::setBackend(std::move(previous));
    std::map<std::string, DialogTemplate> byName;
    for (const DialogTemplate& t : seen) {
        std::string name = t.caption.substr(0, t.caption.find(" ("));
        name.erase(name.find_last_not_of(' ') + 1);
        byName.emplace(name, t);
    }
    return byName;
}

// Asset File Maintenance with a record open: the number box has become a label.
DialogTemplate withRecordOpen(DialogTemplate t) {
    std::erase_if(t.controls, [](const ControlSpec& c) { return c.id == 201; });
    t.controls.push_back({ControlKind::Label, 244, "AB12", 105, 10, 40, 12});
    for (ControlSpec& c : t.controls)
        if (c.id == 131 || c.id == 132) c.text = "Years";
    return t;
}

// The suite's printer choice, as it builds its dialog.
DialogTemplate printerChoice() {
    DialogTemplate t;
    t.caption = "Select Printer";
    t.width = 220;
    t.height = 150;
    t.controls = {
        {ControlKind::Label, 101, "Print DPRPT", 10, 5, 200, 12},
        {ControlKind::Label, 102, "Printer", 10, 20, 60, 12},
        {ControlKind::ListBox, 201, "", 10, 32, 200, 60, platform::StyleVScroll | platform::StyleSunken},
        {ControlKind::Label, 103, "File name", 10, 98, 50, 12},
        {ControlKind::Edit, 202, "", 60, 96, 150, 12, platform::StyleDisabled | platform::StyleSunken},
        {ControlKind::Button, 301, "OK", 50, 125, 40, 14},
        {ControlKind::Button, 302, "Cancel", 130, 125, 40, 14},
    };
    return t;
}

const std::map<std::string, DialogTemplate>& allDialogs() {
    static const std::map<std::string, DialogTemplate> all = [] {
        std::map<std::string, DialogTemplate> d = moduleDialogs();
        d["Asset File Maintenance, record open"] = withRecordOpen(d.at("Asset File Maintenance"));
        d["Asset Listing, 30 assets, for viewing"] = dp::buildPickerDialog("SAMPLE", 170, false);
        d["Asset Listing, none"] = dp::buildPickerDialog("SAMPLE", 100, true);
        d["Select Printer"] = printerChoice();
        return d;
    }();
    return all;
}

// ---- what every layout must hold --------------------------------------------------------------

DialogLayout fitted(const DialogTemplate& t, int screenCols, int screenRows) {
    return platform::term::fitLayout(t.controls, t.width, t.height, platform::term::clientColsFor(screenCols),
                                     platform::term::clientRowsFor(screenRows, !t.menuBar.empty()));
}

bool meet(const Cells& a, const Cells& b) {
    return a.col < b.col + b.cols && b.col < a.col + a.cols && a.row < b.row + b.rows && b.row < a.row + a.rows;
}

// The cells a frame draws on: its border.
std::vector<Cells> borderOf(const Cells& f) {
    return {{f.col, f.row, f.cols, 1}, {f.col, f.row + f.rows - 1, f.cols, 1},
            {f.col, f.row, 1, f.rows}, {f.col + f.cols - 1, f.row, 1, f.rows}};
}

// A label standing on a frame's top border is its caption.
bool isCaptionOn(const ControlSpec& label, const ControlSpec& frame) {
    return label.kind == ControlKind::Label && frame.kind == ControlKind::Frame && label.y < frame.y &&
           label.y + label.height > frame.y;
}

std::vector<Cells> drawnCells(const ControlSpec& c, const Cells& cells) {
    if (c.kind == ControlKind::Frame) return borderOf(cells);
    return {cells};
}

// A picture of the layout, for the failure messages.
std::string picture(const DialogTemplate& t, const DialogLayout& l) {
    std::vector<std::string> grid(static_cast<std::size_t>(l.rows), std::string(static_cast<std::size_t>(l.cols), ' '));
    auto put = [&](int row, int col, const std::string& s) {
        if (row < 0 || row >= l.rows) return;
        for (std::size_t i = 0; i < s.size(); ++i)
            if (col + static_cast<int>(i) >= 0 && col + static_cast<int>(i) < l.cols)
                grid[static_cast<std::size_t>(row)][static_cast<std::size_t>(col) + i] = s[i];
    };
    for (std::size_t i = 0; i < t.controls.size(); ++i) {
        const ControlSpec& c = t.controls[i];
        const Cells& x = l.cells[i];
        if (x.empty()) continue;
        const std::string text = platform::term::parseCaption(c.text).text;
        switch (c.kind) {
            case ControlKind::Frame:
            case ControlKind::ListBox:
                for (const Cells& b : borderOf(x))
                    for (int r = 0; r < b.rows; ++r) put(b.row + r, b.col, std::string(static_cast<std::size_t>(b.cols), '#'));
                break;
            case ControlKind::Edit: put(x.row, x.col, "[" + std::string(static_cast<std::size_t>(x.cols - 2), '_') + "]"); break;
            case ControlKind::Button: put(x.row, x.col, "<" + text + std::string(static_cast<std::size_t>(std::max(0, x.cols - 2 - static_cast<int>(text.size()))), ' ') + ">"); break;
            case ControlKind::CheckBox: put(x.row, x.col, "[ ] " + text); break;
            case ControlKind::HLine: put(x.row, x.col, std::string(static_cast<std::size_t>(x.cols), '-')); break;
            default: put(x.row, x.col, c.kind == ControlKind::Label ? text : "[" + platform::term::bitmapCaption(c) + "]"); break;
        }
    }
    std::string out;
    for (const std::string& g : grid) out += "|" + g + "|\n";
    return out;
}

// No two drawn controls share a cell (a frame only through its border; a frame's caption may
// stand on it), and all lie within the client area.
::testing::AssertionResult wellLaidOut(const DialogTemplate& t, const DialogLayout& l) {
    const auto& cs = t.controls;
    for (std::size_t i = 0; i < cs.size(); ++i) {
        const Cells& a = l.cells[i];
        if (a.empty()) continue;
        if (a.col < 0 || a.row < 0 || a.col + a.cols > l.cols || a.row + a.rows > l.rows)
            return ::testing::AssertionFailure() << "control " << cs[i].id << " lies outside\n" << picture(t, l);
        for (std::size_t j = i + 1; j < cs.size(); ++j) {
            const Cells& b = l.cells[j];
            if (b.empty() || isCaptionOn(cs[i], cs[j]) || isCaptionOn(cs[j], cs[i])) continue;
            for (const Cells& x : drawnCells(cs[i], a))
                for (const Cells& y : drawnCells(cs[j], b))
                    if (meet(x, y))
                        return ::testing::AssertionFailure()
                               << "controls " << cs[i].id << " and " << cs[j].id << " overlap\n" << picture(t, l);
        }
    }
    return ::testing::AssertionSuccess();
}

// Labels as wide as their text, boxes and buttons wide enough for what they show.
::testing::AssertionResult readable(const DialogTemplate& t, const DialogLayout& l) {
    for (std::size_t i = 0; i < t.controls.size(); ++i) {
        const ControlSpec& c = t.controls[i];
        const Cells& x = l.cells[i];
        const int text = static_cast<int>(platform::term::parseCaption(c.text).text.size());
        bool ok = true;
        if (c.kind == ControlKind::Label && platform::term::isDrawn(c)) ok = x.cols == text;
        if (c.kind == ControlKind::Button) ok = x.cols >= text + 4;
        // A box shows its whole field between its brackets, a number at full width.
        if (c.kind == ControlKind::Edit) ok = x.cols >= (c.maxLength > 0 ? c.maxLength + 2 : std::min(15, (c.width + 2) / 4));
        if (c.kind == ControlKind::BitmapButton) ok = x.cols >= static_cast<int>(platform::term::bitmapCaption(c).size()) + 4;
        if (!ok) return ::testing::AssertionFailure() << "control " << c.id << " is cut\n" << picture(t, l);
    }
    return ::testing::AssertionSuccess();
}

Cells cellsOfId(const DialogTemplate& t, const DialogLayout& l, int id) {
    for (std::size_t i = 0; i < t.controls.size(); ++i)
        if (t.controls[i].id == id) return l.cells[i];
    return {};
}

// ---- tests ------------------------------------------------------------------------------------

// Prints each dialog at 80x24 and the terminal sizes it needs (run it by hand with
// --gtest_also_run_disabled_tests when the dialogs change, for README.md).
TEST(Layout, DISABLED_Sizes) {
    for (const auto& [name, t] : allDialogs()) {
        const bool menu = !t.menuBar.empty();
        const DialogLayout l = fitted(t, 80, 24);
        std::cout << name << " at 80x24: " << l.scale.unitsPerCol << " x " << l.scale.unitsPerRow << " units a cell\n"
                  << picture(t, l);
        auto fits = [&](int c, int r) { return !platform::term::placeDialog(t, fitted(t, c, r), menu, c, r).scrolls; };
        auto usable = [&](int c, int r) { return platform::term::placeDialog(t, fitted(t, c, r), menu, c, r).usable; };
        int rows = 24, cols = 80, minCols = 80, minRows = 24;
        while (rows > 1 && fits(80, rows - 1)) --rows;
        while (cols > 1 && fits(cols - 1, 24)) --cols;
        while (minCols > 1 && usable(minCols - 1, 24)) --minCols;
        while (minRows > 1 && usable(80, minRows - 1)) --minRows;
        std::cout << "  without scrolling from 80x" << rows << " and " << cols << "x24; usable from " << minCols
                  << " columns and " << minRows << " rows\n";
    }
    for (const auto& [c, r] : std::vector<std::pair<int, int>>{{80, 22}, {79, 22}, {80, 21}, {54, 7}, {53, 7}, {54, 6}}) {
        bool whole = true, usable = true;
        for (const auto& [name, t] : allDialogs()) {
            const auto f = platform::term::placeDialog(t, fitted(t, c, r), !t.menuBar.empty(), c, r);
            whole = whole && !f.scrolls;
            usable = usable && f.usable;
        }
        std::cout << c << "x" << r << ": every dialog " << (whole ? "whole" : "not whole") << ", "
                  << (usable ? "usable" : "not usable") << "\n";
    }
}

TEST(Layout, EveryDialogFitsA80x24TerminalWithoutScrolling) {
    ASSERT_EQ(allDialogs().size(), 10u);
    for (const auto& [name, t] : allDialogs()) {
        SCOPED_TRACE(name);
        const DialogLayout l = fitted(t, 80, 24);
        EXPECT_LE(l.cols, 78);
        EXPECT_LE(l.rows, platform::term::clientRowsFor(24, !t.menuBar.empty()));
        EXPECT_TRUE(wellLaidOut(t, l));
        EXPECT_TRUE(readable(t, l));
        const platform::term::DialogFrame f = platform::term::placeDialog(t, l, !t.menuBar.empty(), 80, 24);
        EXPECT_FALSE(f.scrolls);
        EXPECT_TRUE(f.usable);
        EXPECT_LE(f.outer.row + f.outer.rows, 23) << "the last row is the key line's";
    }
}

TEST(Layout, ABigTerminalShowsTheDesignedSize) {
    for (const auto& [name, t] : allDialogs()) {
        SCOPED_TRACE(name);
        const DialogLayout l = fitted(t, 200, 60);
        EXPECT_EQ(l.scale.unitsPerCol, 4);
        EXPECT_EQ(l.scale.unitsPerRow, 8);
        EXPECT_TRUE(wellLaidOut(t, l));
        EXPECT_TRUE(readable(t, l));
        // Wider only where a box's field is wider than its designed box (the company's activity,
        // 50 characters in 100 units).
        int fieldEnd = 0;
        for (const ControlSpec& c : t.controls)
            if (c.kind == ControlKind::Edit) fieldEnd = std::max(fieldEnd, c.x / 4 + c.maxLength + 3);
        EXPECT_GE(l.cols, t.width / 4 - 3);
        EXPECT_LE(l.cols, std::max(t.width / 4 + 3, fieldEnd));
        EXPECT_NEAR(l.rows, t.height / 8, 2);
    }
}

TEST(Layout, SmallerTerminalsScrollButStayWellLaidOut) {
    for (const auto& [name, t] : allDialogs()) {
        for (const auto& [cols, rows] : std::vector<std::pair<int, int>>{{60, 16}, {50, 12}, {79, 23}}) {
            SCOPED_TRACE(name + " at " + std::to_string(cols) + "x" + std::to_string(rows));
            const DialogLayout l = fitted(t, cols, rows);
            EXPECT_TRUE(wellLaidOut(t, l));
            EXPECT_TRUE(readable(t, l));
        }
    }
}

TEST(Layout, LabelsShareTheRowOfTheirBoxAndStandLeftOfIt) {
    const DialogTemplate& t = allDialogs().at("Asset File Maintenance");
    for (const auto& [cols, rows] : std::vector<std::pair<int, int>>{{80, 24}, {120, 50}}) {
        const DialogLayout l = fitted(t, cols, rows);
        const std::vector<std::pair<int, int>> pairs = {{101, 201}, {102, 202}, {103, 203}, {105, 205}, {106, 206},
                                                        {107, 207}, {108, 208}, {113, 213}, {114, 214}, {116, 216}};
        for (const auto& [label, box] : pairs) {
            const Cells a = cellsOfId(t, l, label), b = cellsOfId(t, l, box);
            EXPECT_EQ(a.row, b.row) << label << "\n" << picture(t, l);
            EXPECT_LT(a.col + a.cols, b.col) << label << "\n" << picture(t, l);
            if (box >= 205) {
                EXPECT_EQ(b.row, cellsOfId(t, l, box + 100).row) << box;
            }
        }
        // The twelve rows of a basis block are twelve different rows, top to bottom; the
        // buttons and the bitmap button stand on one row inside their frame, below them.
        for (int id = 206; id <= 216; ++id) EXPECT_GT(cellsOfId(t, l, id).row, cellsOfId(t, l, id - 1).row);
        const Cells frame = cellsOfId(t, l, 195);
        for (int id : {196, 197, 199, 193, 161}) {
            EXPECT_EQ(cellsOfId(t, l, id).row, cellsOfId(t, l, 196).row) << id << "\n" << picture(t, l);
            EXPECT_GT(cellsOfId(t, l, id).row, frame.row) << id;
            EXPECT_LT(cellsOfId(t, l, id).row, frame.row + frame.rows - 1) << id;
        }
        EXPECT_GT(frame.row, cellsOfId(t, l, 216).row);
        // Boxes of one designed width are about one width in both blocks.
        for (int id = 205; id <= 216; ++id) EXPECT_NEAR(cellsOfId(t, l, id).cols, cellsOfId(t, l, id + 100).cols, 3) << id;
    }
}

TEST(Layout, TheGroupCaptionStandsOnItsFrame) {
    const DialogTemplate& t = allDialogs().at("Amortization Schedule");
    const DialogLayout l = fitted(t, 80, 24);
    const Cells frame = cellsOfId(t, l, 111), caption = cellsOfId(t, l, 121);
    EXPECT_EQ(caption.row, frame.row) << picture(t, l);
    EXPECT_GT(caption.col, frame.col);
    for (int id : {112, 113, 212, 213}) {
        EXPECT_GT(cellsOfId(t, l, id).row, frame.row) << id;
        EXPECT_LT(cellsOfId(t, l, id).row, frame.row + frame.rows - 1) << id;
    }
}

TEST(Layout, TheMenuKeepsItsOrderAndItsLineWhenThereIsRoom) {
    const DialogTemplate& t = allDialogs().at("Depreciation/Amortization Menu");
    const DialogLayout l = fitted(t, 80, 24);
    int lastRow = cellsOfId(t, l, 105).row;
    EXPECT_GT(cellsOfId(t, l, 105).cols, 0) << "the line under the heading";
    EXPECT_GT(lastRow, cellsOfId(t, l, 104).row);
    for (int id : {401, 402, 403, 404, 406, 407, 409}) {
        EXPECT_GT(cellsOfId(t, l, id).row, lastRow) << id;
        lastRow = cellsOfId(t, l, id).row;
        EXPECT_EQ(cellsOfId(t, l, id).col, cellsOfId(t, l, 401).col);
    }
    // The shadow copy of the heading is not drawn.
    EXPECT_TRUE(cellsOfId(t, l, 102).empty());
}

TEST(Layout, ALineWithoutRoomIsLeftOut) {
    const DialogTemplate& t = allDialogs().at("Asset File Maintenance");
    const DialogLayout l = fitted(t, 80, 22);  // one row fewer than the line needs
    EXPECT_EQ(cellsOfId(t, l, 141).cols, 0) << picture(t, l);
    EXPECT_LE(l.rows, platform::term::clientRowsFor(22, true));
    EXPECT_TRUE(wellLaidOut(t, l));
}

TEST(Layout, TheViewFollowsTheFocus) {
    const DialogTemplate& t = allDialogs().at("Asset File Maintenance");
    const DialogLayout l = fitted(t, 50, 12);
    const platform::term::DialogFrame f = platform::term::placeDialog(t, l, true, 50, 12);
    ASSERT_TRUE(f.scrolls);
    ASSERT_TRUE(f.usable);
    platform::term::Scroll s;
    for (const ControlSpec& c : t.controls) {
        if (!platform::term::isFocusable(c.kind)) continue;
        const Cells x = cellsOfId(t, l, c.id);
        s = platform::term::followFocus(s, x, l, f.viewCols, f.viewRows);
        EXPECT_GE(x.row, s.row) << c.id;
        EXPECT_LE(x.row + x.rows, s.row + f.viewRows) << c.id;
        EXPECT_GE(x.col, s.col) << c.id;
        EXPECT_LE(x.col + x.cols, s.col + f.viewCols) << c.id;
    }
    // Back at the top, the view goes back as little as needed.
    s = platform::term::followFocus({5, 0}, cellsOfId(t, l, 202), l, f.viewCols, f.viewRows);
    EXPECT_EQ(s.row, cellsOfId(t, l, 202).row);
}

TEST(Layout, FramePlacement) {
    const DialogTemplate& menu = allDialogs().at("Depreciation/Amortization Menu");
    const DialogLayout big = fitted(menu, 100, 40);
    platform::term::DialogFrame f = platform::term::placeDialog(menu, big, false, 100, 40);
    EXPECT_EQ(f.outer.cols, big.cols + 2);
    EXPECT_EQ(f.outer.rows, big.rows + 2);
    EXPECT_EQ(f.outer.col, (100 - f.outer.cols) / 2);
    EXPECT_EQ(f.outer.row, (39 - f.outer.rows) / 2);
    EXPECT_EQ(f.clientCol, f.outer.col + 1);
    EXPECT_EQ(f.clientRow, f.outer.row + 1);
    EXPECT_EQ(f.menuRow, -1);

    const DialogTemplate& m = allDialogs().at("Asset File Maintenance");
    f = platform::term::placeDialog(m, fitted(m, 100, 40), true, 100, 40);
    EXPECT_EQ(f.menuRow, f.outer.row + 1);
    EXPECT_EQ(f.clientRow, f.outer.row + 2);

    // The listing stands at its place, moved back onto a screen that is too narrow for it.
    const DialogTemplate& picker = allDialogs().at("Asset Listing, none");
    const DialogLayout p = fitted(picker, 100, 40);
    f = platform::term::placeDialog(picker, p, false, 100, 40);
    EXPECT_EQ(f.outer.col, 10);
    EXPECT_EQ(f.outer.row, 4);
    f = platform::term::placeDialog(picker, p, false, 45, 40);
    EXPECT_EQ(f.outer.col, 45 - f.outer.cols);

    // Too small for its widest control: not usable, and it says what it needs.
    const DialogLayout tiny = fitted(menu, 20, 8);
    f = platform::term::placeDialog(menu, tiny, false, 20, 8);
    EXPECT_FALSE(f.usable);
    EXPECT_GT(f.needCols, 20);
}

TEST(Layout, TooSmallMessageAndClipText) {
    EXPECT_EQ(platform::term::tooSmallText(40, 9, 30, 8),
              "Terminal too small: need 40x9, have 30x8 - enlarge the window or press Esc");
    EXPECT_EQ(platform::term::clipText("abcdef", 2, 3), "cde");
    EXPECT_EQ(platform::term::clipText("abc", 1, 5), "bc   ");
    EXPECT_EQ(platform::term::clipText("abc", 7, 2), "  ");
    EXPECT_EQ(platform::term::clipText("abc", 0, 0), "");
}

}  // namespace
