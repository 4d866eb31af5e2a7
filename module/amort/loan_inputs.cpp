#include "amort/loan_inputs.h"

#include <cmath>

#include "format/number_format.h"

namespace dp {

namespace {

CheckResult fail(std::string text, std::string title, bool clearDate = false) {
    CheckResult r;
    r.failure = {std::move(text), std::move(title), clearDate};
    return r;
}

bool tooLarge(double value) { return !std::isfinite(value) || std::fabs(value) >= kMoneyLimit; }

double annualFromText(double value) { return value >= 1 ? value / 100 : value; }

double periodsPerYear(bool biweekly) { return biweekly ? 26.0 : 12.0; }

// The term's checks that keep payment numbers 16-bit; value is the term's numeric value.
bool termNeedsTooMany(double value, bool biweekly) {
    const double months = std::nearbyint(value);
    if (months >= kPaymentLimit) return true;
    return biweekly && std::nearbyint(months / 12.0 * 26.0) >= kPaymentLimit;
}

}  // namespace

LoanMode loanMode(const LoanEntries& e) {
    return e.rate == "U" || e.payment == "U" ? LoanMode::OneUnknown : LoanMode::BothGiven;
}

bool bothMarkedUnknown(const LoanEntries& e) {
    return trimBlanksAndNuls(e.rate) == "U" && trimBlanksAndNuls(e.payment) == "U";
}

std::string enteredRateText(const std::string& rateEntry) {
    // A rate typed as a fraction (0.08) shows as the percentage it stands for.
    double percent = leadingNumber(rateEntry);
    if (percent < 1) percent *= 100;
    const double once = leadingNumber(formatNumber(percent, "##.000"));
    return formatNumber(Mills4::fromDouble(once), "##.000");
}

std::string solvedRateText(double periodicRate, bool biweekly) {
    return formatNumber(Mills4::fromDouble(periodicRate * periodsPerYear(biweekly) * 100), "##.000");
}

CheckResult checkOneUnknown(const LoanEntries& e) {
    PreparedLoan p;
    LoanInputs& in = p.in;
    in.heading = e.heading;
    in.biweekly = e.biweekly == "Y";
    in.rateUnknown = e.rate == "U";
    in.paymentUnknown = e.payment == "U";

    in.amount = leadingNumber(e.amount);
    if (tooLarge(in.amount)) return fail("TOO LARGE", "Loan amount");
    // Nothing to amortize: an empty, zero or negative amount, or one too large to read.
    if (!(in.amount > 0)) return fail("REENTER", "Loan amount");

    if (!in.rateUnknown) {
        const double value = leadingNumber(e.rate);
        if (value == 0) return fail("REENTER", "Interest Rate");
        in.annualRate = annualFromText(value);
        if (in.annualRate > 1) return fail("CANNOT EXCEED 100%", "Interest Rate");
        // A rate that is no rate per period at six decimals would divide by zero.
        if (roundThroughMask(in.annualRate / periodsPerYear(in.biweekly), "####.00####") <= 0)
            return fail("REENTER", "Interest Rate");
    }

    const double term = leadingNumber(e.term);
    if (term == 0) return fail("REENTER", "Term of loan (months)");
    if (std::nearbyint(term) < 1) return fail("REENTER", "Term of loan (months)");
    if (termNeedsTooMany(term, in.biweekly)) return fail("TOO MANY PAYMENTS", "Term of loan (months)");
    in.termMonths = static_cast<std::int32_t>(std::nearbyint(term));
    p.paymentCount = paymentCountFor(in.termMonths, in.biweekly);

    if (in.paymentUnknown && in.rateUnknown) return fail("ONLY ONE UNKNOWN ALLOWED", "Calculate Interest or payment");
    if (in.paymentUnknown) {
        p.solution = levelPayment(in.annualRate / periodsPerYear(in.biweekly), in.amount, in.termMonths, in.biweekly);
    } else {
        const double value = leadingNumber(e.payment);
        if (tooLarge(value)) return fail("TOO LARGE", "Base monthly payment");
        in.payment = Mills4::fromDouble(value);
    }
    if (in.rateUnknown) {
        RateSearch s = solveRate(in.amount, in.termMonths, in.biweekly, in.payment);
        if (!s.ok) return fail(s.failure, "Interest rate");
        p.solution = s.solution;
        p.rateTrials = s.trials;
        p.rateSolved = true;
        in.annualRate = s.solution.periodicRate * periodsPerYear(in.biweekly);
    }
    // The schedule's figures must stay within what the money types hold.
    if (tooLarge(p.solution.computedPayment) || tooLarge(p.solution.computedPayment * p.paymentCount))
        return fail("TOO LARGE", "Loan amount");

    std::string date = e.firstPaymentDate;
    if (date.size() == 5) date = "0" + date;
    if (!date.empty() && date.size() != 6) return fail("INVALID DATE S/B mmddyy", "Date of 1st payment", true);
    if (date.empty()) return fail("INVALID DATE S/B mmddyy", "Date of first payment");
    // The month picks the month's length for the due days; there are twelve.
    const double month = std::nearbyint(leadingNumber(date.substr(0, 2)));
    if (month < 1 || month > 12) return fail("INVALID DATE S/B mmddyy", "Date of 1st payment", true);
    in.firstPaymentDate = date;

    if (e.fiscalYearEndMonth.empty()) {
        in.fiscalYearEndMonth = 12;
    } else {
        const double value = leadingNumber(e.fiscalYearEndMonth);
        if (value == 0) return fail("REENTER", "FYE month");
        const double whole = std::nearbyint(value);
        if (whole < 1 || whole > 12) return fail("REENTER", "FYE month");
        in.fiscalYearEndMonth = static_cast<std::int16_t>(whole);
    }

    in.printFrom = leadingNumber(e.printFrom);
    if (in.printFrom == 0) return fail("Must be Numeric", "Beginning Month to print");
    if (in.printFrom > in.termMonths) return fail("CANNOT BE GREATER THAN TERM", "Beginning month to print");

    if (e.printTo.empty()) {
        // A biweekly schedule prints through its last payment, not through payment "term".
        in.printTo = in.biweekly ? p.paymentCount : in.termMonths;
    } else {
        in.printTo = leadingNumber(e.printTo);
        if (in.printTo == 0) return fail("Must be Numeric", "Ending month to print");
        if (in.printTo < 1) return fail("CANNOT BE LESS THAN 1", "Ending month to print");
    }

    const double additional = std::nearbyint(leadingNumber(e.additionalPayment));
    if (additional < -32768 || additional > 32767) return fail("TOO LARGE", "Additional payments");
    if (additional < 0) return fail("CANNOT BE NEGATIVE", "Additional payments");
    in.additionalPayment = static_cast<std::int16_t>(additional);
    const double oneTime = leadingNumber(e.oneTimeExtra);
    if (tooLarge(oneTime)) return fail("TOO LARGE", "One-time extra payment");
    if (oneTime < 0) return fail("CANNOT BE NEGATIVE", "One-time extra payment");
    in.oneTimeExtra = Cents::fromDouble(oneTime);
    const double perYear = leadingNumber(e.perYearExtra);
    if (tooLarge(perYear)) return fail("TOO LARGE", "Per year extra payment");
    if (perYear < 0) return fail("CANNOT BE NEGATIVE", "Per year extra payment");
    in.perYearExtra = Cents::fromDouble(perYear);

    p.totals = scheduledTotals(in, p.solution);
    if (tooLarge(p.totals.totalBalance)) return fail("TOO LARGE", "Loan amount");
    p.rateText = p.rateSolved ? solvedRateText(p.solution.periodicRate, in.biweekly) : enteredRateText(e.rate);

    CheckResult r;
    r.ok = true;
    r.loan = std::move(p);
    return r;
}

CheckResult checkBothGiven(const LoanEntries& e) {
    PreparedLoan p;
    LoanInputs& in = p.in;
    in.heading = e.heading;
    in.biweekly = e.biweekly == "Y";
    in.amount = leadingNumber(e.amount);
    if (tooLarge(in.amount)) return fail("TOO LARGE", "Loan amount");
    // Nothing to amortize: an empty, zero or negative amount, or one too large to read.
    if (!(in.amount > 0)) return fail("REENTER", "Loan amount");
    in.annualRate = annualFromText(leadingNumber(e.rate));
    // A negative rate would make the overpaid balance grow without end.
    if (in.annualRate < 0) return fail("REENTER", "Interest Rate");
    const double term = leadingNumber(e.term);
    if (std::nearbyint(term) < 0) return fail("REENTER", "Term of loan (months)");
    if (termNeedsTooMany(term, in.biweekly)) return fail("TOO MANY PAYMENTS", "Term of loan (months)");
    in.termMonths = static_cast<std::int32_t>(std::nearbyint(term));
    p.paymentCount = paymentCountFor(in.termMonths, in.biweekly);
    const double payment = leadingNumber(e.payment);
    if (tooLarge(payment) || tooLarge(payment * in.termMonths)) return fail("TOO LARGE", "Base monthly payment");
    in.payment = Mills4::fromDouble(payment);
    in.firstPaymentDate = e.firstPaymentDate;
    in.printFrom = 1;
    in.printTo = in.termMonths;
    // The level payment at the entered rate tells the heading whether the entered payment
    // pays the loan off early or leaves a balloon.
    p.solution = levelPayment(in.annualRate / 12.0, in.amount, in.termMonths, false);
    p.rateText = enteredRateText(e.rate);

    CheckResult r;
    r.ok = true;
    r.loan = std::move(p);
    return r;
}

}  // namespace dp
