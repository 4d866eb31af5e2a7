// The checks of the loan entries: each refusal with its text and title, in their order, and
// the refusals of figures that cannot be held.
#include <gtest/gtest.h>

#include <functional>

#include "amort/loan_inputs.h"

namespace {

using dp::LoanEntries;

LoanEntries good() {
    LoanEntries e;
    e.heading = "Truck";
    e.amount = "10000";
    e.rate = "8";
    e.term = "36";
    e.payment = "U";
    e.firstPaymentDate = "010124";
    e.printFrom = "1";
    return e;
}

using Entry = std::string LoanEntries::*;

struct Case {
    const char* name;
    std::function<void(LoanEntries&)> change;
    const char* text;   // nullptr: accepted
    const char* title;
    Entry entry = nullptr;  // the entry at fault
};

// Accepted when the case names no title; else refused with its title, entry and (where the case
// gives one) text.
void expectOutcome(const Case& c, const dp::CheckResult& r) {
    if (!c.title) {
        EXPECT_TRUE(r.ok) << c.name << ": " << r.failure.text << " / " << r.failure.title;
        return;
    }
    EXPECT_FALSE(r.ok) << c.name;
    if (c.text) {
        EXPECT_EQ(r.failure.text, c.text) << c.name;
    }
    EXPECT_EQ(r.failure.title, c.title) << c.name;
    EXPECT_TRUE(r.failure.entry == c.entry) << c.name;
}

TEST(LoanChecks, EachRefusalWithItsTextTitleAndEntry) {
    const Entry amount = &LoanEntries::amount, rate = &LoanEntries::rate, term = &LoanEntries::term,
                payment = &LoanEntries::payment, date = &LoanEntries::firstPaymentDate,
                fye = &LoanEntries::fiscalYearEndMonth, from = &LoanEntries::printFrom, to = &LoanEntries::printTo;
    const Case cases[] = {
        {"accepted as given", [](LoanEntries&) {}, nullptr, nullptr},
        {"grouped amount", [](LoanEntries& e) { e.amount = "25,000"; }, nullptr, nullptr},
        {"amount with a dollar sign", [](LoanEntries& e) { e.amount = "$10,000.00"; }, nullptr, nullptr},
        {"amount with a blank inside", [](LoanEntries& e) { e.amount = "10 000"; },
         "\"10 000\" is not a number. Type digits, with a sign and a decimal point where needed; \",\" may group "
         "thousands and \"$\" may come first: 12,500.00 or $1,500.", "Loan amount", amount},
        {"amount grouped wrongly", [](LoanEntries& e) { e.amount = "25,00"; },
         "\"25,00\" is not a number: \",\" only groups the digits before the point in threes, as in 12,500.00.",
         "Loan amount", amount},
        {"empty amount", [](LoanEntries& e) { e.amount = ""; }, "REENTER", "Loan amount", amount},
        {"empty rate", [](LoanEntries& e) { e.rate = ""; }, "REENTER", "Interest Rate", rate},
        {"rate not a number", [](LoanEntries& e) { e.rate = "abc"; }, "REENTER", "Interest Rate", rate},
        {"rate five", [](LoanEntries& e) { e.rate = "five"; }, "REENTER", "Interest Rate", rate},
        {"rate with a percent sign", [](LoanEntries& e) { e.rate = "8%"; }, "REENTER", "Interest Rate", rate},
        {"rate 100 percent", [](LoanEntries& e) { e.rate = "100"; }, nullptr, nullptr},
        {"rate above 100 percent", [](LoanEntries& e) { e.rate = "100.5"; }, "CANNOT EXCEED 100%", "Interest Rate", rate},
        {"rate 1 means 1 percent", [](LoanEntries& e) { e.rate = "1"; }, nullptr, nullptr},
        {"rate too small for a periodic rate", [](LoanEntries& e) { e.rate = "0.000005"; }, "REENTER", "Interest Rate", rate},
        {"negative rate", [](LoanEntries& e) { e.rate = "-8"; }, "REENTER", "Interest Rate", rate},
        {"empty term", [](LoanEntries& e) { e.term = ""; }, "REENTER", "Term of loan (months)", term},
        {"term with letters", [](LoanEntries& e) { e.term = "36mo"; }, "REENTER", "Term of loan (months)", term},
        {"term rounding to nothing", [](LoanEntries& e) { e.term = "0.4"; }, "REENTER", "Term of loan (months)", term},
        {"negative term", [](LoanEntries& e) { e.term = "-12"; }, "REENTER", "Term of loan (months)", term},
        {"term of 32767 payments", [](LoanEntries& e) { e.term = "32767"; }, "TOO MANY PAYMENTS", "Term of loan (months)", term},
        {"term of 32766 payments", [](LoanEntries& e) { e.term = "32766"; e.amount = "100"; }, nullptr, nullptr},
        {"biweekly term past 32766 payments",
         [](LoanEntries& e) { e.term = "15124"; e.biweekly = "Y"; }, "TOO MANY PAYMENTS", "Term of loan (months)", term},
        {"huge term", [](LoanEntries& e) { e.term = "1e300"; }, "TOO MANY PAYMENTS", "Term of loan (months)", term},
        {"two unknowns", [](LoanEntries& e) { e.rate = "U"; }, "ONLY ONE UNKNOWN ALLOWED", "Calculate Interest or payment", rate},
        {"payment not a number", [](LoanEntries& e) { e.rate = "U"; e.payment = "313,37"; },
         "\"313,37\" is not a number: \",\" only groups the digits before the point in threes, as in 12,500.00.",
         "Base monthly payment", payment},
        {"rate search below", [](LoanEntries& e) { e.rate = "U"; e.payment = "200"; }, "BELOW 1%", "Interest rate", payment},
        {"rate search above", [](LoanEntries& e) { e.rate = "U"; e.payment = "900"; }, "ABOVE 48%", "Interest rate", payment},
        {"date with slashes", [](LoanEntries& e) { e.firstPaymentDate = "07/01/24"; }, nullptr, nullptr},
        {"date with dashes and four-digit year", [](LoanEntries& e) { e.firstPaymentDate = "7-1-2024"; }, nullptr, nullptr},
        {"date of five digits", [](LoanEntries& e) { e.firstPaymentDate = "70124"; }, nullptr, nullptr},
        {"date of one-digit parts", [](LoanEntries& e) { e.firstPaymentDate = "7/1/24"; }, nullptr, nullptr},
        {"empty date", [](LoanEntries& e) { e.firstPaymentDate = ""; }, "INVALID DATE S/B mmddyy", "Date of first payment", date},
        {"month 13 in the date", [](LoanEntries& e) { e.firstPaymentDate = "130124"; },
         "INVALID DATE S/B mmddyy", "Date of 1st payment", date},
        {"no such day", [](LoanEntries& e) { e.firstPaymentDate = "02/30/24"; },
         "INVALID DATE S/B mmddyy", "Date of 1st payment", date},
        {"not a date", [](LoanEntries& e) { e.firstPaymentDate = "7/1"; }, "INVALID DATE S/B mmddyy", "Date of 1st payment", date},
        {"day 99 and a year of letters", [](LoanEntries& e) { e.firstPaymentDate = "0299ab"; },
         "INVALID DATE S/B mmddyy", "Date of 1st payment", date},
        {"day 99", [](LoanEntries& e) { e.firstPaymentDate = "029924"; }, "INVALID DATE S/B mmddyy", "Date of 1st payment", date},
        {"a dash inside", [](LoanEntries& e) { e.firstPaymentDate = "02-524"; }, "INVALID DATE S/B mmddyy", "Date of 1st payment", date},
        {"FYE month 13", [](LoanEntries& e) { e.fiscalYearEndMonth = "13"; }, "REENTER", "FYE month", fye},
        {"FYE month 0", [](LoanEntries& e) { e.fiscalYearEndMonth = "0"; }, "REENTER", "FYE month", fye},
        {"FYE month 0.4", [](LoanEntries& e) { e.fiscalYearEndMonth = "0.4"; }, "REENTER", "FYE month", fye},
        {"FYE month 6th", [](LoanEntries& e) { e.fiscalYearEndMonth = "6th"; }, "REENTER", "FYE month", fye},
        {"FYE month 6", [](LoanEntries& e) { e.fiscalYearEndMonth = "6"; }, nullptr, nullptr},
        {"empty beginning month", [](LoanEntries& e) { e.printFrom = ""; }, "Must be Numeric", "Beginning Month to print", from},
        {"beginning month in words", [](LoanEntries& e) { e.printFrom = "one"; }, "Must be Numeric", "Beginning Month to print", from},
        {"beginning month past the term", [](LoanEntries& e) { e.printFrom = "37"; },
         "CANNOT BE GREATER THAN TERM", "Beginning month to print", from},
        {"negative beginning month", [](LoanEntries& e) { e.printFrom = "-3"; }, nullptr, nullptr},
        {"ending month 0", [](LoanEntries& e) { e.printTo = "0"; }, "Must be Numeric", "Ending month to print", to},
        {"ending month 1 2", [](LoanEntries& e) { e.printTo = "1 2"; }, "Must be Numeric", "Ending month to print", to},
        {"ending month below 1", [](LoanEntries& e) { e.printTo = "-2"; }, "CANNOT BE LESS THAN 1", "Ending month to print", to},
        {"ending month past the term", [](LoanEntries& e) { e.printTo = "99"; }, nullptr, nullptr},
        {"amount too large", [](LoanEntries& e) { e.amount = "1e12"; }, "TOO LARGE", "Loan amount", amount},
        {"payment too large", [](LoanEntries& e) { e.rate = "U"; e.payment = "1e15"; }, "TOO LARGE", "Base monthly payment", payment},
        {"schedule total too large",
         [](LoanEntries& e) { e.amount = "9e11"; e.rate = "100"; e.term = "360"; }, "TOO LARGE", "Loan amount", amount},
        {"additional payment past 16 bits", [](LoanEntries& e) { e.additionalPayment = "40000"; },
         "TOO LARGE", "Additional payments", &LoanEntries::additionalPayment},
        {"additional payment in words", [](LoanEntries& e) { e.additionalPayment = "none"; },
         "\"none\" is not a number. Type digits, with a sign and a decimal point where needed; \",\" may group "
         "thousands and \"$\" may come first: 12,500.00 or $1,500.", "Additional payments", &LoanEntries::additionalPayment},
        {"one-time extra too large", [](LoanEntries& e) { e.oneTimeExtra = "5e12"; }, "TOO LARGE", "One-time extra payment",
         &LoanEntries::oneTimeExtra},
        {"one-time extra grouped", [](LoanEntries& e) { e.oneTimeExtra = "$1,500"; }, nullptr, nullptr},
        {"yearly extra too large", [](LoanEntries& e) { e.perYearExtra = "5e12"; }, "TOO LARGE", "Per year extra payment",
         &LoanEntries::perYearExtra},
        {"yearly extra trailing minus", [](LoanEntries& e) { e.perYearExtra = "100-"; }, nullptr, "Per year extra payment",
         &LoanEntries::perYearExtra},
    };
    for (const Case& c : cases) {
        LoanEntries e = good();
        c.change(e);
        expectOutcome(c, dp::checkOneUnknown(e));
    }
}

TEST(LoanChecks, FirstFailingCheckWinsInOrder) {
    // Every entry wrong at once: the refusals come one by one as each is mended.
    LoanEntries e = good();
    e.rate = "";
    e.term = "";
    e.firstPaymentDate = "";
    e.fiscalYearEndMonth = "13";
    e.printFrom = "";
    e.printTo = "0";
    const char* expected[] = {"Interest Rate", "Term of loan (months)", "Date of first payment", "FYE month",
                              "Beginning Month to print", "Ending month to print"};
    std::function<void()> mends[] = {[&] { e.rate = "8"; },
                                     [&] { e.term = "36"; },
                                     [&] { e.firstPaymentDate = "010124"; },
                                     [&] { e.fiscalYearEndMonth = ""; },
                                     [&] { e.printFrom = "1"; },
                                     [&] { e.printTo = ""; }};
    for (int i = 0; i < 6; ++i) {
        dp::CheckResult r = dp::checkOneUnknown(e);
        ASSERT_FALSE(r.ok);
        EXPECT_EQ(r.failure.title, expected[i]);
        mends[i]();
    }
    EXPECT_TRUE(dp::checkOneUnknown(e).ok);
}

TEST(LoanChecks, TwoUnknownsComeAfterRateAndTermButBeforeTheDate) {
    LoanEntries e = good();
    e.rate = "U";
    e.firstPaymentDate = "";
    EXPECT_EQ(dp::checkOneUnknown(e).failure.text, "ONLY ONE UNKNOWN ALLOWED");
    e.term = "";
    EXPECT_EQ(dp::checkOneUnknown(e).failure.title, "Term of loan (months)");
}

TEST(LoanChecks, ModeFollowsTheExactUnknownMarker) {
    LoanEntries e = good();
    EXPECT_EQ(dp::loanMode(e), dp::LoanMode::OneUnknown);
    e.payment = "313.37";
    EXPECT_EQ(dp::loanMode(e), dp::LoanMode::BothGiven);
    e.rate = " U";  // no unknown: the both-given mode, which refuses " U" as a rate
    EXPECT_EQ(dp::loanMode(e), dp::LoanMode::BothGiven);
    e.payment = "U ";
    EXPECT_EQ(dp::loanMode(e), dp::LoanMode::BothGiven);
    EXPECT_TRUE(dp::bothMarkedUnknown(e));
    e.rate = "U";
    EXPECT_EQ(dp::loanMode(e), dp::LoanMode::OneUnknown);
}

TEST(LoanChecks, ConvertedInputs) {
    LoanEntries e = good();
    e.firstPaymentDate = "70124";
    e.additionalPayment = "123.45";
    e.oneTimeExtra = "1000.005";
    e.term = "36.5";  // ties to even
    e.rate = "0.08";
    dp::CheckResult r = dp::checkOneUnknown(e);
    ASSERT_TRUE(r.ok) << r.failure.text;
    EXPECT_EQ(r.loan.in.firstPaymentDate, "070124");
    EXPECT_EQ(r.loan.in.additionalPayment, 123);
    EXPECT_EQ(r.loan.in.termMonths, 36);
    EXPECT_EQ(r.loan.in.fiscalYearEndMonth, 12);
    EXPECT_EQ(r.loan.in.printTo, 36);
    EXPECT_DOUBLE_EQ(r.loan.in.annualRate, 0.08);
    // A rate typed as a fraction shows as its percentage.
    EXPECT_EQ(r.loan.rateText, "8.000");
}

TEST(LoanChecks, BiweeklyEndingMonthDefaultsToTheLastPayment) {
    LoanEntries e = good();
    e.term = "30";
    e.biweekly = "Y";
    dp::CheckResult r = dp::checkOneUnknown(e);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.loan.paymentCount, 65);
    EXPECT_EQ(r.loan.in.printTo, 65);
    // A biweekly rate that rounds to nothing per period is refused like a zero rate.
    e.rate = "0.00001";
    EXPECT_EQ(dp::checkOneUnknown(e).failure.title, "Interest Rate");
}

TEST(LoanChecks, SolvedRateGivesTheAnnualPercentage) {
    LoanEntries e = good();
    e.rate = "U";
    e.payment = "313.37";
    dp::CheckResult r = dp::checkOneUnknown(e);
    ASSERT_TRUE(r.ok);
    EXPECT_TRUE(r.loan.rateSolved);
    EXPECT_EQ(r.loan.rateText, "8.000");
    EXPECT_EQ(r.loan.rateTrials, 15);
}

TEST(BothGivenChecks, TakesTheEntriesAsTheyAreExceptFiguresThatCannotBeHeld) {
    LoanEntries e = good();
    e.payment = "250";
    e.firstPaymentDate = "";
    e.fiscalYearEndMonth = "77";
    e.printFrom = "";
    EXPECT_TRUE(dp::checkBothGiven(e).ok);
    e.rate = "-5";
    EXPECT_EQ(dp::checkBothGiven(e).failure.title, "Interest Rate");
    e.rate = "8";
    e.term = "40000";
    EXPECT_EQ(dp::checkBothGiven(e).failure.text, "TOO MANY PAYMENTS");
    e.term = "36";
    e.payment = "2e12";
    EXPECT_EQ(dp::checkBothGiven(e).failure.title, "Base monthly payment");
    e.payment = "250";
    e.amount = "-1e13";
    EXPECT_EQ(dp::checkBothGiven(e).failure.title, "Loan amount");
}

// The both-given mode reads its figures and date as the other mode does: texts that are no
// numbers are refused instead of read as 0, and the date is taken in every form.
TEST(BothGivenChecks, ReadsNumbersAndDatesLikeEveryOtherBox) {
    const Case cases[] = {
        {"as given", [](LoanEntries&) {}, nullptr, nullptr},
        {"grouped amount", [](LoanEntries& e) { e.amount = "25,000"; }, nullptr, nullptr},
        {"rate with a blank before its U", [](LoanEntries& e) { e.rate = " U"; }, "REENTER", "Interest Rate", &LoanEntries::rate},
        {"amount 12O", [](LoanEntries& e) { e.amount = "12O"; }, nullptr, "Loan amount", &LoanEntries::amount},
        {"term 36mo", [](LoanEntries& e) { e.term = "36mo"; }, "REENTER", "Term of loan (months)", &LoanEntries::term},
        {"payment $500", [](LoanEntries& e) { e.payment = "$500"; }, nullptr, nullptr},
        {"payment (500)", [](LoanEntries& e) { e.payment = "(500)"; }, nullptr, "Base monthly payment", &LoanEntries::payment},
        {"date 13/45/24", [](LoanEntries& e) { e.firstPaymentDate = "13/45/24"; }, "INVALID DATE S/B mmddyy",
         "Date of 1st payment", &LoanEntries::firstPaymentDate},
        {"FYE month twelve", [](LoanEntries& e) { e.fiscalYearEndMonth = "twelve"; }, "REENTER", "FYE month",
         &LoanEntries::fiscalYearEndMonth},
    };
    for (const Case& c : cases) {
        LoanEntries e = good();
        e.payment = "350";
        e.firstPaymentDate = "7/15/24";
        c.change(e);
        expectOutcome(c, dp::checkBothGiven(e));
    }
    LoanEntries e = good();
    e.amount = "25,000";
    e.payment = "$500";
    e.firstPaymentDate = "7/15/24";
    e.fiscalYearEndMonth = "6";
    const dp::CheckResult r = dp::checkBothGiven(e);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.loan.in.amount, 25000);
    EXPECT_EQ(r.loan.in.payment, dp::Mills4::fromDouble(500));
    EXPECT_EQ(r.loan.in.firstPaymentDate, "071524");
    EXPECT_EQ(r.loan.fiscalYearEndValue, 6);
}

TEST(RateText, EnteredAndSolved) {
    EXPECT_EQ(dp::enteredRateText("8"), "8.000");
    EXPECT_EQ(dp::enteredRateText("7.12345"), "7.123");
    EXPECT_EQ(dp::enteredRateText("100"), "100.000");
    EXPECT_EQ(dp::enteredRateText("0.08"), "8.000");
    EXPECT_EQ(dp::enteredRateText("0.0725"), "7.250");
    EXPECT_EQ(dp::enteredRateText(" 8 "), "8.000");
    EXPECT_EQ(dp::solvedRateText(0.006667, false), "8.000");
    EXPECT_EQ(dp::solvedRateText(0.003077, true), "8.000");
}

}  // namespace
