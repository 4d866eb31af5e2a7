// The host on a 80x24 terminal with a copy of the sample client, driven as a user would drive
// it: every dialog shows whole, the focus stays in view, typing replaces what a box showed when
// it got the focus, what is typed after a description is saved, the asset listing answers Enter
// and letters, the status line says what happened, and the host asks before it makes a client.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "register/records.h"
#include "support/client_dir.h"
#include "tmux_window.h"

namespace {

namespace fs = std::filesystem;

void pause(int ms = 250) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

std::vector<std::string> lines(const std::string& screen) {
    std::vector<std::string> out;
    std::istringstream in(screen);
    for (std::string l; std::getline(in, l);) out.push_back(l);
    return out;
}

std::string lastLine(const std::string& screen) {
    const std::vector<std::string> all = lines(screen);
    return all.empty() ? std::string() : all.back();
}

// The screen without its last line (the key line, which names keys and notes).
std::string body(const std::string& screen) {
    std::vector<std::string> all = lines(screen);
    if (!all.empty()) all.pop_back();
    std::string out;
    for (const std::string& l : all) out += l + "\n";
    return out;
}

bool isWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; }

// Where a caption stands whole: not inside a longer word, nor followed by one more word
// ("Company Name" is not counted in "Company Name line 2").
int occurrences(const std::string& text, const std::string& caption) {
    int n = 0;
    for (std::size_t at = text.find(caption); at != std::string::npos; at = text.find(caption, at + 1)) {
        const std::size_t end = at + caption.size();
        const bool before = at == 0 || !isWordChar(text[at - 1]);
        const bool after = end >= text.size() ||
                           (!isWordChar(text[end]) && !(text[end] == ' ' && end + 1 < text.size() && isWordChar(text[end + 1])));
        if (before && after) ++n;
    }
    return n;
}

::testing::AssertionResult eachCaptionOnce(const std::string& screen, const std::vector<std::string>& captions) {
    for (const std::string& c : captions)
        if (occurrences(body(screen), c) != 1)
            return ::testing::AssertionFailure() << "\"" << c << "\" shows " << occurrences(body(screen), c)
                                                 << " times\n" << screen;
    return ::testing::AssertionSuccess();
}

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The sample client and the rate tables in a directory of their own, the host started there in
// a 80x24 tmux window.
class SampleOnTerminal : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(smoke::tmuxInstalled());
        ASSERT_FALSE(dir_.code().empty());
        fs::copy(std::string(DP_SOURCE_DIR) + "/examples/SAMPLE", path("SAMPLE"), fs::copy_options::recursive);
        for (const auto& e : fs::directory_iterator(std::string(DP_SOURCE_DIR) + "/data"))
            if (e.path().extension() == ".tbl" || e.path().filename() == "writeup.txt")
                fs::copy(e.path(), path(e.path().filename().string()));
    }

    std::string path(const std::string& name) const { return dir_.code() + "/" + name; }

    // Runs the host with `client` in the window; its exit status goes to exit.txt.
    ::testing::AssertionResult startHost(const std::string& client = "SAMPLE") {
        const std::string script = path("run.sh");
        {
            std::ofstream out(script);
            out << "cd '" << dir_.code() << "' || exit 1\n"
                << "unset DP_SCRIPT DP_TRANSCRIPT DP_TERMINAL_MOUSE\n"
                << "export DP_SUITE_LIBDIR='" << DP_BINARY_DIR << "/suite/devpick:" << DP_BINARY_DIR << "/suite/listout'\n"
                << "'" << DP_BINARY_DIR << "/suite/dphost' " << client << "\n"
                << "echo EXIT=$? > '" << path("exit.txt") << "'\n"
                << "sleep 60\n";
        }
        if (!w_.start(80, 24, script)) return ::testing::AssertionFailure() << "tmux did not start";
        if (client != "SAMPLE") return ::testing::AssertionSuccess();
        return w_.waitFor({"DEPRECIATION MENU", "Exit Depreciation"});
    }

    ::testing::AssertionResult keys(const std::string& k, const std::vector<std::string>& onScreen) {
        w_.keys(k);
        return w_.waitFor(onScreen);
    }

    ::testing::AssertionResult exitedWith(int status) {
        return w_.waitFor({}, path("exit.txt"), {"EXIT=" + std::to_string(status)});
    }

    // Tabs through `stops` controls: after each Tab the cursor stands on the screen, inside
    // the dialog, above the key line.
    ::testing::AssertionResult focusStaysInView(int stops) {
        for (int i = 0; i < stops; ++i) {
            w_.keys("Tab");
            pause(200);
            const smoke::TmuxWindow::Cursor c = w_.cursor();
            if (!c.shown || c.row < 1 || c.row > 21 || c.col < 1 || c.col > 78)
                return ::testing::AssertionFailure() << "after Tab " << i + 1 << " the cursor is at " << c.col << ","
                                                     << c.row << (c.shown ? "" : " (hidden)") << "\n" << w_.screen();
        }
        return ::testing::AssertionSuccess();
    }

    std::vector<dp::AssetRecord> records() const {
        std::vector<dp::AssetRecord> out;
        const std::string bytes = readAll(path("SAMPLE/depr.fil"));
        for (std::size_t at = 0; at + dp::kAssetRecordLength <= bytes.size(); at += dp::kAssetRecordLength) {
            dp::AssetRecord::Bytes b{};
            std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(at), dp::kAssetRecordLength, b.begin());
            out.push_back(dp::AssetRecord::decode(b));
        }
        return out;
    }

    std::string description(const std::string& asset) const {
        for (const dp::AssetRecord& r : records())
            if (r.AssetNumber.rfind(asset, 0) == 0) return r.Description;
        return "(no record " + asset + ")";
    }

    // Whether the cursor stands on `text` (a button's caption).
    bool cursorOn(const std::string& text) const {
        const smoke::TmuxWindow::Cursor c = w_.cursor();
        const std::vector<std::string> all = lines(w_.screen());
        if (c.row < 0 || c.row >= static_cast<int>(all.size())) return false;
        return all[static_cast<std::size_t>(c.row)].compare(static_cast<std::size_t>(c.col), text.size(), text) == 0;
    }

    // Asset maintenance with record `asset` open: typed into the number box, and Enter.
    ::testing::AssertionResult openAsset(const std::string& asset) {
        w_.keys(asset);
        w_.keys("Enter");
        return w_.waitFor({"Change Records " + asset});
    }

    dptest::TempClient dir_;
    smoke::TmuxWindow w_{"dpsample" + std::to_string(::getpid()) +
                         ::testing::UnitTest::GetInstance()->current_test_info()->name()};
};

const std::vector<std::string> kMenu = {
    "DEPRECIATION MENU",     "Asset File Maintenance", "Company File Maintenance", "Depreciation Report",
    "Close Current Period",  "Amortization Schedule",  "Print Form 4562 page 1",   "Exit Depreciation"};

const std::vector<std::string> kMaintenance = {
    "File", "Edit", "Help", "Asset Number", "Description", "Date Acquired", "Date Sold", "---BOOK---", "---TAX---",
    "Method", "Rate", "Manual Calculation Y/N", "Cost", "Bonus Depreciation", "Salvage Value", "Expense Deduction",
    "30/50 Bonus", "Prior Depreciation", "Current year depreciation", "Cancelled", "Form 4562 Code", "About", "Save",
    "Abort", "Close", "OK", "Delete"};

const std::vector<std::string> kCompany = {
    "Company Name", "Company Name line 2", "Company Address", "Company City", "Fiscal Year End",
    "Activity or Business", "Current Period", "Identification Number", "OK"};

const std::vector<std::string> kOptions = {"Report Date", "Use Book Basis", "Use Tax Basis", "Round to whole dollars",
                                           "Ok", "Cancel"};

const std::vector<std::string> kAmortization = {
    "Report heading", "Loan amount", "Annual interest rate (U=Unknown)", "Term (months)",
    "Base monthly payment (U=Unknown)", "Date of first payment", "Month for year end", "Beginning month to print",
    "Ending month to print", "Additional payments (taxes,insurance,etc.)", "Accelerated Payoff",
    "One-time extra payment", "Per year extra payment (every 12 months)", "26 payments per year (biweekly)", "Exit",
    "Print"};

TEST_F(SampleOnTerminal, EveryDialogShowsWholeAndKeepsTheFocusInView) {
    ASSERT_TRUE(startHost());
    EXPECT_TRUE(eachCaptionOnce(w_.screen(), kMenu));
    EXPECT_TRUE(focusStaysInView(8));

    ASSERT_TRUE(keys("M-a", {"Asset File Maintenance  (SAMPLE)"}));
    EXPECT_TRUE(eachCaptionOnce(w_.screen(), kMaintenance));
    EXPECT_TRUE(focusStaysInView(4));
    // The listing, from the idle dialog: its lines, "&OK" and "&Cancel".
    ASSERT_TRUE(keys("F10 Enter", {"Asset Listing (SAMPLE)", "106     Delivery van"}));
    EXPECT_TRUE(eachCaptionOnce(w_.screen(), {"Asset Listing (SAMPLE)", "OK", "Cancel", "100     SHOP EQUIPMENT"}));
    EXPECT_TRUE(focusStaysInView(3));
    // Esc closes the listing; only then may the next keys come (Esc and a key at once read as Alt).
    w_.keys("Escape");
    ASSERT_TRUE(w_.waitGone("Asset Listing"));
    // With a record open: every field box takes the focus in turn.
    ASSERT_TRUE(openAsset("101"));
    std::vector<std::string> open(kMaintenance.begin() + 1, kMaintenance.end());  // "File" is in the caption now
    EXPECT_TRUE(eachCaptionOnce(w_.screen(), open));
    EXPECT_TRUE(focusStaysInView(34));
    ASSERT_TRUE(keys("M-a", {"Asset File (SAMPLE)"}));
    ASSERT_TRUE(keys("M-c", {"Exit Depreciation"}));

    ASSERT_TRUE(keys("M-m", {"Company File Maintenance  (SAMPLE)"}));
    EXPECT_TRUE(eachCaptionOnce(w_.screen(), kCompany));
    EXPECT_TRUE(focusStaysInView(9));
    ASSERT_TRUE(keys("Escape", {"Exit Depreciation"}));

    // The report options, then the printer choice of the report.
    ASSERT_TRUE(keys("M-r", {"Report Date"}));
    EXPECT_TRUE(eachCaptionOnce(w_.screen(), kOptions));
    EXPECT_TRUE(focusStaysInView(6));
    ASSERT_TRUE(keys("Tab Tab Tab Tab Enter", {"Select Printer"}));
    EXPECT_TRUE(eachCaptionOnce(w_.screen(), {"Select Printer", "Print SAMPLE/report.txt", "File name", "OK", "Cancel"}));
    EXPECT_EQ(occurrences(w_.screen(), "Printer"), 2) << "the caption's and the list's label";
    EXPECT_TRUE(focusStaysInView(4));
    ASSERT_TRUE(keys("Escape", {"Exit Depreciation"}));

    ASSERT_TRUE(keys("M-s", {"Amortization Schedule  (SAMPLE)"}));
    EXPECT_TRUE(eachCaptionOnce(w_.screen(), kAmortization));
    EXPECT_TRUE(focusStaysInView(16));
    ASSERT_TRUE(keys("M-x", {"Exit Depreciation"}));

    ASSERT_TRUE(keys("M-p", {"DEPRECIATION - CLOSE YEAR"}));
    EXPECT_TRUE(eachCaptionOnce(w_.screen(), {"Current Year END Date:12312004", "New Year End Date:    12312005", "OK",
                                              "Cancel"}));
    ASSERT_TRUE(keys("Escape", {"Close aborted . . . Returning to menu"}));
    ASSERT_TRUE(keys("Enter", {"Exit Depreciation"}));
    ASSERT_TRUE(keys("M-x", {}));
    EXPECT_TRUE(exitedWith(0));
}

// A box that gets the focus has its text selected, whatever gave it the focus: a new dialog,
// Tab, Shift-Tab, Enter in the amortization, the program after a look-up, the mouse.
TEST_F(SampleOnTerminal, TypingReplacesTheTextAfterEachFocusRoute) {
    ASSERT_TRUE(startHost());
    ASSERT_TRUE(keys("M-m", {"[Riverside Hardware Inc.__"}));
    ASSERT_TRUE(keys("N", {"[N_____"}));                             // a freshly opened dialog
    ASSERT_TRUE(keys("Tab Tab A", {"[A_____", "Company City"}));      // Tab onto the address
    ASSERT_TRUE(keys("Tab Tab BTab C", {"[C_____", "[12312004"}));   // Shift-Tab back to the city
    EXPECT_EQ(w_.screen().find("Springfield"), std::string::npos);
    // The mouse: a click on the fiscal year end box.
    const std::vector<std::string> rows = lines(w_.screen());
    for (std::size_t r = 0; r < rows.size(); ++r)
        if (const std::size_t c = rows[r].find("[12312004"); c != std::string::npos) {
            const int x = static_cast<int>(c) + 4, y = static_cast<int>(r);
            w_.literal("\033[M " + std::string(1, static_cast<char>(33 + x)) + static_cast<char>(33 + y) + "\033[M#" +
                       static_cast<char>(33 + x) + static_cast<char>(33 + y));
            break;
        }
    ASSERT_TRUE(keys("D", {"[D_____"}));
    EXPECT_EQ(occurrences(w_.screen(), "12312004"), 1) << w_.screen();  // only the current period's
    // "D" is no date: refused, and the dialog comes back on that box with the text selected.
    ASSERT_TRUE(keys("Escape", {"\"D\" is not a date"}));
    ASSERT_TRUE(keys("Enter", {"[D_____"}));
    ASSERT_TRUE(keys("1", {"[1_____"}));
    ASSERT_TRUE(keys("BSpace", {}));
    ASSERT_TRUE(keys("Escape", {"Exit Depreciation"}));

    // Enter in the amortization moves the focus by program: round the boxes and back to the
    // heading, whose text typing then replaces.
    ASSERT_TRUE(keys("M-s", {"Report heading"}));
    ASSERT_TRUE(keys("Old Enter", {"[Old__"}));
    for (int i = 0; i < 11; ++i) w_.keys("Enter");
    pause();
    ASSERT_TRUE(keys("New", {"[New__"}));
    EXPECT_EQ(w_.screen().find("Old"), std::string::npos) << w_.screen();
    ASSERT_TRUE(keys("M-x", {"Exit Depreciation"}));

    // The program after a look-up: the description box.
    ASSERT_TRUE(keys("M-a", {"Asset Number"}));
    ASSERT_TRUE(openAsset("102"));
    ASSERT_TRUE(keys("Q", {"[Q_____"}));
    EXPECT_EQ(w_.screen().find("Paint mixing machine"), std::string::npos);
    ASSERT_TRUE(keys("M-a", {"Asset File (SAMPLE)"}));
    EXPECT_EQ(description("102"), "Paint mixing machine" + std::string(15, ' ')) << "abort saves nothing";
}

// The description shows without its padding: End and more text append to it, and that is
// saved; a description left alone keeps its bytes. The status line says the asset was saved.
TEST_F(SampleOnTerminal, AppendingToADescriptionIsSaved) {
    const std::string untouched = description("102");
    ASSERT_TRUE(startHost());
    ASSERT_TRUE(keys("M-a", {"Asset Number"}));
    ASSERT_TRUE(openAsset("101"));
    ASSERT_TRUE(keys("End", {"[Cash register____"}));
    ASSERT_TRUE(keys("' - front'", {"[Cash register - front__"}));
    ASSERT_TRUE(keys("M-s", {"Asset 101 saved"}));
    EXPECT_NE(lastLine(w_.screen()).find("Asset 101 saved"), std::string::npos) << w_.screen();
    EXPECT_EQ(description("101"), "Cash register - front" + std::string(14, ' '));

    // Through every box of 102 without typing, and saved.
    ASSERT_TRUE(openAsset("102"));
    for (int i = 0; i < 27; ++i) w_.keys("Tab");
    ASSERT_TRUE(keys("M-s", {"Asset 102 saved"}));
    EXPECT_EQ(description("102"), untouched);
    // The note goes with the next key.
    ASSERT_TRUE(keys("Tab", {"Asset Number"}));
    pause();
    EXPECT_EQ(w_.screen().find("saved"), std::string::npos) << w_.screen();
}

// The listing: the first line is highlighted when it opens, Enter chooses the highlighted line,
// a letter jumps to the next line starting with it.
TEST_F(SampleOnTerminal, TheListingAnswersEnterAndLetters) {
    ASSERT_TRUE(startHost());
    ASSERT_TRUE(keys("M-a", {"Asset Number"}));
    ASSERT_TRUE(keys("F10 Enter", {"Asset Listing (SAMPLE)"}));
    ASSERT_TRUE(keys("Enter", {"Change Records 100", "[SHOP EQUIPMENT"}));
    ASSERT_TRUE(keys("M-a", {"Asset File (SAMPLE)"}));
    ASSERT_TRUE(keys("F10 Enter", {"Asset Listing (SAMPLE)"}));
    w_.keys("2");
    w_.keys("2");
    ASSERT_TRUE(keys("Enter", {"Change Records 201", "[Store building"}));
    ASSERT_TRUE(keys("M-a", {"Asset File (SAMPLE)"}));
    ASSERT_TRUE(keys("F10 Enter", {"Asset Listing (SAMPLE)"}));
    w_.keys("1");  // the first line starting with 1, then the next one
    w_.keys("1");
    ASSERT_TRUE(keys("Enter", {"Change Records 101"}));
    // Closing the listing chooses nothing, although its first line is highlighted.
    ASSERT_TRUE(keys("M-a", {"Asset File (SAMPLE)"}));
    ASSERT_TRUE(keys("F10 Enter", {"Asset Listing (SAMPLE)"}));
    ASSERT_TRUE(keys("Escape", {"Asset Number"}));
    pause();
    EXPECT_EQ(w_.screen().find("Change Records"), std::string::npos) << w_.screen();
}

// A refused amount: the message names the box, and back in the record the box has the focus with
// its text selected, so that the amount typed next replaces it; that one is saved as it reads.
TEST_F(SampleOnTerminal, ARefusedAmountIsTypedOverAndSaved) {
    ASSERT_TRUE(startHost());
    ASSERT_TRUE(keys("M-a", {"Asset Number"}));
    // The seventh character of an asset number is not taken.
    ASSERT_TRUE(keys("1012345", {"[101234]"}));
    ASSERT_TRUE(keys("BSpace BSpace BSpace", {"[101___]"}));
    for (int i = 0; i < 6 && !cursorOn("OK"); ++i) {
        w_.keys("Tab");
        pause(200);
    }
    ASSERT_TRUE(keys("Enter", {"Change Records 101"}));
    // From the description, row by row: the two dates, then book and tax method, rate and manual
    // flag, then the book Cost.
    for (int i = 0; i < 9; ++i) w_.keys("Tab");
    ASSERT_TRUE(keys("12O.00", {"[12O.00_"}));
    ASSERT_TRUE(keys("M-s", {"Cost (book)", "\"12O.00\" is not a number."}));
    ASSERT_TRUE(keys("Enter", {"Change Records 101"}));
    ASSERT_TRUE(keys("12,500.00", {"[12,500.00_"}));
    ASSERT_TRUE(keys("M-s", {"Asset 101 saved"}));
    double cost = 0;
    for (const dp::AssetRecord& r : records())
        if (r.AssetNumber == "101   ") cost = r.Book.Cost;
    EXPECT_EQ(cost, 12500);
}

// Enter in the number box looks the asset up (OK is the default button); in a box of the record,
// which has no default button, it goes on to the next box; with nothing typed the status line
// says what to do.
TEST_F(SampleOnTerminal, EnterInTheNumberBoxFindsTheAsset) {
    ASSERT_TRUE(startHost());
    ASSERT_TRUE(keys("M-a", {"Asset Number", "Enter OK"}));
    ASSERT_TRUE(keys("Enter", {"Type an asset number first"}));
    ASSERT_TRUE(keys("1 0 1 Enter", {"Change Records 101", "[Cash register", "Enter next box"}));
    ASSERT_TRUE(keys("Enter", {}));
    pause();
    EXPECT_TRUE(cursorOn("03102004")) << "Enter in the description goes on to Date Acquired\n" << w_.screen();
    ASSERT_TRUE(keys("M-a", {"Asset File (SAMPLE)"}));
    // A number not on file starts a new record, by Enter as well.
    ASSERT_TRUE(keys("9 9 9 Enter", {"Add Records 999"}));
}

// Tab follows the screen: the number box, OK beside it, then the buttons along the foot, About
// and Close; the same after a save, when the number box has been made anew.
TEST_F(SampleOnTerminal, TabOrderIsTheSameBeforeAndAfterASave) {
    ASSERT_TRUE(startHost());
    ASSERT_TRUE(keys("M-a", {"Asset Number"}));
    EXPECT_EQ(w_.screen().find("[B2]"), std::string::npos) << "every button reads as what it does";
    EXPECT_EQ(w_.screen().find("[*]"), std::string::npos) << "no stray marks";
    auto tabRound = [&] {
        std::vector<std::string> stops;
        for (int i = 0; i < 4; ++i) {
            w_.keys("Tab");
            pause(250);
            stops.push_back(cursorOn("OK") ? "OK" : cursorOn("About") ? "About" : cursorOn("Close") ? "Close"
                            : cursorOn("___") || cursorOn("[") ? "number" : "?");
        }
        return stops;
    };
    const std::vector<std::string> onScreen = {"OK", "About", "Close", "number"};
    EXPECT_EQ(tabRound(), onScreen) << w_.screen();
    ASSERT_TRUE(openAsset("101"));
    ASSERT_TRUE(keys("M-s", {"Asset 101 saved"}));
    EXPECT_EQ(tabRound(), onScreen) << w_.screen();
}

// Esc is told on the key line, and drops no typing without asking: Enter at the question goes back
// to the record (the default), Yes saves and closes. With nothing changed Esc closes at once.
TEST_F(SampleOnTerminal, EscWithUnsavedChangesAsks) {
    ASSERT_TRUE(startHost());
    EXPECT_NE(lastLine(w_.screen()).find("Esc exit"), std::string::npos) << w_.screen();
    ASSERT_TRUE(keys("M-a", {"Asset Number", "Esc close"}));
    ASSERT_TRUE(openAsset("102"));
    ASSERT_TRUE(keys("Escape", {"Exit Depreciation"})) << "nothing typed: closed at once";
    ASSERT_TRUE(keys("M-a", {"Asset Number"}));
    ASSERT_TRUE(openAsset("101"));
    ASSERT_TRUE(keys("'Till'", {"[Till", "Esc close (asks to save)"}));
    ASSERT_TRUE(keys("Escape", {"Save Asset Record", "Asset 101 has changes that are not saved.", "< Cancel >"}));
    ASSERT_TRUE(keys("Enter", {"Change Records 101", "[Till"}));
    EXPECT_EQ(w_.screen().find("Save Asset Record"), std::string::npos);
    ASSERT_TRUE(keys("Escape", {"Save Asset Record"}));
    ASSERT_TRUE(keys("y", {"Exit Depreciation", "Asset 101 saved"}));
    EXPECT_EQ(description("101"), "Till" + std::string(31, ' '));
    // Company File Maintenance saves on Esc, and says so.
    ASSERT_TRUE(keys("M-m", {"Company Name", "Esc save and close"}));
    ASSERT_TRUE(keys("Escape", {"Company file saved"}));
    // The report options: Esc cancels.
    ASSERT_TRUE(keys("M-r", {"Report Date", "Esc cancel"}));
    ASSERT_TRUE(keys("Escape", {"Exit Depreciation"}));
}

// F1 opens the help from every window, titled with its topic's heading, and q goes back there.
TEST_F(SampleOnTerminal, F1OpensTheHelpInEveryWindow) {
    const std::string heading = "FIXED ASSETS: DEPRECIATION AND AMORTIZATION - PROCESSING";
    ASSERT_TRUE(startHost());
    auto helpAndBack = [&](const std::string& window) -> ::testing::AssertionResult {
        w_.keys("F1");
        if (auto r = w_.waitFor({heading, "q or Esc closes"}); !r) return r << "F1 in " << window;
        const std::vector<std::string> rows = lines(w_.screen());
        if (rows.empty() || rows[0].find(heading) == std::string::npos)
            return ::testing::AssertionFailure() << "the title is not the heading\n" << w_.screen();
        w_.keys("q");
        return w_.waitFor({window});
    };
    EXPECT_TRUE(helpAndBack("Exit Depreciation"));
    ASSERT_TRUE(keys("M-a", {"Asset Number"}));
    EXPECT_TRUE(helpAndBack("Asset Number"));
    ASSERT_TRUE(keys("F10 Enter", {"Asset Listing (SAMPLE)"}));
    EXPECT_TRUE(helpAndBack("Asset Listing (SAMPLE)"));
    ASSERT_TRUE(keys("Escape", {"Asset Number"}));
    ASSERT_TRUE(keys("M-c", {"Exit Depreciation"}));
    ASSERT_TRUE(keys("M-m", {"Company Name"}));
    EXPECT_TRUE(helpAndBack("Company Name"));
    ASSERT_TRUE(keys("Escape", {"Exit Depreciation"}));
    ASSERT_TRUE(keys("M-r", {"Report Date"}));
    EXPECT_TRUE(helpAndBack("Report Date"));
    ASSERT_TRUE(keys("Enter", {"Select Printer"}));
    EXPECT_TRUE(helpAndBack("Select Printer"));
    ASSERT_TRUE(keys("Escape", {"Exit Depreciation"}));
    ASSERT_TRUE(keys("M-s", {"Report heading"}));
    EXPECT_TRUE(helpAndBack("Report heading"));
    ASSERT_TRUE(keys("M-x", {"Exit Depreciation"}));
    // A message box: the close's question (the report above computed the year's tax figures).
    ASSERT_TRUE(keys("M-p", {"DEPRECIATION - CLOSE YEAR"}));
    EXPECT_TRUE(helpAndBack("New Year End Date:"));
    ASSERT_TRUE(keys("Escape", {"Close aborted"}));
    ASSERT_TRUE(keys("Enter", {"Exit Depreciation"}));
}

// At 80x24 every box shows its whole field once the focus has left it: dates with their
// separators, an amount at full width, the company's activity of 50 characters. A PDF print-out
// says where it went with the whole path.
TEST_F(SampleOnTerminal, NoBoxShowsLessThanItsField) {
    ASSERT_TRUE(startHost());
    ASSERT_TRUE(keys("M-a", {"Asset Number"}));
    ASSERT_TRUE(openAsset("101"));
    ASSERT_TRUE(keys("Tab '03/15/2004' Tab '09/30/2004' Tab", {}));
    for (int i = 0; i < 6; ++i) w_.keys("Tab");  // row by row on to the book Cost
    ASSERT_TRUE(keys("'1,234,567.89' Tab", {}));
    ASSERT_TRUE(w_.waitFor({"[03/15/2004]", "[09/30/2004]", "[1,234,567.89"})) << w_.screen();
    ASSERT_TRUE(keys("M-a", {"Asset File (SAMPLE)"}));
    ASSERT_TRUE(keys("M-c", {"Exit Depreciation"}));
    const std::string activity = "Retail and wholesale hardware, paint and garden 50";
    ASSERT_EQ(activity.size(), 50u);
    ASSERT_TRUE(keys("M-m", {"Activity or Business"}));
    for (int i = 0; i < 5; ++i) w_.keys("Tab");
    ASSERT_TRUE(keys("'" + activity + "' Tab", {}));
    ASSERT_TRUE(w_.waitFor({"[" + activity + "]"})) << w_.screen();
    ASSERT_TRUE(keys("Escape", {"Company file saved"}));
    // The report to a PDF named without a directory: the note names the whole path.
    ASSERT_TRUE(keys("M-r", {"Report Date"}));
    ASSERT_TRUE(keys("Enter", {"Select Printer"}));
    ASSERT_TRUE(keys("Down Tab 'book.pdf' Enter", {"PDF written to " + dir_.code() + "/book.pdf"}));
}

// A stray Enter at the close closes nothing. The sample's tax figures were never computed, so the
// close says so first, and Enter there is No; told to go on (Y), Enter at the confirmation is
// Cancel. Only Y and then OK close the year, and the status line says so.
TEST_F(SampleOnTerminal, EnterAtTheCloseClosesNothing) {
    const std::string company = readAll(path("SAMPLE/company.fil"));
    const std::string assets = readAll(path("SAMPLE/depr.fil"));
    ASSERT_TRUE(startHost());
    ASSERT_TRUE(keys("M-p", {"No depreciation has been computed", "Close the year anyway?", "< No >"}));
    ASSERT_TRUE(keys("Enter", {"Close aborted . . . Returning to menu"}));
    ASSERT_TRUE(keys("Enter", {"Exit Depreciation"}));
    ASSERT_TRUE(keys("M-p", {"Close the year anyway?"}));
    ASSERT_TRUE(keys("y", {"New Year End Date:    12312005", "< Cancel >"}));
    ASSERT_TRUE(keys("Enter", {"Close aborted . . . Returning to menu"}));
    ASSERT_TRUE(keys("Enter", {"Exit Depreciation"}));
    EXPECT_EQ(readAll(path("SAMPLE/company.fil")), company);
    EXPECT_EQ(readAll(path("SAMPLE/depr.fil")), assets);

    ASSERT_TRUE(keys("M-p", {"Close the year anyway?"}));
    ASSERT_TRUE(keys("y", {"New Year End Date:    12312005"}));
    ASSERT_TRUE(keys("o", {"Fiscal year closed: now ends 12/31/2005"}));
    EXPECT_NE(lastLine(w_.screen()).find("Fiscal year closed: now ends 12/31/2005"), std::string::npos);
    EXPECT_NE(w_.screen().find("Exit Depreciation"), std::string::npos);
    EXPECT_NE(readAll(path("SAMPLE/company.fil")), company);
}

// The host asks before it makes a client directory: no leaves nothing behind (exit 5), yes
// makes it and opens the menu.
TEST_F(SampleOnTerminal, TheHostAsksBeforeItCreatesAClient) {
    ASSERT_TRUE(startHost("NEWCO"));
    ASSERT_TRUE(w_.waitFor({"does not exist", "Create it as a new, empty client? [y/N]"}));
    w_.keys("n Enter");
    ASSERT_TRUE(exitedWith(5));
    EXPECT_FALSE(fs::exists(path("NEWCO")));
}

TEST_F(SampleOnTerminal, TheHostCreatesAClientWhenTold) {
    ASSERT_TRUE(startHost("NEWCO"));
    ASSERT_TRUE(w_.waitFor({"Create it as a new, empty client? [y/N]"}));
    w_.keys("y Enter");
    ASSERT_TRUE(w_.waitFor({"Depreciation/Amortization Menu (NEWCO)"}));
    EXPECT_TRUE(fs::is_directory(path("NEWCO")));
    w_.keys("M-x");
    EXPECT_TRUE(exitedWith(0));
}

// scripts/run-sample.sh as a new user runs it, on the tests' build tree and a sample directory of
// its own: what the first run changed is there in the second; --fresh starts over and says so.
class RunSample : public ::testing::Test {
protected:
    // One run in a 80x24 window of its own, until the menu shows.
    ::testing::AssertionResult start(const std::string& args) {
        window_ = std::make_unique<smoke::TmuxWindow>("dprunsample" + std::to_string(::getpid()) + "n" +
                                                      std::to_string(++runs_));
        const std::string script = dir_.path("run" + std::to_string(runs_) + ".sh");
        {
            std::ofstream out(script);
            out << "cd '" << DP_SOURCE_DIR << "' || exit 1\n"
                << "unset DP_SCRIPT DP_TRANSCRIPT DP_TERMINAL_MOUSE\n"
                << "BUILD_DIR='" << DP_BINARY_DIR << "' SAMPLE_DIR='" << dir_.path("sample") << "' bash scripts/run-sample.sh "
                << args << "\n"
                << "echo RUN-ENDED $?\n"
                << "sleep 60\n";
        }
        if (!window_->start(80, 24, script)) return ::testing::AssertionFailure() << "tmux did not start";
        // The build tree is checked first: give it time on a loaded machine.
        ::testing::AssertionResult shown = ::testing::AssertionFailure();
        for (int i = 0; i < 6 && !shown; ++i) shown = window_->waitFor({"DEPRECIATION MENU", "Exit Depreciation"});
        return shown;
    }
    ::testing::AssertionResult keys(const std::string& k, const std::vector<std::string>& onScreen) {
        window_->keys(k);
        return window_->waitFor(onScreen);
    }
    // Leaves the menu; the notes the script wrote before the menu are then on the screen.
    ::testing::AssertionResult leave(const std::vector<std::string>& notes) {
        if (auto ended = keys("M-x", {"RUN-ENDED 0"}); !ended) return ended;
        const std::string printed = window_->joinedScreen();
        for (const std::string& n : notes)
            if (printed.find(n) == std::string::npos) return ::testing::AssertionFailure() << "no \"" << n << "\" in\n" << printed;
        return ::testing::AssertionSuccess();
    }

    dptest::TempClient dir_;
    std::unique_ptr<smoke::TmuxWindow> window_;
    int runs_ = 0;
};

TEST_F(RunSample, KeepsTheSampleBetweenRunsAndFreshStartsOver) {
    ASSERT_TRUE(smoke::tmuxInstalled());
    const std::string sample = dir_.path("sample") + "/SAMPLE";
    ASSERT_TRUE(start(""));
    ASSERT_TRUE(keys("M-m", {"[Riverside Hardware Inc."}));
    ASSERT_TRUE(keys("'Kept Hardware' Escape", {"Company file saved"}));
    ASSERT_TRUE(leave({"the sample client is " + sample + ", copied from examples/SAMPLE",
                       "veldro-render"}));

    ASSERT_TRUE(start(""));
    ASSERT_TRUE(keys("M-m", {"[Kept Hardware"}));
    ASSERT_TRUE(keys("Escape", {"Exit Depreciation"}));
    ASSERT_TRUE(leave({"as the last run left it"}));

    ASSERT_TRUE(start("--fresh"));
    ASSERT_TRUE(keys("M-m", {"[Riverside Hardware Inc."}));
    ASSERT_TRUE(keys("Escape", {"Exit Depreciation"}));
    ASSERT_TRUE(leave({"--fresh: the sample client starts over"}));
    EXPECT_TRUE(fs::exists(std::string(DP_BINARY_DIR) + "/suite/render/veldro-render")) << "built by run-sample.sh";
}

int exitStatus(const std::string& command) {
    const int rc = std::system(command.c_str());
    return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

TEST(Host, RefusesAnEmptyClientCodeAndRunsWithoutATerminalNot) {
    const std::string host = std::string(DP_BINARY_DIR) + "/suite/dphost";
    EXPECT_EQ(exitStatus("'" + host + "' '' 2>/dev/null"), 2);
    // setsid: a session without a controlling terminal, standard input and output no terminal.
    dptest::TempClient dir;
    const std::string err = dir.code() + "/err.txt";
    EXPECT_EQ(exitStatus("cd '" + dir.code() + "' && setsid -w '" + host + "' SAMPLE </dev/null >/dev/null 2>'" + err +
                         "'"),
              4);
    EXPECT_NE(readAll(err).find("there is no terminal for the dialogs"), std::string::npos) << readAll(err);
    EXPECT_FALSE(fs::exists(dir.code() + "/SAMPLE")) << "nothing is created without a terminal";
}

}  // namespace
