// The printed amortization schedule: page headings, payment rows, year totals, totals and the
// early-payoff paragraph of the one-unknown report, and the both-given report with its balloon
// and printer control codes. Both are built as bytes in memory (lines end in CR LF) and written
// to report.txt in one piece.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "amort/loan_inputs.h"
#include "amort/loan_math.h"

namespace dp {

// Text output with the column rule of the reports: the column is the number of bytes written
// since the last CR LF, plus one.
class ReportText {
public:
    void write(std::string_view text) {
        bytes_.append(text);
        lineBytes_ += text.size();
    }
    void put(char c) { write(std::string_view(&c, 1)); }
    void crlf() {
        bytes_.append("\r\n");
        lineBytes_ = 0;
    }
    void line(std::string_view text = {}) {
        write(text);
        crlf();
    }
    // Blanks up to column n; when the line is already past it, a new line first.
    void column(int n);
    const std::string& bytes() const { return bytes_; }
    void reserve(std::size_t n) { bytes_.reserve(n); }

private:
    std::string bytes_;
    std::size_t lineBytes_ = 0;
};

// What every page heading shows.
struct ScheduleHeading {
    std::string description;       // the heading entry
    double amount = 0;
    std::string rateText;          // "##.000"
    bool ratePositive = false;     // a "%" follows the rate
    double payment = 0;            // the computed payment, or the entered one in the both-given report
    std::int32_t paymentCount = 0;
    std::string payoffLabel;       // "ACCELERATED PAYOFF", "WITH BALLOON PAYMENT" or empty
};

// "ACCELERATED PAYOFF" when the payment in use (at cents) exceeds the computed payment (at
// cents), "WITH BALLOON PAYMENT" when it is lower, else empty.
std::string payoffLabel(double paymentInUse, double computedPayment);

ScheduleHeading oneUnknownHeading(const PreparedLoan& loan);
ScheduleHeading bothGivenHeading(const PreparedLoan& loan);

// The one-unknown report, fed line by line by runSchedule.
class ScheduleReport : public ScheduleSink {
public:
    explicit ScheduleReport(ScheduleHeading heading);
    void line(const ScheduleLine& l) override;
    // The closing form feed; returns the finished bytes.
    std::string finish();

private:
    void pageHeading();
    void summary(const ScheduleLine& l);
    void extraPayment(const ScheduleLine& l);
    void payment(const ScheduleLine& l);
    void yearTotal(const ScheduleLine& l);
    void totals(const ScheduleLine& l);
    void earlyPayoff(const ScheduleLine& l);
    void sums(const ScheduleLine& l);
    void additional(const char* label, Cents amount, const char* rule);

    ScheduleHeading heading_;
    ReportText out_;
    int page_ = 0;
    int counter_ = 0;
};

// The whole one-unknown report of a prepared loan.
std::string oneUnknownReport(const PreparedLoan& loan, ScheduleResult* result = nullptr);

// The both-given report of a balloon schedule.
std::string balloonReport(const ScheduleHeading& heading, const BalloonSchedule& schedule);

// fitToColumn for the plain money masks of the rows, without the general formatter where the
// text cannot differ from its (the rows of a long schedule are most of its cost).
std::string fitMoney(double value, std::string_view mask);
std::string fitMoney(Cents value, std::string_view mask);

// Helpers of the layout, exposed for the tests.
std::string plainNumber(double value);
std::string rightAligned(std::string_view text, std::size_t width);   // never cut
std::string lastChars(std::string_view text, std::size_t width);      // blanks in front, then the last width characters

}  // namespace dp
