// The printed schedule: the checked-in reports byte for byte, and the layout rules one by one.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <vector>

#include "amort/loan_inputs.h"
#include "amort/schedule_report.h"
#include "format/number_format.h"

namespace {

using dp::Cents;
using dp::LineKind;
using dp::LoanEntries;
using dp::Mills4;

std::string golden(const std::string& name) {
    std::ifstream f(std::string(DP_SOURCE_DIR) + "/tests/golden/amort/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

// Lines without their CR LF; a missing CR before an LF shows as a line ending in "<LF>".
std::vector<std::string> linesOf(const std::string& bytes) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t lf = bytes.find('\n', start);
        if (lf == std::string::npos) {
            out.push_back(bytes.substr(start));
            break;
        }
        const bool cr = lf > start && bytes[lf - 1] == '\r';
        out.push_back(bytes.substr(start, lf - start - (cr ? 1 : 0)) + (cr ? "" : "<LF>"));
        start = lf + 1;
    }
    return out;
}

LoanEntries vanLoan() {
    LoanEntries e;
    e.heading = "  Delivery van - First National";
    e.amount = "25000";
    e.rate = "7.5";
    e.term = "60";
    e.payment = "U";
    e.firstPaymentDate = "033124";
    e.fiscalYearEndMonth = "6";
    e.printFrom = "1";
    e.additionalPayment = "45";
    e.oneTimeExtra = "1500";
    e.perYearExtra = "1000";
    return e;
}

std::string oneUnknown(const LoanEntries& e) {
    dp::CheckResult r = dp::checkOneUnknown(e);
    EXPECT_TRUE(r.ok) << r.failure.text << " / " << r.failure.title;
    return dp::oneUnknownReport(r.loan);
}

std::string bothGiven(const LoanEntries& e) {
    dp::CheckResult r = dp::checkBothGiven(e);
    EXPECT_TRUE(r.ok) << r.failure.text;
    dp::BalloonSchedule b = dp::runBalloonSchedule(r.loan.in, 12);
    return dp::balloonReport(dp::bothGivenHeading(r.loan), b);
}

const char* const kHeadingLines[] = {
    "                   A M O R T I Z A T I O N   S C H E D U L E",
    "                   -----------------------------------------",
    "",
};
const char* const kColumnLines[] = {
    "                -------TOTAL-------   -----PRINCIPAL-----   -----INTEREST------",
    "Pmt# Due Date   Payment     Balance   Payment     Balance   Payment     Balance",
    "===============================================================================",
};

TEST(ScheduleReport, GoldenOneUnknownWithExtrasOverTwoPages) {
    const std::string bytes = oneUnknown(vanLoan());
    const std::string want = golden("one_unknown_extras.txt");
    ASSERT_FALSE(want.empty());
    const auto got = linesOf(bytes), exp = linesOf(want);
    ASSERT_EQ(got.size(), exp.size());
    for (std::size_t i = 0; i < got.size(); ++i) EXPECT_EQ(got[i], exp[i]) << "line " << i + 1;
    EXPECT_EQ(bytes, want);
}

TEST(ScheduleReport, GoldenOneUnknownFollowsTheLayout) {
    const auto l = linesOf(golden("one_unknown_extras.txt"));
    ASSERT_GT(l.size(), 100u);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(l[i], kHeadingLines[i]);
    EXPECT_EQ(l[3], "Description        Delivery van - First National");
    EXPECT_EQ(l[5], "Loan Amount          25,000.00                   Interest Rate        7.500%");
    EXPECT_EQ(l[6], "Payment Amount          500.95                   No. Payments         60 ");
    EXPECT_EQ(l[7], "");  // no payoff label
    for (int i = 0; i < 3; ++i) EXPECT_EQ(l[9 + i], kColumnLines[i]);
    // Summary: the three balances at columns 25, 47 and 69.
    EXPECT_EQ(l[12], std::string(24, ' ') + "  30,056.85" + std::string(11, ' ') + "  25,000.00" +
                         std::string(11, ' ') + "   5,056.85");
    // The one-time extra as payment 1, then the regular payment 1 (payment plus 45 additional).
    EXPECT_EQ(l[13], "  1            1,500.00   28,556.85  1,500.00   23,500.00      0.00    5,056.85");
    EXPECT_EQ(l[14], "  1 03/31/24     545.95   28,055.90    354.07   23,145.93    146.88    4,909.97");
    // The fiscal year ends in June: total with its additional part.
    EXPECT_EQ(l[17], "  4 06/30/24     545.95   26,553.05    360.76   22,070.37    140.19    4,482.68");
    EXPECT_EQ(l[18], "              ---------             ---------             ---------");
    EXPECT_EQ(l[19], "* Yr. Total   3,683.80      =        2,929.63      +         574.17");
    EXPECT_EQ(l[20], l[18]);
    EXPECT_EQ(l[21], "* Yr. taxes etc                                     +        180.00");
    EXPECT_EQ(l[22], std::string(58, ' ') + "---------");
    // Month ends: the 31st becomes the 30th and the 28th; the yearly extra follows payment 12.
    EXPECT_EQ(l[24].substr(0, 13), "  6 08/31/24 ");
    EXPECT_EQ(l[25].substr(0, 13), "  7 09/30/24 ");
    EXPECT_EQ(l[30].substr(0, 13), " 12 02/28/25 ");
    EXPECT_EQ(l[31], " 12            1,000.00   21,545.45  1,000.00   18,101.96      0.00    3,443.49");
    // Every payment row is 79 characters.
    for (const std::string& s : l)
        if (s.size() > 4 && s[3] == ' ' && s[6] == '/' && s[9] == '/') {
            EXPECT_EQ(s.size(), 79u) << s;
        }
    // Exactly one form feed before a heading: the second page's, on its first line.
    int feeds = 0;
    std::size_t second = 0;
    for (std::size_t i = 0; i < l.size(); ++i)
        if (!l[i].empty() && l[i][0] == '\f') {
            ++feeds;
            if (!second) second = i;
        }
    EXPECT_EQ(feeds, 2);  // the second page's heading and the closing form feed
    ASSERT_GT(second, 0u);
    EXPECT_EQ(l[second], "\f" + std::string(kHeadingLines[0]).substr(1));
    EXPECT_EQ(l[second + 3], l[3]);
    EXPECT_EQ(l[second + 12].substr(0, 13), " 29 07/31/26 ");
    // Page 1 holds its 12 heading lines and counted lines up to the one that passed 55.
    EXPECT_EQ(second, 59u);
    // Totals, the taxes line and the early-payoff paragraph close the report.
    const std::size_t n = l.size();
    EXPECT_EQ(l[n - 8], "** Totals    31,013.05      =       25,000.00      +       3,808.05");
    EXPECT_EQ(l[n - 7], "              =========             =========             =========");
    EXPECT_EQ(l[n - 6], "** Total Taxes, Insurance etc. paid                 +      2,205.00");
    EXPECT_EQ(l[n - 5], std::string(58, ' ') + "=========");
    EXPECT_EQ(l[n - 4], "Early Payoff saved  11 months by using an early payment of  1500");
    EXPECT_EQ(l[n - 3], "and a yearly payment of  1000");
    EXPECT_EQ(l[n - 2], "Total payments would have been   32,756.85 a savings of     1,248.80");
    EXPECT_EQ(l[n - 1], "\f");
}

TEST(ScheduleReport, GoldenBothGivenWithBalloon) {
    LoanEntries e;
    e.heading = "Equipment note";
    e.amount = "15000";
    e.rate = "9";
    e.term = "36";
    e.payment = "350";
    e.firstPaymentDate = "07/15/24";
    const std::string bytes = bothGiven(e);
    const std::string want = golden("both_given_balloon.txt");
    ASSERT_FALSE(want.empty());
    const auto got = linesOf(bytes), exp = linesOf(want);
    ASSERT_EQ(got.size(), exp.size());
    for (std::size_t i = 0; i < got.size(); ++i) EXPECT_EQ(got[i], exp[i]) << "line " << i + 1;
    EXPECT_EQ(bytes, want);
}

TEST(ScheduleReport, GoldenBothGivenFollowsTheLayout) {
    const auto l = linesOf(golden("both_given_balloon.txt"));
    EXPECT_EQ(l[6], "Payment Amount          350.00                   No. Payments         36 ");
    EXPECT_EQ(l[7], std::string(29, ' ') + "WITH BALLOON PAYMENT");
    EXPECT_EQ(l[12], "  1  07/15/24    350.00   17,476.22    237.50   14,762.50    112.50    2,713.72");
    const std::string esc = "\x1b";
    // A rule: ten characters an inch and proportional spacing off, then a reverse line feed
    // at column 13 so the dashes print on the empty line.
    EXPECT_EQ(l[18], esc + "P" + esc + "p0");
    EXPECT_EQ(l[19], std::string(12, ' ') + esc + "j$  ---------             ---------             ---------");
    EXPECT_EQ(l[20], "    SubTotals   2100.00               1451.99                648.01");
    EXPECT_EQ(l[21], l[18]);
    EXPECT_EQ(l[22], l[19]);
    // The page check after row 33 (counter 51) starts page 2, whose counter starts at 13.
    EXPECT_EQ(l[59].substr(0, 4), " 33 ");
    EXPECT_EQ(l[60], "\f" + std::string(kHeadingLines[0]).substr(1));
    const std::size_t n = l.size();
    EXPECT_EQ(l[n - 10], " 36  06/15/27    350.00    5,226.22    308.49    5,226.22     41.51        0.00");
    EXPECT_EQ(l[n - 9], " Balloon        5226.22        0.00   5226.22        0.00      0.00        0.00");
    EXPECT_EQ(l[n - 6], "    SubTotals   7326.22               7043.05                283.17");
    EXPECT_EQ(l[n - 3], "    Totals     17826.22              15000.00               2826.22");
    EXPECT_EQ(l[n - 1], std::string(12, ' ') + esc + "j$  =========             =========             =========");
    // No closing form feed in this report.
    EXPECT_EQ(golden("both_given_balloon.txt").back(), '\n');
}

TEST(ScheduleReport, BothGivenBiweeklyChangesOnlyTheNumberOfPayments) {
    LoanEntries e;
    e.heading = "Equipment note";
    e.amount = "15000";
    e.rate = "9";
    e.term = "36";
    e.payment = "350";
    e.firstPaymentDate = "07/15/24";
    const std::string monthly = bothGiven(e);
    e.biweekly = "Y";
    const std::string biweekly = bothGiven(e);
    auto a = linesOf(monthly), b = linesOf(biweekly);
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].rfind("Payment Amount", 0) == 0) {
            EXPECT_EQ(b[i].substr(49), "No. Payments         78 ");
            continue;
        }
        EXPECT_EQ(a[i], b[i]);
    }
}

TEST(ScheduleReport, PaymentNumbersPastNineHundredNinetyNineAreWrittenWhole) {
    dp::ScheduleHeading h;
    h.rateText = "8.000";
    dp::ScheduleReport r(h);
    dp::ScheduleLine l;
    l.kind = LineKind::Payment;
    l.number = 1000;
    l.dueDate = "010199";
    l.shownPayment = 100;
    r.line(l);
    l.number = 999;
    r.line(l);
    const auto lines = linesOf(r.finish());
    EXPECT_EQ(lines[12].substr(0, 14), "1000 01/01/99 ");
    EXPECT_EQ(lines[12].size(), 80u);
    EXPECT_EQ(lines[13].substr(0, 13), "999 01/01/99 ");
    EXPECT_EQ(lines[13].size(), 79u);
}

TEST(ScheduleReport, MillionDollarLoanSwitchesMasks) {
    LoanEntries e;
    e.heading = "Building";
    e.amount = "1500000";
    e.rate = "8";
    e.term = "360";
    e.payment = "U";
    e.firstPaymentDate = "010124";
    e.printFrom = "1";
    e.printTo = "2";
    const auto l = linesOf(oneUnknown(e));
    EXPECT_EQ(l[5].substr(0, 31), "Loan Amount       1,500,000.00 ");
    // Summary at "########.00": no separators once the total passes a million.
    EXPECT_EQ(l[12], std::string(25, ' ') + "3962466.00" + std::string(12, ' ') + "1500000.00" +
                         std::string(12, ' ') + "2462466.00");
    // Balances above 999,999.99 lose their separators; the payment columns keep theirs.
    EXPECT_EQ(l[14], "  1 01/01/24  11,006.89  3951459.11  1,006.39  1498993.61 10,000.50  2452465.50");
}

// The heading's amounts keep their 12 characters, so the rate stays at column 50: from ten
// million on without separators, starred only when even that does not fit.
TEST(ScheduleReport, HeadingAmountsKeepTheirTwelveCharacters) {
    const struct {
        double amount;
        const char* shown;
    } cases[] = {
        {9999999.99, "9,999,999.99"},
        {12345678.9, " 12345678.90"},
        {-12345678.9, "-12345678.90"},
        {999999999.99, "999999999.99"},
        {1000000000000.0, "************"},
    };
    for (const auto& c : cases) {
        dp::ScheduleHeading h;
        h.amount = c.amount;
        h.payment = 98765.43;
        h.rateText = "6.000";
        h.ratePositive = true;
        dp::ScheduleReport r(h);
        const auto l = linesOf(r.finish());
        EXPECT_EQ(l[5], std::string("Loan Amount       ") + c.shown + std::string(19, ' ') + "Interest Rate        6.000%")
            << c.amount;
        EXPECT_EQ(l[6], "Payment Amount       98,765.43                   No. Payments         0 ");
    }
}

TEST(ScheduleReport, HundredPercentRateKeepsItsLastSixCharacters) {
    LoanEntries e;
    e.heading = "x";
    e.amount = "1000";
    e.rate = "100";
    e.term = "12";
    e.payment = "U";
    e.firstPaymentDate = "010124";
    e.printFrom = "1";
    const auto l = linesOf(oneUnknown(e));
    EXPECT_EQ(l[5].substr(49), "Interest Rate       00.000%");
}

TEST(ScheduleReport, PayoffLabelAndItsColumn) {
    EXPECT_EQ(dp::payoffLabel(313.37, 313.3654999), "");
    EXPECT_EQ(dp::payoffLabel(400, 313.3654999), "ACCELERATED PAYOFF");
    EXPECT_EQ(dp::payoffLabel(300, 313.3654999), "WITH BALLOON PAYMENT");
    dp::ScheduleHeading h;
    h.payoffLabel = "ACCELERATED PAYOFF";
    dp::ScheduleReport r(h);
    const auto l = linesOf(r.finish());
    EXPECT_EQ(l[7], std::string(30, ' ') + "ACCELERATED PAYOFF");
}

TEST(ScheduleReport, BothGivenAboveTheLevelPaymentIsAcceleratedPayoff) {
    LoanEntries e;
    e.heading = "x";
    e.amount = "10000";
    e.rate = "8";
    e.term = "36";
    e.payment = "400";
    e.firstPaymentDate = "010124";
    dp::CheckResult r = dp::checkBothGiven(e);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(dp::bothGivenHeading(r.loan).payoffLabel, "ACCELERATED PAYOFF");
    e.payment = "313.37";
    EXPECT_EQ(dp::bothGivenHeading(dp::checkBothGiven(e).loan).payoffLabel, "");
}

TEST(ScheduleReport, PlainNumbersAndTheEarlyPayoffParagraph) {
    EXPECT_EQ(dp::plainNumber(12), " 12");
    EXPECT_EQ(dp::plainNumber(0), " 0");
    EXPECT_EQ(dp::plainNumber(-3.5), "-3.5");
    EXPECT_EQ(dp::plainNumber(313.37), " 313.37");
    dp::ScheduleReport r(dp::ScheduleHeading{});
    dp::ScheduleLine l;
    l.kind = LineKind::EarlyPayoff;
    l.monthsSaved = 5;
    l.perYearExtra = Cents::fromUnits(50000);
    l.paymentAtCents = 313.36;
    l.computedAtCents = 313.37;
    l.wouldHavePaid = 11281.14;
    l.savings = 120.5;
    r.line(l);
    const auto lines = linesOf(r.finish());
    EXPECT_EQ(lines[12], "Early Payoff saved  5 months by using a yearly payment of  500");
    EXPECT_EQ(lines[13], " 313.36 instead of  313.37");
    EXPECT_EQ(lines[14], "Total payments would have been   11,281.14 a savings of       120.50");
}

TEST(ScheduleReport, SeparatorWhenOnlyPartOfTheTermIsPrinted) {
    LoanEntries e = vanLoan();
    e.printFrom = "5";
    e.printTo = "8";
    e.oneTimeExtra = "";
    e.perYearExtra = "";
    e.additionalPayment = "";
    const auto l = linesOf(oneUnknown(e));
    EXPECT_EQ(l[13], std::string(24, ' ') + "  ---------             ---------             ---------");
    EXPECT_EQ(l[14].substr(0, 4), "  5 ");
    EXPECT_EQ(l[17].substr(0, 4), "  8 ");
}

TEST(ScheduleReport, ReportTextColumnRule) {
    dp::ReportText t;
    t.write("abc");
    t.column(6);
    t.write("x");
    t.column(3);  // already past: a new line first
    t.write("y");
    EXPECT_EQ(t.bytes(), "abc  x\r\n  y");
}

}  // namespace

namespace {

TEST(ScheduleReport, RowMoneyMatchesTheGeneralFormatter) {
    const char* masks[] = {"###,###.00", "#,###,###.00", "#########.00", "####,###.00", "########.00",
                           "#######.00", "#####,###.00"};
    std::mt19937_64 gen(99);
    std::vector<double> values = {0, 0.004, 0.5, 0.995, 1, 1.005, 1.125, 1.135, 1.175, 999.995, 999999.99,
                                  999999.995, 1000000, 1234567.5, 9999999.99, 12345678.9, 123456789.01,
                                  -0.001, -5, -1234.56, 313.3655, 313.365, 2.0000000001, 1e11 + 0.125};
    std::uniform_int_distribution<std::int64_t> units(0, 2000000000000LL);
    std::uniform_int_distribution<int> scale(0, 4);
    for (int i = 0; i < 4000; ++i) {
        const std::int64_t u = units(gen) >> (scale(gen) * 8);
        values.push_back(static_cast<double>(u) / 10000);  // four-decimal amounts, ties among them
        values.push_back(static_cast<double>(u) / 100);
    }
    for (const char* m : masks) {
        for (double v : values) {
            ASSERT_EQ(dp::fitMoney(v, m), dp::fitToColumn(v, m)) << v << " " << m;
            const Cents c = Cents::fromDouble(v);
            ASSERT_EQ(dp::fitMoney(c, m), dp::fitToColumn(c, m)) << v << " " << m;
        }
    }
}

}  // namespace

namespace {

TEST(ScheduleReport, BothGivenRowNumbersPastNineHundredNinetyNineAreWrittenWhole) {
    LoanEntries e;
    e.amount = "100000";
    e.rate = "6";
    e.term = "1000";
    e.payment = "600";
    e.firstPaymentDate = "010124";
    const auto l = linesOf(bothGiven(e));
    int rows999 = 0, rows1000 = 0;
    for (const std::string& s : l) {
        if (s.rfind("999  ", 0) == 0) {
            ++rows999;
            EXPECT_EQ(s.size(), 79u);
        }
        if (s.rfind("1000  ", 0) == 0) {
            ++rows1000;
            EXPECT_EQ(s.size(), 80u);
        }
    }
    EXPECT_EQ(rows999, 1);
    EXPECT_EQ(rows1000, 1);
}

}  // namespace

namespace {

// The figures of a row, split at blanks; every one a number or a run of "*".
std::vector<std::string> fieldsOf(const std::string& row) {
    std::istringstream in(row);
    std::vector<std::string> out;
    for (std::string f; in >> f;) out.push_back(f);
    return out;
}

bool isFigure(const std::string& f) {
    if (f.find_first_not_of('*') == std::string::npos) return true;
    return f.find_first_not_of("-0123456789,.") == std::string::npos && f.find('.') != std::string::npos;
}

// Principal payments of 100,000 and more, balances of millions, a balloon: every figure keeps a
// blank before it, however wide, and drops its grouping before it would be starred.
TEST(ScheduleReport, FiguresStayInTheirColumns) {
    struct Case {
        const char* amount;
        const char* term;
        const char* payment;  // "U" for the one-unknown report
        std::size_t fields;   // figures of a payment row, with its number and date
    };
    const Case cases[] = {
        {"10000000", "12", "U", 8},
        {"2500000", "24", "U", 8},
        {"950000", "6", "U", 8},
        {"9000000", "12", "800000", 8},
        {"1500000", "12", "130000", 8},
    };
    for (const Case& c : cases) {
        LoanEntries e;
        e.heading = "Large";
        e.amount = c.amount;
        e.rate = "6";
        e.term = c.term;
        e.payment = c.payment;
        e.firstPaymentDate = "013124";
        e.fiscalYearEndMonth = "12";
        e.printFrom = "1";
        const bool oneUnknownReport = std::string(c.payment) == "U";
        const std::string bytes = oneUnknownReport ? oneUnknown(e) : bothGiven(e);
        int rows = 0;
        for (const std::string& line : linesOf(bytes)) {
            const bool dated = line.size() > 13 && line[6] == '/' && line[9] == '/';
            const bool datedBothGiven = line.size() > 13 && line[7] == '/' && line[10] == '/';
            if (!(oneUnknownReport ? dated : datedBothGiven)) continue;
            ++rows;
            const std::vector<std::string> f = fieldsOf(line);
            ASSERT_EQ(f.size(), c.fields) << c.amount << ": " << line;
            for (std::size_t i = 2; i < f.size(); ++i) {
                EXPECT_TRUE(isFigure(f[i])) << line;
                EXPECT_EQ(f[i].find('*'), std::string::npos) << "starred although it fits: " << line;
            }
        }
        EXPECT_GT(rows, 0) << c.amount;
        for (const char* label : {"* Yr. Total", "** Totals", "    SubTotals", "    Totals   "}) {
            for (const std::string& line : linesOf(bytes)) {
                if (line.rfind(label, 0) != 0) continue;
                for (const std::string& f : fieldsOf(line.substr(std::string(label).size())))
                    EXPECT_TRUE(f == "=" || f == "+" || isFigure(f)) << line;
            }
        }
    }
}

}  // namespace

// The heading entry goes into the printer file with any control byte as a blank: it never drives
// the printer (a form feed, ESC E), on either report.
TEST(ScheduleReport, ControlBytesInTheHeadingArePrintedAsBlanks) {
    LoanEntries e = vanLoan();
    e.heading = "Van\x0c" "\x1b" "E bold\x7f";
    const std::string one = oneUnknown(e);
    EXPECT_NE(one.find("Van  E bold "), std::string::npos);
    e.payment = "500";
    e.additionalPayment = e.oneTimeExtra = e.perYearExtra = "";
    const std::string both = bothGiven(e);
    EXPECT_NE(both.find("Van  E bold "), std::string::npos);
    for (const std::string* report : {&one, &both}) {
        EXPECT_EQ(report->find("Van\x0c"), std::string::npos);
        EXPECT_EQ(report->find('\x7f'), std::string::npos);
    }
}
