// The layout of the depreciation report (report.txt): page headings, asset lines, heading and
// subtotal rows, totals, the recap by method and the method code summary. It is written into
// memory by DepreciationReportLayout, which knows nothing of files, so that every page break
// and column can be checked on its own.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "format/money.h"

namespace dp {

// What the page heading shows. (The amortization schedule has a ReportHeading of its own.)
struct DepreciationReportHeading {
    std::string enteredDate;  // the report date as typed in the dialog
    std::string companyLine;  // CompanyName and CompanyName2, NULs as blanks, trailing blanks removed
    std::string basis;        // "B" prints BOOK BASIS, anything else TAX BASIS
    std::string periodText;   // "For the  12 months ending ..."
};

// One computed asset as the report prints and totals it: the row's texts as read (NULs already
// blanks) and the amounts of the chosen basis after the engine has run.
struct ReportAsset {
    std::string assetNumber;   // 6 characters
    std::string description;   // 35 characters
    std::string acquiredText;  // DateAcquired as written in the record (MMDDYY or MMDDYYYY)
    std::string method;        // the basis block's Method (first character picks the recap)
    double rate = 0;
    double cost = 0, bonus = 0, salvage = 0, expense = 0, bonus3050 = 0;
    double prior = 0, current = 0, cancelled = 0;
    std::int32_t periodMonths = 0;
    std::int32_t serviceMonths = 0;
    bool sold = false;           // a sale date is stored
    bool addsToBonus = true;     // false for manual rows and the mid-month first year
};

// The period line of the heading: months with a leading blank, "month" or "months", the date
// as entered.
std::string reportPeriodText(std::int32_t periodMonths, const std::string& enteredDate);
// The printer set-up codes at the top of every page of a 132-column report (condensed print),
// passed through to the print spooling.
const std::string& reportPageControl();
// The column of a text centred on the 132-column line: (132 - length) / 2, a half going to the
// even neighbour.
int centredColumn(std::size_t length);
// The rate part of the method/rate column: five characters.
std::string rateText(double rate);
// The recap line (index) of an asset with the method's letter; kMaxRecapIndex catches lives
// and numbers above it as well as assets that give none.
inline constexpr int kMaxRecapIndex = 1000;
int recapIndex(char letter, std::string_view method, double rate);

class DepreciationReportLayout {
public:
    explicit DepreciationReportLayout(DepreciationReportHeading heading);

    // Page heading; the first call starts page 1.
    void newReportPage();
    void headingRow(std::string_view description);
    void subtotalRow(std::string_view description);
    void asset(const ReportAsset& a);
    // Totals, recap, method code summary, the closing form feed.
    void finish();

    // The bytes written so far and not yet taken.
    const std::string& text() const { return out_; }
    // Hands the pending bytes over (the report run writes them to the file as it goes).
    std::string take();
    // Forgets the pending bytes once the caller has written them, keeping their room for the
    // bytes that follow.
    void clearText() { out_.clear(); }

    int pageNumber() const { return page_; }
    int lineCount() const { return count_; }

    struct Totals {
        Cents cost, salvage, expense, bonus3050, prior, current, cancelled;
        void reset() { *this = Totals{}; }
    };
    const Totals& grandTotals() const { return grand_; }

private:
    void write(std::string_view s);
    void line(std::string_view s = {});
    void column(int n);
    void fixed(std::string_view text, std::size_t width);  // cut or blank-padded
    void money(double value);
    void money(Cents value);
    void amountsLine(const Totals& t);
    void assetLine(const ReportAsset& a);
    void soldLine(const ReportAsset& a);
    void addToTotals(const ReportAsset& a);
    void addToRecap(const ReportAsset& a);
    void recapLine(std::string_view label, Cents amount);
    void controlX();
    void recapPageTest();
    void pageTestAbove(int limit);

    DepreciationReportHeading heading_;
    std::string out_;
    std::size_t lineBytes_ = 0;
    int page_ = 0;
    int count_ = 0;

    Totals sub_, grand_;
    Cents straightLine_, otherMethods_, bonus_;
    // Method letters D, B, E, F, G, H, A in recap order, each indexed 0..1000.
    std::vector<Cents> methodRecap_ = std::vector<Cents>(7 * (kMaxRecapIndex + 1));
    Cents& recapEntry(std::size_t slot, int index);
    // The rate texts written so far, by the rate's bits: a register holds few distinct rates.
    struct KnownRate {
        std::uint64_t bits = 0;
        std::string text;
    };
    std::vector<KnownRate> knownRates_;
    const std::string& rateTextOf(double rate);
};

}  // namespace dp
