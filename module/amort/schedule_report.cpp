#include "amort/schedule_report.h"

#include <cmath>

#include "format/number_format.h"
#include "format/text.h"

namespace dp {

namespace {

constexpr int kOneUnknownPageLength = 55;
constexpr int kBothGivenPageLength = 50;

constexpr const char* kColumnsTop = "                -------TOTAL-------   -----PRINCIPAL-----   -----INTEREST------";
constexpr const char* kColumnsBottom = "Pmt# Due Date   Payment     Balance   Payment     Balance   Payment     Balance";
constexpr const char* kDashes = "  ---------             ---------             ---------";
constexpr const char* kDoubleRule = "  =========             =========             =========";

constexpr const char* kPaymentMask = "###,###.00";
constexpr const char* kMoney8 = "#######.00";
constexpr const char* kBalanceMask = "#,###,###.00";

// The plain money masks of the rows ("#", "," then ".00"): width and whether thousands are
// grouped. False for any other mask.
bool plainMoneyMask(std::string_view mask, std::size_t& width, bool& group) {
    if (mask.size() < 4 || mask.substr(mask.size() - 3) != ".00") return false;
    group = false;
    for (char c : mask.substr(0, mask.size() - 3)) {
        if (c == ',') group = true;
        else if (c != '#') return false;
    }
    width = mask.size();
    return true;
}

// A count of cents of at least 1.00, in the plain money form, right-aligned; empty when it
// does not fit the width with a blank in front.
std::string plainMoney(std::int64_t cents, std::size_t width, bool group) {
    char digits[32];
    int n = 0;
    std::int64_t whole = cents / 100;
    const int fraction = static_cast<int>(cents % 100);
    char buf[48];
    int len = 0;
    do {
        digits[n++] = static_cast<char>('0' + whole % 10);
        whole /= 10;
    } while (whole > 0);
    for (int i = n - 1; i >= 0; --i) {
        buf[len++] = digits[i];
        if (group && i > 0 && i % 3 == 0) buf[len++] = ',';
    }
    buf[len++] = '.';
    buf[len++] = static_cast<char>('0' + fraction / 10);
    buf[len++] = static_cast<char>('0' + fraction % 10);
    if (static_cast<std::size_t>(len) >= width) return {};
    std::string out(width - static_cast<std::size_t>(len), ' ');
    out.append(buf, static_cast<std::size_t>(len));
    return out;
}

// Without separators once a balance reaches a million, so the column keeps its width.
const char* wide(double x) { return x > 999999.99 ? "#########.00" : "#,###,###.00"; }

// The heading's amounts, right-aligned in their 12 characters: from ten million on without the
// separators, and starred only when even that does not fit.
std::string headingAmount(double value) {
    constexpr std::size_t kWidth = 12;
    std::string text = formatNumber(value, "#####,###.00");
    if (text.size() > kWidth) text = formatNumber(value, "#.00");
    if (text.size() > kWidth) text.assign(kWidth, '*');
    return rightAligned(text, kWidth);
}

void writeHeading(ReportText& out, const ScheduleHeading& h, int page) {
    if (page > 1) out.put('\f');
    out.column(20);
    out.line("A M O R T I Z A T I O N   S C H E D U L E");
    out.column(20);
    out.line("-----------------------------------------");
    out.line();
    out.write("Description");
    out.column(20);
    std::size_t start = h.description.find_first_not_of(' ');
    out.line(start == std::string::npos ? std::string_view{} : std::string_view(h.description).substr(start));
    out.line();
    out.write("Loan Amount");
    out.column(19);
    out.write(headingAmount(h.amount));
    out.column(50);
    out.write("Interest Rate");
    out.column(70);
    out.write(lastChars(h.rateText, 6));
    if (h.ratePositive) out.write("%");
    out.crlf();
    out.write("Payment Amount");
    out.column(19);
    out.write(headingAmount(h.payment));
    out.column(50);
    out.write("No. Payments");
    out.column(70);
    out.write(plainNumber(h.paymentCount));
    out.line(" ");
    if (!h.payoffLabel.empty()) {
        out.column(static_cast<int>(std::nearbyint((80.0 - static_cast<double>(h.payoffLabel.size())) / 2.0)));
        out.write(h.payoffLabel);
    }
    out.crlf();
    out.line();
    out.line(kColumnsTop);
    out.line(kColumnsBottom);
    out.line(std::string(79, '='));
}

}  // namespace

void ReportText::column(int n) {
    if (n < 1) n = 1;
    const std::size_t target = static_cast<std::size_t>(n - 1);
    if (lineBytes_ > target) crlf();
    if (lineBytes_ < target) write(std::string(target - lineBytes_, ' '));
}

std::string fitMoney(double value, std::string_view mask) {
    std::size_t width = 0;
    bool group = false;
    if (plainMoneyMask(mask, width, group) && value >= 1 && value < kMoneyLimit) {
        // Away from a half cent, rounding the value's decimal digits and rounding its binary
        // value to cents agree; near one the general formatter decides.
        const long double scaled = static_cast<long double>(value) * 100;
        const long double lower = std::floor(scaled);
        const long double fraction = scaled - lower;
        if (std::fabs(fraction - 0.5L) > 0.01L) {
            std::string s = plainMoney(static_cast<std::int64_t>(fraction > 0.5L ? lower + 1 : lower), width, group);
            if (!s.empty()) return s;
        }
    }
    return fitToColumn(value, mask);
}

std::string fitMoney(Cents value, std::string_view mask) {
    std::size_t width = 0;
    bool group = false;
    if (plainMoneyMask(mask, width, group) && value.units >= 100) {
        std::string s = plainMoney(value.units, width, group);
        if (!s.empty()) return s;
    }
    return fitToColumn(value, mask);
}

std::string plainNumber(double value) {
    std::string s = shortestDecimal(value);
    return value >= 0 ? " " + s : s;
}

std::string rightAligned(std::string_view text, std::size_t width) {
    if (text.size() >= width) return std::string(text);
    return std::string(width - text.size(), ' ') + std::string(text);
}

std::string lastChars(std::string_view text, std::size_t width) {
    std::string s = std::string(width, ' ') + std::string(text);
    return s.substr(s.size() - width);
}

std::string payoffLabel(double paymentInUse, double computedPayment) {
    const double a = roundTiesEven(paymentInUse, 2), b = roundTiesEven(computedPayment, 2);
    if (a > b) return "ACCELERATED PAYOFF";
    if (a < b) return "WITH BALLOON PAYMENT";
    return "";
}

ScheduleHeading oneUnknownHeading(const PreparedLoan& loan) {
    ScheduleHeading h;
    h.description = controlsToBlanks(loan.in.heading);  // never a printer command
    h.amount = loan.in.amount;
    h.rateText = loan.rateText;
    h.ratePositive = loan.in.annualRate > 0;
    h.payment = loan.solution.computedPayment;
    h.paymentCount = loan.paymentCount;
    h.payoffLabel = payoffLabel(paymentInUse(loan.in, loan.solution).toDouble(), loan.solution.computedPayment);
    return h;
}

ScheduleHeading bothGivenHeading(const PreparedLoan& loan) {
    ScheduleHeading h;
    h.description = controlsToBlanks(loan.in.heading);  // never a printer command
    h.amount = loan.in.amount;
    h.rateText = loan.rateText;
    h.ratePositive = loan.in.annualRate > 0;
    h.payment = loan.in.payment.toDouble();
    h.paymentCount = loan.paymentCount;
    h.payoffLabel = payoffLabel(loan.in.payment.toDouble(), loan.solution.computedPayment);
    return h;
}

ScheduleReport::ScheduleReport(ScheduleHeading heading) : heading_(std::move(heading)) {
    out_.reserve(8192);
    pageHeading();
}

void ScheduleReport::pageHeading() {
    ++page_;
    writeHeading(out_, heading_, page_);
    counter_ = 12;
}

void ScheduleReport::line(const ScheduleLine& l) {
    switch (l.kind) {
        case LineKind::Summary: summary(l); break;
        case LineKind::ExtraPayment: extraPayment(l); break;
        case LineKind::Separator:
            out_.column(25);
            out_.line(kDashes);
            ++counter_;
            break;
        case LineKind::Payment: payment(l); break;
        case LineKind::YearTotal: yearTotal(l); break;
        case LineKind::Totals: totals(l); break;
        case LineKind::EarlyPayoff: earlyPayoff(l); break;
    }
}

void ScheduleReport::summary(const ScheduleLine& l) {
    const double tb = roundTiesEven(l.totalBalance, 2);
    const char* s = tb > 999999.99 ? "########.00" : "####,###.00";
    // Each figure has a column to itself here: it may fill its field.
    out_.column(25);
    out_.write(fitToMask(tb, s));
    out_.column(47);
    out_.write(fitToMask(l.balance, s));
    out_.column(69);
    out_.write(fitToMask(roundTiesEven(l.interestBalance.toDouble(), 2), s));
    out_.crlf();
    ++counter_;
}

void ScheduleReport::extraPayment(const ScheduleLine& l) {
    const double tb = l.totalBalance, ib = l.interestBalance.toDouble();
    if (l.oneTime) {
        out_.write("  1 ");
    } else {
        out_.write(rightAligned(std::to_string(l.number), 3));
        out_.write(" ");
    }
    out_.column(14);
    out_.write(fitMoney(l.extra, kPaymentMask));
    out_.write(fitMoney(tb, wide(tb)));
    out_.write(fitMoney(l.extra, kPaymentMask));
    out_.write(fitMoney(l.balance, l.oneTime ? wide(tb) : wide(l.balance.toDouble())));
    out_.write(fitMoney(Cents{}, kPaymentMask));
    out_.write(fitMoney(ib, l.oneTime ? wide(tb) : wide(ib)));
    out_.crlf();
    ++counter_;
}

void ScheduleReport::payment(const ScheduleLine& l) {
    if (counter_ > kOneUnknownPageLength) pageHeading();
    const double tb = l.totalBalance, ib = l.interestBalance.toDouble();
    // Payment numbers past 999 are written whole.
    out_.write(rightAligned(std::to_string(l.number), 3));
    out_.write(" ");
    out_.write(slashedDate(l.dueDate));
    out_.write(" ");
    out_.write(fitMoney(l.shownPayment, kPaymentMask));
    out_.write(fitMoney(tb, wide(tb)));
    out_.write(fitMoney(l.principal, kPaymentMask));
    out_.write(fitMoney(l.balance, wide(l.balance.toDouble())));
    out_.write(fitMoney(l.interest, kPaymentMask));
    out_.write(fitMoney(ib, wide(ib)));
    out_.crlf();
    ++counter_;
}

// The three sums of a year total or of the totals: paid, principal and interest.
void ScheduleReport::sums(const ScheduleLine& l) {
    out_.write(fitToColumn(l.sumAdditional + l.sumPaid, "####,###.00      =    "));
    out_.write(" ");
    out_.write(fitToColumn(l.sumPrincipal, "   ####,###.00      +   "));
    out_.write(fitToColumn(l.sumInterest, "  #####,###.00"));
    out_.crlf();
}

// The taxes and the like paid with the payments, under the sums, with the rule below them.
void ScheduleReport::additional(const char* label, Cents amount, const char* rule) {
    out_.write(label);
    out_.column(53);
    out_.write("+");
    out_.column(58);
    out_.write(fitToColumn(amount, kPaymentMask));
    out_.crlf();
    out_.column(59);
    out_.line(rule);
}

void ScheduleReport::yearTotal(const ScheduleLine& l) {
    out_.column(13);
    out_.line(kDashes);
    out_.write("* Yr. Total");
    sums(l);
    out_.column(13);
    out_.line(kDashes);
    counter_ += 3;
    if (l.sumAdditional.units != 0) {
        additional("* Yr. taxes etc", l.sumAdditional, "---------");
        counter_ += 2;
    }
}

void ScheduleReport::totals(const ScheduleLine& l) {
    out_.write("** Totals");
    out_.column(12);
    sums(l);
    out_.column(13);
    out_.line(kDoubleRule);
    if (l.sumAdditional.units != 0) additional("** Total Taxes, Insurance etc. paid", l.sumAdditional, "=========");
}

void ScheduleReport::earlyPayoff(const ScheduleLine& l) {
    out_.write("Early Payoff saved ");
    out_.write(plainNumber(l.monthsSaved));
    out_.write(" months by using ");
    bool wroteExtra = false;
    if (l.oneTimeExtra.units != 0) {
        out_.write("an early payment of ");
        out_.line(plainNumber(l.oneTimeExtra.toDouble()));
        wroteExtra = true;
    }
    if (l.perYearExtra.units != 0) {
        if (wroteExtra) out_.write("and ");
        out_.write("a yearly payment of ");
        out_.line(plainNumber(l.perYearExtra.toDouble()));
    }
    if (l.paymentAtCents != l.computedAtCents) {
        out_.write(plainNumber(l.paymentAtCents));
        out_.write(" instead of ");
        out_.line(plainNumber(l.computedAtCents));
    }
    out_.write("Total payments would have been");
    out_.write(fitToColumn(l.wouldHavePaid, "#####,###.00"));
    out_.write(" a savings of ");
    out_.write(fitToColumn(l.savings, "#####,###.00"));
    out_.crlf();
}

std::string ScheduleReport::finish() {
    out_.put('\f');
    out_.crlf();
    return out_.bytes();
}

std::string oneUnknownReport(const PreparedLoan& loan, ScheduleResult* result) {
    ScheduleReport report(oneUnknownHeading(loan));
    ScheduleResult r = runSchedule(loan.in, loan.solution, loan.totals, report);
    if (result) *result = r;
    return report.finish();
}

std::string balloonReport(const ScheduleHeading& heading, const BalloonSchedule& schedule) {
    ReportText out;
    int page = 0, counter = 0;
    auto newPage = [&] {
        ++page;
        writeHeading(out, heading, page);
        counter = page == 1 ? 12 : 13;
    };
    auto pageCheck = [&] {
        if (counter > kBothGivenPageLength) newPage();
    };
    auto counted = [&] {
        ++counter;
        pageCheck();
    };
    // The rule prints on the empty line just written: ten characters an inch, proportional
    // spacing off, then one line's reverse feed.
    auto rule = [&](const char* dashes) {
        out.write("\x1bP\x1bp0");
        out.crlf();
        out.column(13);
        out.write("\x1bj\x24");
        out.line(dashes);
    };
    auto sums = [&](const char* label, Cents pay, Cents principal, Cents interest) {
        out.write(label);
        out.write(fitToColumn(pay, kMoney8));
        out.write(std::string(12, ' '));
        out.write(fitToColumn(principal, kMoney8));
        out.write(std::string(12, ' '));
        out.write(fitToColumn(interest, kMoney8));
        out.crlf();
    };

    Cents yearPay, yearPrincipal, yearInterest, grandPay, grandPrincipal, grandInterest;
    auto subtotal = [&] {
        sums("    SubTotals", yearPay, yearPrincipal, yearInterest);
        counted();
        rule(kDashes);
        counted();
        yearPay = yearPrincipal = yearInterest = Cents{};
    };

    out.reserve(8192);
    newPage();
    for (const BalloonRow& r : schedule.rows) {
        const Mills4 principal = Mills4::fromDouble(r.principal);
        out.write(rightAligned(formatNumber(static_cast<double>(r.number), "##0"), 3));
        out.write("  ");
        out.write(fitToMask(r.month, "00"));
        out.write("/");
        out.write(fitToMask(r.day, "00"));
        out.write("/");
        out.write(fitToMask(r.year, "00"));
        out.write(fitMoney(r.payment.toDouble(), kMoney8));
        out.write(fitMoney(r.totalBalance, kBalanceMask));
        out.write(fitMoney(r.principal, kMoney8));
        out.write(fitMoney(r.balance, kBalanceMask));
        out.write(fitMoney(r.interest, kPaymentMask));
        out.write(fitMoney(r.interestBalance, kBalanceMask));
        out.crlf();
        yearPay = addToCents(yearPay, r.payment);
        yearPrincipal = addToCents(yearPrincipal, principal);
        yearInterest += r.interest;
        grandPay = addToCents(grandPay, r.payment);
        grandPrincipal = addToCents(grandPrincipal, principal);
        grandInterest += r.interest;
        counted();
        if (r.yearEnd) {
            rule(kDashes);
            pageCheck();
            subtotal();
        }
    }
    if (schedule.balloon.units != 0) {
        out.write(" Balloon     ");
        out.write(fitToColumn(schedule.balloon, kMoney8));
        out.write(fitToColumn(Cents{}, kBalanceMask));
        out.write(fitToColumn(schedule.balloon, kMoney8));
        out.write(fitToColumn(Cents{}, kBalanceMask));
        out.write(fitToColumn(Cents{}, kPaymentMask));
        out.write(fitToColumn(Cents{}, kBalanceMask));
        out.crlf();
        yearPay += schedule.balloon;
        yearPrincipal += schedule.balloon;
        grandPay += schedule.balloon;
        grandPrincipal += schedule.balloon;
        counted();
    }
    rule(kDashes);
    counted();
    subtotal();
    sums("    Totals   ", grandPay, grandPrincipal, grandInterest);
    counted();
    rule(kDoubleRule);
    return out.bytes();
}

}  // namespace dp
