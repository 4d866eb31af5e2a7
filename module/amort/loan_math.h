// The arithmetic of a loan schedule: the level payment, the rate search, the scheduled totals
// and the run of the schedule payment by payment. Everything here is a function of its
// arguments; the schedule hands its lines to a sink in order and never writes a file itself.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "format/money.h"

namespace dp {

// The loan as the dialog's entries give it, converted and checked.
struct LoanInputs {
    std::string heading;
    double amount = 0;
    double annualRate = 0;            // fraction: 8 percent is 0.08
    bool rateUnknown = false;
    std::int32_t termMonths = 0;
    Mills4 payment;                   // 0 when the payment is unknown
    bool paymentUnknown = false;
    std::string firstPaymentDate;     // mmddyy in the one-unknown mode; as typed otherwise
    std::int16_t fiscalYearEndMonth = 12;
    double printFrom = 1;
    double printTo = 0;
    std::int16_t additionalPayment = 0;
    Cents oneTimeExtra;
    Cents perYearExtra;
    bool biweekly = false;
};

// Amounts, payments and scheduled totals stay below this, so that every figure of a schedule
// fits its money type and prints exactly.
inline constexpr double kMoneyLimit = 1e12;

// Payment numbers are 16-bit: a schedule stays below this many payments.
inline constexpr std::int32_t kPaymentLimit = 32767;

// Scheduled payments: the term in months, or 26 a year when biweekly (rounded, ties to even).
std::int32_t paymentCountFor(std::int32_t termMonths, bool biweekly);

// Rounds a value through a mask and reads the text back: a decimal rounding, ties to even.
double roundThroughMask(double value, const char* mask);

// What the level payment at one periodic rate comes to.
struct PaymentSolution {
    double periodicRate = 0;       // at most 6 decimals (7 after an accepted near miss)
    double factor = 0;             // payment per unit of loan, 15 significant digits
    double computedPayment = 0;    // unrounded
    double factorPayment = 0;      // amount x factor at 7 decimals, for the totals
    double presentValueCheck = 0;  // present value of the payment, at cents
};

PaymentSolution levelPayment(double periodicRate, double amount, std::int32_t termMonths, bool biweekly);

struct RateSearch {
    bool ok = false;
    std::string failure;           // "BELOW 1%", "ABOVE 48%" or "CANNOT CALCULATE" (title "Interest rate")
    PaymentSolution solution;
    int trials = 0;
};

// Bisection on the periodic rate for the payment target.
RateSearch solveRate(double amount, std::int32_t termMonths, bool biweekly, Mills4 target);

struct ScheduledTotals {
    double totalBalance = 0;       // scheduled payments not yet made
    double scheduledInterest = 0;
    Mills4 interestBalance;        // scheduled interest not yet paid
    Cents balance;                 // principal still owed
};

ScheduledTotals scheduledTotals(const LoanInputs& in, const PaymentSolution& sol);

enum class LineKind { Summary, ExtraPayment, Separator, Payment, YearTotal, Totals, EarlyPayoff };

// One line of the schedule; which figures are meaningful depends on the kind.
struct ScheduleLine {
    LineKind kind = LineKind::Summary;
    std::int32_t number = 0;       // payment number (Payment, ExtraPayment)
    bool oneTime = false;          // ExtraPayment: the one-time extra before payment 1
    std::string dueDate;           // Payment: mmddyy
    Mills4 payment;                // Payment: the payment applied (without the additional part)
    double shownPayment = 0;       // Payment: payment plus the additional part
    Cents extra;                   // ExtraPayment
    double totalBalance = 0;
    Cents principal;
    Cents balance;
    Cents interest;
    Mills4 interestBalance;
    // YearTotal and Totals.
    Cents sumPaid, sumPrincipal, sumInterest, sumAdditional;
    // EarlyPayoff.
    std::int32_t monthsSaved = 0;
    Cents oneTimeExtra, perYearExtra;
    double paymentAtCents = 0;     // the payment in use, through Mills4 to cents
    double computedAtCents = 0;    // the computed payment rounded to cents
    double wouldHavePaid = 0;
    double savings = 0;
};

class ScheduleSink {
public:
    virtual ~ScheduleSink() = default;
    virtual void line(const ScheduleLine& line) = 0;
};

// Collects the lines (tests, and anything that wants them all at once).
class ScheduleCollector : public ScheduleSink {
public:
    void line(const ScheduleLine& l) override { lines.push_back(l); }
    std::vector<ScheduleLine> lines;
};

struct ScheduleResult {
    std::int32_t paymentCount = 0;
    std::int32_t lastPaymentNumber = 0;
    Cents grandPaid, grandPrincipal, grandInterest, grandAdditional;
    Cents finalBalance;
    Mills4 finalInterestBalance;
};

// The payment in use for a schedule: the entered payment when one was given, else the
// computed payment as Mills4.
Mills4 paymentInUse(const LoanInputs& in, const PaymentSolution& sol);

// The one-unknown schedule: every line in order into the sink.
ScheduleResult runSchedule(const LoanInputs& in, const PaymentSolution& sol, const ScheduledTotals& totals,
                           ScheduleSink& sink);

// The both-given schedule with a balloon: monthly rows at the entered payment.
struct BalloonRow {
    std::int32_t number = 0;
    std::int32_t month = 0, day = 0, year = 0;
    Mills4 payment;
    double totalBalance = 0;
    double principal = 0;          // payment less interest
    Cents balance;
    Cents interest;
    double interestBalance = 0;
    bool yearEnd = false;          // a fiscal-year subtotal follows this row
};

struct BalloonSchedule {
    bool paymentTooSmall = false;
    bool tooLarge = false;         // an overpaid balance grew beyond kMoneyLimit
    std::vector<BalloonRow> rows;
    Cents balloon;
    Cents totalInterest;
};

// The first-date forms of the both-given mode: month, day and year numbers.
void balloonFirstDate(const std::string& text, std::int32_t& month, std::int32_t& day, std::int32_t& year);

// fyeValue is the numeric value of the month-for-year-end entry (0 when empty).
BalloonSchedule runBalloonSchedule(const LoanInputs& in, double fyeValue);

}  // namespace dp
