#include "amort/loan_inputs.h"

#include <cmath>

#include "format/number_format.h"
#include "format/typed_entries.h"

namespace dp {

namespace {

using Entry = std::string LoanEntries::*;

CheckResult fail(std::string text, std::string title, Entry entry) {
    CheckResult r;
    r.failure = {std::move(text), std::move(title), entry};
    return r;
}

CheckResult passed() {
    CheckResult r;
    r.ok = true;
    return r;
}

// An entry read as a number. A text that is not one fails with `notNumber` where the dialog's
// messages have a text for it ("REENTER", "Must be Numeric"), else with what is wrong with it.
struct Reading {
    bool ok = false;
    double value = 0;
    CheckResult failure;
};

Reading readEntry(const LoanEntries& e, Entry entry, const char* title, const char* notNumber = nullptr) {
    const TypedNumber n = readTypedNumber(e.*entry);
    Reading r;
    r.ok = n.ok();
    r.value = n.value;
    if (!r.ok) r.failure = fail(notNumber ? notNumber : numberRefusalText(e.*entry, n.refusal), title, entry);
    return r;
}

// The first payment's date as the schedule takes it (mmddyy); empty when the entry is empty.
CheckResult readFirstPaymentDate(const LoanEntries& e, std::string& mmddyy) {
    const TypedDate d = readTypedDate(e.firstPaymentDate);
    if (!d.ok()) return fail("INVALID DATE S/B mmddyy", "Date of 1st payment", &LoanEntries::firstPaymentDate);
    mmddyy = d.empty ? std::string() : d.mmddyy();
    return passed();
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
    double percent = readTypedNumber(rateEntry).value;
    if (percent < 1) percent *= 100;
    const double once = leadingNumber(formatNumber(percent, "##.000"));
    return formatNumber(Mills4::fromDouble(once), "##.000");
}

std::string solvedRateText(double periodicRate, bool biweekly) {
    return formatNumber(Mills4::fromDouble(periodicRate * periodsPerYear(biweekly) * 100), "##.000");
}

namespace {

// The loan amount: a number above 0 that the money types hold.
CheckResult readAmount(const LoanEntries& e, LoanInputs& in) {
    const Reading amount = readEntry(e, &LoanEntries::amount, "Loan amount");
    if (!amount.ok) return amount.failure;
    in.amount = amount.value;
    if (tooLarge(in.amount)) return fail("TOO LARGE", "Loan amount", &LoanEntries::amount);
    // Nothing to amortize: an empty, zero or negative amount.
    if (!(in.amount > 0)) return fail("REENTER", "Loan amount", &LoanEntries::amount);
    return passed();
}

// Checks 1 to 4: the rate, the term, the unknowns and their solving.
CheckResult checkFiguresAndSolve(const LoanEntries& e, PreparedLoan& p) {
    LoanInputs& in = p.in;
    if (!in.rateUnknown) {
        const Reading rate = readEntry(e, &LoanEntries::rate, "Interest Rate", "REENTER");
        if (!rate.ok) return rate.failure;
        if (rate.value == 0) return fail("REENTER", "Interest Rate", &LoanEntries::rate);
        in.annualRate = annualFromText(rate.value);
        if (in.annualRate > 1) return fail("CANNOT EXCEED 100%", "Interest Rate", &LoanEntries::rate);
        // A rate that is no rate per period at six decimals would divide by zero.
        if (roundThroughMask(in.annualRate / periodsPerYear(in.biweekly), "####.00####") <= 0)
            return fail("REENTER", "Interest Rate", &LoanEntries::rate);
    }

    const Reading term = readEntry(e, &LoanEntries::term, "Term of loan (months)", "REENTER");
    if (!term.ok) return term.failure;
    if (term.value == 0 || std::nearbyint(term.value) < 1)
        return fail("REENTER", "Term of loan (months)", &LoanEntries::term);
    if (termNeedsTooMany(term.value, in.biweekly))
        return fail("TOO MANY PAYMENTS", "Term of loan (months)", &LoanEntries::term);
    in.termMonths = static_cast<std::int32_t>(std::nearbyint(term.value));
    p.paymentCount = paymentCountFor(in.termMonths, in.biweekly);

    if (in.paymentUnknown && in.rateUnknown)
        return fail("ONLY ONE UNKNOWN ALLOWED", "Calculate Interest or payment", &LoanEntries::rate);
    if (in.paymentUnknown) {
        p.solution = levelPayment(in.annualRate / periodsPerYear(in.biweekly), in.amount, in.termMonths, in.biweekly);
    } else {
        const Reading payment = readEntry(e, &LoanEntries::payment, "Base monthly payment");
        if (!payment.ok) return payment.failure;
        if (tooLarge(payment.value)) return fail("TOO LARGE", "Base monthly payment", &LoanEntries::payment);
        in.payment = Mills4::fromDouble(payment.value);
    }
    if (in.rateUnknown) {
        RateSearch s = solveRate(in.amount, in.termMonths, in.biweekly, in.payment);
        if (!s.ok) return fail(s.failure, "Interest rate", &LoanEntries::payment);
        p.solution = s.solution;
        p.rateTrials = s.trials;
        p.rateSolved = true;
        in.annualRate = s.solution.periodicRate * periodsPerYear(in.biweekly);
    }
    // The schedule's figures must stay within what the money types hold.
    if (tooLarge(p.solution.computedPayment) || tooLarge(p.solution.computedPayment * p.paymentCount))
        return fail("TOO LARGE", "Loan amount", &LoanEntries::amount);
    return passed();
}

// Checks 5 to 8: the first payment's date, the month for year end and the months to print.
CheckResult checkDateAndPrintRange(const LoanEntries& e, PreparedLoan& p) {
    LoanInputs& in = p.in;
    if (trimBlanksAndNuls(e.firstPaymentDate).empty())
        return fail("INVALID DATE S/B mmddyy", "Date of first payment", &LoanEntries::firstPaymentDate);
    if (CheckResult date = readFirstPaymentDate(e, in.firstPaymentDate); !date.ok) return date;

    if (e.fiscalYearEndMonth.empty()) {
        in.fiscalYearEndMonth = 12;
    } else {
        const Reading month = readEntry(e, &LoanEntries::fiscalYearEndMonth, "FYE month", "REENTER");
        if (!month.ok) return month.failure;
        const double whole = std::nearbyint(month.value);
        if (month.value == 0 || whole < 1 || whole > 12)
            return fail("REENTER", "FYE month", &LoanEntries::fiscalYearEndMonth);
        in.fiscalYearEndMonth = static_cast<std::int16_t>(whole);
    }

    const Reading from = readEntry(e, &LoanEntries::printFrom, "Beginning Month to print", "Must be Numeric");
    if (!from.ok) return from.failure;
    in.printFrom = from.value;
    if (in.printFrom == 0) return fail("Must be Numeric", "Beginning Month to print", &LoanEntries::printFrom);
    if (in.printFrom > in.termMonths)
        return fail("CANNOT BE GREATER THAN TERM", "Beginning month to print", &LoanEntries::printFrom);

    if (e.printTo.empty()) {
        // A biweekly schedule prints through its last payment, not through payment "term".
        in.printTo = in.biweekly ? p.paymentCount : in.termMonths;
    } else {
        const Reading to = readEntry(e, &LoanEntries::printTo, "Ending month to print", "Must be Numeric");
        if (!to.ok) return to.failure;
        in.printTo = to.value;
        if (in.printTo == 0) return fail("Must be Numeric", "Ending month to print", &LoanEntries::printTo);
        if (in.printTo < 1) return fail("CANNOT BE LESS THAN 1", "Ending month to print", &LoanEntries::printTo);
    }
    return passed();
}

// Check 9: the additional and extra payments.
CheckResult checkExtras(const LoanEntries& e, PreparedLoan& p) {
    LoanInputs& in = p.in;
    const Reading additional = readEntry(e, &LoanEntries::additionalPayment, "Additional payments");
    if (!additional.ok) return additional.failure;
    const double whole = std::nearbyint(additional.value);
    if (whole < -32768 || whole > 32767) return fail("TOO LARGE", "Additional payments", &LoanEntries::additionalPayment);
    if (whole < 0) return fail("CANNOT BE NEGATIVE", "Additional payments", &LoanEntries::additionalPayment);
    in.additionalPayment = static_cast<std::int16_t>(whole);
    const struct {
        Entry entry;
        const char* title;
        Cents* into;
    } extras[] = {{&LoanEntries::oneTimeExtra, "One-time extra payment", &in.oneTimeExtra},
                  {&LoanEntries::perYearExtra, "Per year extra payment", &in.perYearExtra}};
    for (const auto& x : extras) {
        const Reading r = readEntry(e, x.entry, x.title);
        if (!r.ok) return r.failure;
        if (tooLarge(r.value)) return fail("TOO LARGE", x.title, x.entry);
        if (r.value < 0) return fail("CANNOT BE NEGATIVE", x.title, x.entry);
        *x.into = Cents::fromDouble(r.value);
    }
    return passed();
}

// The both-given mode's figures: numbers (or an empty date), held by the money types.
CheckResult readBothGiven(const LoanEntries& e, PreparedLoan& p) {
    LoanInputs& in = p.in;
    const Reading rate = readEntry(e, &LoanEntries::rate, "Interest Rate", "REENTER");
    if (!rate.ok) return rate.failure;
    in.annualRate = annualFromText(rate.value);
    // A negative rate would make the overpaid balance grow without end.
    if (in.annualRate < 0) return fail("REENTER", "Interest Rate", &LoanEntries::rate);
    const Reading term = readEntry(e, &LoanEntries::term, "Term of loan (months)", "REENTER");
    if (!term.ok) return term.failure;
    if (std::nearbyint(term.value) < 0) return fail("REENTER", "Term of loan (months)", &LoanEntries::term);
    if (termNeedsTooMany(term.value, in.biweekly))
        return fail("TOO MANY PAYMENTS", "Term of loan (months)", &LoanEntries::term);
    in.termMonths = static_cast<std::int32_t>(std::nearbyint(term.value));
    p.paymentCount = paymentCountFor(in.termMonths, in.biweekly);
    const Reading payment = readEntry(e, &LoanEntries::payment, "Base monthly payment");
    if (!payment.ok) return payment.failure;
    if (tooLarge(payment.value) || tooLarge(payment.value * in.termMonths))
        return fail("TOO LARGE", "Base monthly payment", &LoanEntries::payment);
    in.payment = Mills4::fromDouble(payment.value);
    if (CheckResult date = readFirstPaymentDate(e, in.firstPaymentDate); !date.ok) return date;
    const Reading month = readEntry(e, &LoanEntries::fiscalYearEndMonth, "FYE month", "REENTER");
    if (!month.ok) return month.failure;
    p.fiscalYearEndValue = month.value;
    return passed();
}

}  // namespace

CheckResult checkOneUnknown(const LoanEntries& e) {
    PreparedLoan p;
    LoanInputs& in = p.in;
    in.heading = e.heading;
    in.biweekly = e.biweekly == "Y";
    in.rateUnknown = e.rate == "U";
    in.paymentUnknown = e.payment == "U";
    if (CheckResult r = readAmount(e, in); !r.ok) return r;
    for (auto check : {checkFiguresAndSolve, checkDateAndPrintRange, checkExtras})
        if (CheckResult r = check(e, p); !r.ok) return r;

    p.totals = scheduledTotals(in, p.solution);
    if (tooLarge(p.totals.totalBalance)) return fail("TOO LARGE", "Loan amount", &LoanEntries::amount);
    p.rateText = p.rateSolved ? solvedRateText(p.solution.periodicRate, in.biweekly) : enteredRateText(e.rate);

    CheckResult r = passed();
    r.loan = std::move(p);
    return r;
}

CheckResult checkBothGiven(const LoanEntries& e) {
    PreparedLoan p;
    LoanInputs& in = p.in;
    in.heading = e.heading;
    in.biweekly = e.biweekly == "Y";
    if (CheckResult r = readAmount(e, in); !r.ok) return r;
    if (CheckResult r = readBothGiven(e, p); !r.ok) return r;
    in.printFrom = 1;
    in.printTo = in.termMonths;
    // The level payment at the entered rate tells the heading whether the entered payment
    // pays the loan off early or leaves a balloon.
    p.solution = levelPayment(in.annualRate / 12.0, in.amount, in.termMonths, false);
    p.rateText = enteredRateText(e.rate);

    CheckResult r = passed();
    r.loan = std::move(p);
    return r;
}

}  // namespace dp
