#include "report/report_layout.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "engine/dates.h"
#include "format/number_format.h"
#include "format/text.h"

namespace dp {
namespace {

constexpr int kPageLimit = 55;
constexpr char kSingleRule = '\xC4';
constexpr char kDoubleRule = '\xCD';

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

int recapSlot(char letter) {
    for (int i = 0; i < 7; ++i)
        if (kRecapMethods[i].letter == letter) return i;
    return -1;
}

// What the asset line's middle column shows: expense, salvage and 30/50 bonus together.
double assetDeductions(const ReportAsset& a) { return a.expense + a.salvage + a.bonus3050; }

// The expense goes into the totals in the share of the period once the asset has been in
// service for the whole of it.
bool wholeYearShare(const ReportAsset& a) { return a.periodMonths >= a.serviceMonths; }

// A number as the report writes it in running text: a blank in front unless it is negative.
std::string withLeadingBlank(double v) {
    const std::string s = shortestDecimal(v);
    return !s.empty() && s[0] == '-' ? s : " " + s;
}

}  // namespace

const std::string& reportPageControl() {
    static const std::string codes = std::string("\x1bk") + char(66) + "\x1b" + char(34) + "y" + "\x1b" + char(34) + "Q" +
                                     char(17) + "\x1b" + "E";
    return codes;
}

int centredColumn(std::size_t length) {
    const long room = 132 - static_cast<long>(length);
    long c = room / 2;
    if (room % 2 != 0) {
        const long lower = (room - 1) / 2;
        c = lower % 2 == 0 ? lower : lower + 1;
    }
    return c < 1 ? 1 : static_cast<int>(c);
}

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
    const double n = leadingNumber(method.size() > 1 ? trimBothView(method.substr(1)) : std::string_view());
    if (n > 0) return clamp(n);
    return kMaxRecapIndex;
}

DepreciationReportLayout::DepreciationReportLayout(DepreciationReportHeading heading) : heading_(std::move(heading)) {
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

void DepreciationReportLayout::fixed(std::string_view text, std::size_t width) {
    const std::string_view kept = text.substr(0, width);
    write(kept);
    if (kept.size() < width) {
        out_.append(width - kept.size(), ' ');
        lineBytes_ += width - kept.size();
    }
}

void DepreciationReportLayout::money(double value) {
    appendMoneyColumn(out_, value);
    lineBytes_ += kMoneyColumnWidth;
}

void DepreciationReportLayout::money(Cents value) {
    appendMoneyColumn(out_, value);
    lineBytes_ += kMoneyColumnWidth;
}

void DepreciationReportLayout::newReportPage() {
    if (page_ > 0) write("\f");
    line(reportPageControl());
    ++page_;
    count_ = 1;
    // The date as the run reads it, so that a typed 6/30/2004 shows as 06/30/04.
    write(slashedDate(normalizeDate(heading_.enteredDate)));
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
    const Cents deductions = saturatingAdd(saturatingAdd(t.expense, t.salvage), t.bonus3050);
    column(44);
    money(t.cost);
    money(deductions);
    money(saturatingSub(t.cost, deductions));
    column(89);
    money(t.prior);
    money(t.current);
    money(t.cancelled);
    money(saturatingSub(saturatingAdd(t.current, t.prior), t.cancelled));
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
    assetLine(a);
    if (a.cancelled != 0 || a.sold) soldLine(a);
    addToTotals(a);
    addToRecap(a);
}

namespace {

constexpr std::size_t kAssetLineWidth = 132;

// A field of the line at column n (from 1): the text cut to width (the line is blank beforehand).
void putField(char* line, std::size_t n, std::string_view text, std::size_t width) {
    std::memcpy(line + (n - 1), text.data(), std::min(text.size(), width));
}

// A money column at column n.
void putMoney(char* line, std::size_t n, double value) { putMoneyColumn(line + (n - 1), value); }

}  // namespace

// Every field of the asset line has its fixed place and width (the date is at most 8 characters,
// a money column 11), so the line is put together in one piece, starting on a line of its own
// as every row does.
void DepreciationReportLayout::assetLine(const ReportAsset& a) {
    const double deductions = assetDeductions(a);
    char text[kAssetLineWidth];
    std::memset(text, ' ', sizeof text);
    putField(text, 1, a.assetNumber, 6);
    putField(text, 8, a.description, 26);
    putField(text, 35, slashedDate(a.acquiredText), 8);
    putMoney(text, 44, a.cost);
    putMoney(text, 55, deductions);
    putMoney(text, 66, a.cost - deductions);
    putField(text, 78, a.method, 5);
    putField(text, 83, rateTextOf(a.rate), 5);
    putMoney(text, 89, a.prior);
    putMoney(text, 100, a.current);
    putMoney(text, 111, a.cancelled);
    putMoney(text, 122, a.current + a.prior - a.cancelled);
    line(std::string_view(text, sizeof text));
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
}

// The negatives of the asset line's value columns: with the line above it they add to nothing,
// as the sold asset leaves the cost, salvage, expense and 30/50 totals.
void DepreciationReportLayout::soldLine(const ReportAsset& a) {
    const double deductions = assetDeductions(a);
    column(5);
    write("SOLD");
    column(44);
    money(-a.cost);
    if (deductions != 0) {
        column(55);
        money(-deductions);
    }
    column(66);
    money(-(a.cost - deductions));
    line();
    ++count_;
    if (count_ > kPageLimit) newReportPage();
    for (Totals* t : {&sub_, &grand_}) {
        t->cost = saturatingSub(t->cost, Cents::fromDouble(a.cost));
        t->salvage = saturatingSub(t->salvage, Cents::fromDouble(a.salvage));
        t->expense = saturatingSub(t->expense, Cents::fromDouble(a.expense));
        t->bonus3050 = saturatingSub(t->bonus3050, Cents::fromDouble(a.bonus3050));
    }
}

void DepreciationReportLayout::addToTotals(const ReportAsset& a) {
    const Cents expenseShare =
        wholeYearShare(a) ? Cents::fromDouble(a.expense * a.periodMonths / 12) : Cents::fromDouble(a.expense);
    const Cents cost = Cents::fromDouble(a.cost);
    const Cents salvage = Cents::fromDouble(a.salvage);
    const Cents bonus3050 = Cents::fromDouble(a.bonus3050);
    const Cents prior = Cents::fromDouble(a.prior);
    const Cents current = Cents::fromDouble(a.current);
    const Cents cancelled = Cents::fromDouble(a.cancelled);
    for (Totals* t : {&sub_, &grand_}) {
        t->cost = saturatingAdd(t->cost, cost);
        t->salvage = saturatingAdd(t->salvage, salvage);
        t->expense = saturatingAdd(t->expense, expenseShare);
        t->bonus3050 = saturatingAdd(t->bonus3050, bonus3050);
        t->prior = saturatingAdd(t->prior, prior);
        t->current = saturatingAdd(t->current, current);
        t->cancelled = saturatingAdd(t->cancelled, cancelled);
    }
}

void DepreciationReportLayout::addToRecap(const ReportAsset& a) {
    const Cents current = Cents::fromDouble(a.current);
    const char letter = a.method.empty() ? ' ' : a.method[0];
    const int slot = recapSlot(letter);
    if (letter == 'S') {
        straightLine_ = saturatingAdd(straightLine_, current);
    } else if (slot >= 0) {
        Cents& line = recapEntry(static_cast<std::size_t>(slot), recapIndex(letter, a.method, a.rate));
        line = saturatingAdd(line, current);
    } else {
        // The letters without a line or section of their own, so that the recap adds up to the
        // current depreciation.
        otherMethods_ = saturatingAdd(otherMethods_, current);
    }
    if (a.addsToBonus && wholeYearShare(a) && a.prior == 0)
        bonus_ = saturatingAdd(bonus_, Cents::fromDouble(roundTiesEven(a.bonus, 0)));
}

const std::string& DepreciationReportLayout::rateTextOf(double rate) {
    constexpr std::size_t kKept = 64;
    std::uint64_t bits = 0;
    std::memcpy(&bits, &rate, sizeof bits);
    for (const KnownRate& known : knownRates_)
        if (known.bits == bits) return known.text;
    if (knownRates_.size() == kKept) knownRates_.erase(knownRates_.begin());
    knownRates_.push_back({bits, rateText(rate)});
    return knownRates_.back().text;
}

Cents& DepreciationReportLayout::recapEntry(std::size_t slot, int index) {
    const auto i = static_cast<std::size_t>(std::clamp(index, 0, kMaxRecapIndex));
    return methodRecap_[slot * (kMaxRecapIndex + 1) + i];
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
        bool any = false;
        for (int index = 0; index <= kMaxRecapIndex; ++index) any = any || recapEntry(i, index) != Cents{};
        if (!any) continue;
        // No page test after the title: the test after its first line keeps the two together.
        line(kRecapMethods[i].title);
        ++count_;
        for (int index = 0; index <= kMaxRecapIndex; ++index) {
            const Cents amount = recapEntry(i, index);
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
