#include "report/depreciation_report.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

#include "engine/dates.h"
#include "engine/depreciation.h"
#include "engine/report_options.h"
#include "format/number_format.h"
#include "platform/files.h"
#include "platform/message.h"
#include "register/asset_files.h"
#include "report/print_report.h"

namespace dp {
namespace {

constexpr int kPageLimit = 55;
constexpr char kSingleRule = '\xC4';
constexpr char kDoubleRule = '\xCD';

// Printer set-up codes at the top of every page, passed through to the print spooling.
const std::string kPageControl = std::string("\x1bk") + char(66) + "\x1b" + char(34) + "y" + "\x1b" + char(34) +
                                 "Q" + char(17) + "\x1b" + "E";
// Printer codes ahead of the recap and of each page that continues it.
const std::string kRecapControl = std::string("\x1bX") + char(30) + char(20) + char(0);
// A reverse feed of one sixth of an inch: the marker lands on the asset line just printed.
const std::string kReverseFeed = std::string("\x1bj") + char(36);

const char* const kColumnHeading1 =
    "--------------Assets-------------   Date   -----------Asset Value----------               "
    "---------Accumulated Depreciaton---------";
const char* const kColumnHeading2 =
    "No.    Description                Acquired       Cost    Salvage        Net  Meth/Rate       Prior    "
    "Sustn'd    Cancl'd     Ending";

const char* const kSummary[] = {
    "SL   = Straight Line                   |  E = ACRS Mid Quarter       ",
    "Dxxx = Declining Balance               |  F = MACRS 3-31.5 Yr S/L  Mid Month  ",
    "A    = ACRS 3,5,10,15 Yr               |  G = ACRS Real Est (18 yr)  ",
    "Bxxx = MACRS 3-20 Yr Declining Balance |  H = ACRS Real Est (19 yr)  ",
    "     xxx indicates percentage of straight-line (200 or 150 usually).",
};

struct RecapMethod {
    char letter;
    const char* title;
};
constexpr RecapMethod kRecapMethods[7] = {
    {'D', "Declining Balance D Method"}, {'B', "Declining Balance B Method"}, {'E', "Depreciation E Method"},
    {'F', "Depreciation F Method"},      {'G', "Depreciation G Method"},      {'H', "Depreciation H Method"},
    {'A', "Depreciation A Method"},
};

// Totals saturate instead of wrapping: a record with absurd figures must not turn the report's
// sums into other numbers.
Cents plus(Cents a, Cents b) {
    std::int64_t r = 0;
    if (__builtin_add_overflow(a.units, b.units, &r))
        r = b.units > 0 ? std::numeric_limits<std::int64_t>::max() : std::numeric_limits<std::int64_t>::min();
    return Cents::fromUnits(r);
}
Cents minus(Cents a, Cents b) {
    std::int64_t r = 0;
    if (__builtin_sub_overflow(a.units, b.units, &r))
        r = b.units < 0 ? std::numeric_limits<std::int64_t>::max() : std::numeric_limits<std::int64_t>::min();
    return Cents::fromUnits(r);
}

int recapSlot(char letter) {
    for (int i = 0; i < 7; ++i)
        if (kRecapMethods[i].letter == letter) return i;
    return -1;
}

// Column of a centred text: (132 - length) / 2, a half going to the even neighbour.
int centredColumn(std::size_t length) {
    const long room = 132 - static_cast<long>(length);
    long c = room / 2;
    if (room % 2 != 0) {
        const long lower = (room - 1) / 2;
        c = lower % 2 == 0 ? lower : lower + 1;
    }
    return c < 1 ? 1 : static_cast<int>(c);
}

// Characters 1-2, "/", 3-4, "/", the last two: how the report writes a date text.
std::string slashedDate(const std::string& d) {
    auto mid = [&d](std::size_t from, std::size_t n) { return from < d.size() ? d.substr(from, n) : std::string(); };
    const std::string last = d.size() >= 2 ? d.substr(d.size() - 2) : d;
    return mid(0, 2) + "/" + mid(2, 2) + "/" + last;
}

// A number as the report writes it in running text: a blank in front unless it is negative.
std::string withLeadingBlank(double v) {
    const std::string s = shortestDecimal(v);
    return !s.empty() && s[0] == '-' ? s : " " + s;
}


}  // namespace

std::string reportPeriodText(std::int32_t periodMonths, const std::string& enteredDate) {
    return "For the " + withLeadingBlank(periodMonths) + (periodMonths == 1 ? " month" : " months") + " ending " +
           enteredDate;
}

std::string rateText(double rate) {
    std::string s = withLeadingBlank(rate);
    if (rate > 1) s += " YRS";
    else if (s.size() < 6) s.resize(6, ' ');
    return fixedText(s, 5);
}

int recapIndex(char letter, std::string_view method, double rate) {
    auto clamp = [](double v) {
        if (!(v <= kMaxRecapIndex)) return kMaxRecapIndex;  // above the table, or not a number
        return static_cast<int>(roundTiesEven(v, 0));
    };
    if (letter == 'G' ? rate > 0 : rate >= 1) return clamp(rate);
    const double n = leadingNumber(method.size() > 1 ? trimBoth(method.substr(1)) : std::string());
    if (n > 0) return clamp(n);
    return kMaxRecapIndex;
}

// ---------------------------------------------------------------------------------------------
// Layout

DepreciationReportLayout::DepreciationReportLayout(ReportHeading heading) : heading_(std::move(heading)) {
    for (char& c : heading_.companyLine)
        if (static_cast<unsigned char>(c) < 28) c = ' ';
}

std::string DepreciationReportLayout::take() {
    std::string s = std::move(out_);
    out_.clear();
    return s;
}

void DepreciationReportLayout::write(std::string_view s) {
    out_.append(s);
    lineBytes_ += s.size();
}

void DepreciationReportLayout::line(std::string_view s) {
    out_.append(s);
    out_ += "\r\n";
    lineBytes_ = 0;
}

void DepreciationReportLayout::column(int n) {
    const std::size_t want = n > 1 ? static_cast<std::size_t>(n - 1) : 0;
    if (lineBytes_ > want) line();
    if (lineBytes_ < want) {
        out_.append(want - lineBytes_, ' ');
        lineBytes_ = want;
    }
}

void DepreciationReportLayout::money(double value) { write(moneyColumn(value)); }
void DepreciationReportLayout::money(Cents value) { write(moneyColumn(value)); }

void DepreciationReportLayout::newReportPage() {
    if (page_ > 0) write("\f");
    line(kPageControl);
    ++page_;
    count_ = 1;
    write(slashedDate(heading_.enteredDate));
    column(centredColumn(heading_.companyLine.size()));
    write(heading_.companyLine);
    column(123);
    write("Page  " + formatNumber(static_cast<double>(page_), "###"));
    line();
    column(centredColumn(19));
    line("Depreciation Report");
    const std::string basis = heading_.basis == "B" ? "BOOK BASIS" : "TAX BASIS";
    column(centredColumn(basis.size()));
    line(basis);
    ++count_;
    column(centredColumn(heading_.periodText.size()));
    line(heading_.periodText);
    ++count_;
    line(std::string(132, kDoubleRule));
    ++count_;
    line(kColumnHeading1);
    ++count_;
    line(kColumnHeading2);
    ++count_;
    line(std::string(132, kDoubleRule));
    ++count_;
}

void DepreciationReportLayout::headingRow(std::string_view description) {
    line(description);
    line(std::string(trimRight(description).size(), kSingleRule));
    count_ += 2;
}

void DepreciationReportLayout::amountsLine(const Totals& t) {
    const Cents deductions = plus(plus(t.expense, t.salvage), t.bonus3050);
    column(44);
    money(t.cost);
    money(deductions);
    money(minus(t.cost, deductions));
    column(89);
    money(t.prior);
    money(t.current);
    money(t.cancelled);
    money(minus(plus(t.current, t.prior), t.cancelled));
    line();
}

void DepreciationReportLayout::subtotalRow(std::string_view description) {
    line(std::string(132, kSingleRule));
    write("      " + fixedText(description, 26));
    amountsLine(sub_);
    count_ += 3;
    line(std::string(132, kSingleRule));
    sub_.reset();
    if (count_ >= kPageLimit) newReportPage();
}

void DepreciationReportLayout::asset(const ReportAsset& a) {
    const double deductions = a.expense + a.salvage + a.bonus3050;
    write(fixedText(a.assetNumber, 6) + " ");
    column(8);
    write(fixedText(a.description, 26));
    column(35);
    write(slashedDate(a.acquiredText));
    column(44);
    money(a.cost);
    column(55);
    money(deductions);
    column(66);
    money(a.cost - deductions);
    column(78);
    write(fixedText(a.method, 5) + rateText(a.rate) + " ");
    column(89);
    money(a.prior);
    column(100);
    money(a.current);
    column(111);
    money(a.cancelled);
    column(122);
    money(a.current + a.prior - a.cancelled);
    line();
    // The marker goes with its asset line, before any page break: its reverse feed must never
    // land on the next page's heading.
    const char* marker = a.expense != 0 ? "E " : a.bonus3050 != 0 ? "R " : nullptr;
    if (marker) {
        column(65);
        write(kReverseFeed);
        line(marker);
    }
    ++count_;
    if (count_ > kPageLimit) newReportPage();

    const Cents cost = Cents::fromDouble(a.cost);
    const Cents salvage = Cents::fromDouble(a.salvage);
    const Cents expense = Cents::fromDouble(a.expense);
    const Cents bonus3050 = Cents::fromDouble(a.bonus3050);
    if (a.cancelled != 0 || a.sold) {
        column(5);
        write("SOLD");
        column(44);
        money(-a.cost);
        if (a.salvage != 0) {
            column(55);
            money(-a.salvage);
        }
        column(66);
        money(-a.cost);
        line();
        ++count_;
        if (count_ > kPageLimit) newReportPage();
        for (Totals* t : {&sub_, &grand_}) {
            t->cost = minus(t->cost, cost);
            t->salvage = minus(t->salvage, salvage);
            t->expense = minus(t->expense, expense);
            t->bonus3050 = minus(t->bonus3050, bonus3050);
        }
    }

    const bool wholeYearShare = a.periodMonths >= a.serviceMonths;
    const Cents expenseShare =
        wholeYearShare ? Cents::fromDouble(a.expense * a.periodMonths / 12) : expense;
    const Cents prior = Cents::fromDouble(a.prior);
    const Cents current = Cents::fromDouble(a.current);
    const Cents cancelled = Cents::fromDouble(a.cancelled);
    for (Totals* t : {&sub_, &grand_}) {
        t->cost = plus(t->cost, cost);
        t->salvage = plus(t->salvage, salvage);
        t->expense = plus(t->expense, expenseShare);
        t->bonus3050 = plus(t->bonus3050, bonus3050);
        t->prior = plus(t->prior, prior);
        t->current = plus(t->current, current);
        t->cancelled = plus(t->cancelled, cancelled);
    }

    const char letter = a.method.empty() ? ' ' : a.method[0];
    if (letter == 'S') straightLine_ = plus(straightLine_, current);
    if (const int slot = recapSlot(letter); slot >= 0) {
        Cents& line = methodRecap_[static_cast<std::size_t>(slot)][recapIndex(letter, a.method, a.rate)];
        line = plus(line, current);
    }
    if (std::string_view("ABSEFGH").find(letter) == std::string_view::npos) otherMethods_ = plus(otherMethods_, current);
    if (a.addsToBonus && wholeYearShare && a.prior == 0)
        bonus_ = plus(bonus_, Cents::fromDouble(roundTiesEven(a.bonus, 0)));
}

void DepreciationReportLayout::controlX() { line(kRecapControl); }

void DepreciationReportLayout::recapLine(std::string_view label, Cents amount) {
    write(label);
    column(30);
    const std::string s = std::string(13, ' ') + formatNumber(amount, "#,.00");
    write(s.substr(s.size() - 13));
    line();
}

void DepreciationReportLayout::recapPageTest() {
    if (count_ <= 50) return;
    newReportPage();
    controlX();
    line("Recap of depreciation methods continued");
    line("---------------------------------------");
}

void DepreciationReportLayout::finish() {
    // Totals.
    line(std::string(132, kSingleRule));
    write("      TOTALS FOR ALL ASSETS");
    amountsLine(grand_);
    line(std::string(132, kDoubleRule));
    line();
    line();
    line();
    count_ += 4;
    if (count_ > 50) newReportPage();

    // Recap by method.
    controlX();
    line("Recap of depreciation methods");
    line("-----------------------------");
    if (straightLine_ != Cents{}) recapLine("Straight Line      ", straightLine_);
    count_ += 4;
    recapPageTest();
    for (std::size_t i = 0; i < 7; ++i) {
        const auto& table = methodRecap_[i];
        bool any = false;
        for (const auto& [index, amount] : table) any = any || amount != Cents{};
        if (!any) continue;
        line(kRecapMethods[i].title);
        ++count_;
        recapPageTest();
        for (const auto& [index, amount] : table) {
            if (amount == Cents{}) continue;
            recapLine(std::string(1, kRecapMethods[i].letter) + " - " + withLeadingBlank(index), amount);
            ++count_;
            recapPageTest();
        }
    }
    if (otherMethods_ != Cents{}) {
        recapLine("Other methods ", otherMethods_);
        ++count_;
        recapPageTest();
    }
    if (count_ > 50) newReportPage();
    line();
    ++count_;
    if (count_ > 47) {
        newReportPage();
        controlX();
    }
    if (grand_.expense != Cents{}) {
        recapLine("Total Expense (Code E)", grand_.expense);
        ++count_;
    }
    if (grand_.bonus3050 != Cents{}) {
        recapLine("Total 30/50 Bonus (Code R)", grand_.bonus3050);
        ++count_;
    }
    if (bonus_ != Cents{}) {
        recapLine("Total Bonus Depreciation", bonus_);
        ++count_;
    }
    line();
    ++count_;
    if (count_ > 47) {
        newReportPage();
        controlX();
    }

    // Method code summary.
    line("DEPRECIATION METHOD CODE SUMMARY");
    ++count_;
    if (count_ > 50) {
        newReportPage();
        controlX();
        line("DEPRECIATION METHOD CODE SUMMARY");
        ++count_;
    }
    if (count_ > 49) {
        newReportPage();
        controlX();
    }
    line("--------------------------------");
    for (const char* s : kSummary) line(s);
    write("\f");
    line();
}

}  // namespace dp
