// The entries of the amortization dialog and their checks. The checks run in a fixed order and
// stop at the first failure, whose message names the problem in its text and the field in its
// title. Solving the unknown rate or payment happens in the middle of them, as the later
// checks rely on nothing it computes.
#pragma once

#include <string>

#include "amort/loan_math.h"

namespace dp {

// The dialog's entries as typed; they live for as long as the module is loaded.
struct LoanEntries {
    std::string heading;
    std::string amount;
    std::string rate;
    std::string term;
    std::string payment;
    std::string firstPaymentDate;
    std::string fiscalYearEndMonth;
    std::string printFrom;
    std::string printTo;
    std::string additionalPayment;
    std::string oneTimeExtra;
    std::string perYearExtra;
    std::string biweekly;  // "Y" when checked
};

enum class LoanMode { OneUnknown, BothGiven };

// One unknown when the rate or the payment is exactly "U" (blanks around it do not count).
LoanMode loanMode(const LoanEntries& e);

// "Print" refuses two unknowns at once; this test ignores blanks around the "U"s.
bool bothMarkedUnknown(const LoanEntries& e);

// A refused entry: the message's text and title, and the entry at fault (where the dialog puts
// the focus when it opens again with every entry as typed).
struct CheckFailure {
    std::string text;
    std::string title;
    std::string LoanEntries::*entry = nullptr;
};

// A loan ready for its schedule: inputs, the solved payment or rate and the scheduled totals.
struct PreparedLoan {
    LoanInputs in;
    PaymentSolution solution;
    ScheduledTotals totals;
    std::int32_t paymentCount = 0;
    std::string rateText;       // the heading's rate, "##.000"
    bool rateSolved = false;    // rateText then becomes the rate entry once the schedule is done
    int rateTrials = 0;
    double fiscalYearEndValue = 0;  // both-given mode: the month-for-year-end entry's value
};

struct CheckResult {
    bool ok = false;
    PreparedLoan loan;
    CheckFailure failure;
};

// The one-unknown mode: every check in its order, the solve, and the scheduled totals.
CheckResult checkOneUnknown(const LoanEntries& e);

// The both-given mode takes the entries as they are; it refuses only texts that are not numbers or
// dates, figures that cannot be held (and a negative rate), and a payment below the first
// month's interest is found by the schedule itself.
CheckResult checkBothGiven(const LoanEntries& e);

// The heading's rate text for an entered rate and for a solved periodic rate.
std::string enteredRateText(const std::string& rateEntry);
std::string solvedRateText(double periodicRate, bool biweekly);

}  // namespace dp
