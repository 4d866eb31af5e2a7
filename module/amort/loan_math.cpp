#include "amort/loan_math.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "format/number_format.h"

namespace dp {

namespace {

// Integer division to the nearest, ties to the even quotient.
std::int64_t divideTiesEven(std::int64_t n, std::int64_t d) {
    std::int64_t q = n / d, r = n % d;
    if (r < 0) { r += d; --q; }
    if (2 * r > d || (2 * r == d && (q & 1) != 0)) ++q;
    return q;
}

Cents toCents(Mills4 m) { return Cents::fromUnits(divideTiesEven(m.units, 100)); }
Mills4 toMills4(Cents c) { return Mills4::fromUnits(c.units * 100); }


double round15(double x) {
    if (!std::isfinite(x)) return x;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14e", x);
    return std::strtod(buf, nullptr);
}

bool isLeap(std::int32_t year) { return year % 4 == 0; }

std::int32_t monthLength(std::int32_t month, std::int32_t year) {
    static const std::int32_t lengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 31;  // the dialog refuses such months; never index past the table
    if (month == 2 && isLeap(year)) return 29;
    return lengths[month - 1];
}

std::string twoDigits(std::int32_t v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d", static_cast<int>(v));
    return buf;
}

// The due date as it moves from payment to payment.
class DueDate {
public:
    DueDate(const std::string& mmddyy, bool biweekly) : biweekly_(biweekly) {
        month_ = static_cast<std::int32_t>(std::nearbyint(leadingNumber(mmddyy.substr(0, 2))));
        firstDayText_ = mmddyy.size() > 2 ? mmddyy.substr(2, 2) : "";
        firstDay_ = leadingNumber(firstDayText_);
        year_ = static_cast<std::int32_t>(std::nearbyint(leadingNumber(mmddyy.size() > 4 ? mmddyy.substr(4, 2) : "")));
        dayText_ = firstDayText_;
        day_ = static_cast<std::int32_t>(firstDay_);
        if (!biweekly_) {
            // Each monthly payment advances the month first.
            if (--month_ < 1) {
                month_ = 12;
                --year_;
            }
        }
    }

    void advance(std::int32_t k) {
        if (biweekly_) {
            if (k == 1) return;  // the first payment falls on the first date
            day_ += 14;
            while (day_ > monthLength(month_, year_)) {
                day_ -= monthLength(month_, year_);
                nextMonth();
            }
            dayText_ = twoDigits(day_);
            return;
        }
        nextMonth();
        dayText_ = firstDayText_;
        if (month_ == 2) {
            const std::int32_t last = isLeap(year_) ? 29 : 28;
            if (firstDay_ > last) dayText_ = twoDigits(last);
        } else if (month_ == 4 || month_ == 6 || month_ == 9 || month_ == 11) {
            if (firstDay_ > 30) dayText_ = "30";
        }
    }

    // Biweekly: the next due day falls in a later month.
    bool lastInMonth() const { return day_ + 14 > monthLength(month_, year_); }
    std::int32_t month() const { return month_; }
    std::string text() const { return twoDigits(month_) + dayText_ + twoDigits(year_); }

private:
    void nextMonth() {
        if (++month_ > 12) {
            month_ = 1;
            if (++year_ > 99) year_ -= 100;
        }
    }

    bool biweekly_;
    std::int32_t month_ = 0, year_ = 0, day_ = 0;
    double firstDay_ = 0;
    std::string firstDayText_, dayText_;
};

}  // namespace

std::int32_t paymentCountFor(std::int32_t termMonths, bool biweekly) {
    if (!biweekly) return termMonths;
    return static_cast<std::int32_t>(std::nearbyint(static_cast<double>(termMonths) / 12.0 * 26.0));
}

double roundThroughMask(double value, const char* mask) {
    if (!std::isfinite(value)) return value;
    return leadingNumber(formatNumber(value, mask));
}

PaymentSolution levelPayment(double periodicRate, double amount, std::int32_t termMonths, bool biweekly) {
    PaymentSolution s;
    const double i = roundThroughMask(periodicRate, "####.00####");
    s.periodicRate = i;
    const double n = biweekly ? static_cast<double>(termMonths) / 12.0 * 26.0 : static_cast<double>(termMonths);
    if (i == 0.0) {
        // Without interest the payment is the amount spread evenly (the dialog refuses such
        // rates; only the balloon heading's comparison can come here).
        s.factor = n != 0.0 ? round15(1.0 / n) : 0.0;
        s.computedPayment = amount * s.factor;
        s.factorPayment = amount * roundThroughMask(s.factor, "########.00#####");
        s.presentValueCheck = roundThroughMask(s.computedPayment * n, "########.00");
        return s;
    }
    const double f = std::pow(1.0 + i, n);
    s.factor = round15(i / (1.0 - 1.0 / f));
    s.computedPayment = amount * s.factor;
    s.factorPayment = amount * roundThroughMask(s.factor, "########.00#####");
    s.presentValueCheck = roundThroughMask(s.computedPayment * (1.0 - std::pow(1.0 + i, -n)) / i, "########.00");
    return s;
}

RateSearch solveRate(double amount, std::int32_t termMonths, bool biweekly, Mills4 target) {
    RateSearch r;
    const double goal = target.toDouble();
    const std::string text = shortestDecimal(goal);
    int d = 0;
    if (auto dot = text.find('.'); dot != std::string::npos) d = static_cast<int>(text.size() - dot - 1);
    if (d > 4) d = 4;
    const std::string mask = "#########." + std::string(static_cast<std::size_t>(d), '#');

    float lo = 0.000001f, hi = 0.05f;
    if (goal < levelPayment(lo, amount, termMonths, biweekly).computedPayment) {
        r.failure = "BELOW 1%";
        return r;
    }
    if (goal > levelPayment(hi, amount, termMonths, biweekly).computedPayment) {
        r.failure = "ABOVE 48%";
        return r;
    }
    double previous = 0;
    int nearMissCount = 0;
    // The repeated-trial stops end every search long before this; it only bounds the loop.
    for (int trial = 1; trial <= 100000; ++trial) {
        r.trials = trial;
        const double m = (static_cast<double>(lo) + static_cast<double>(hi)) / 2.0;
        if (m == previous) break;
        PaymentSolution s = levelPayment(m, amount, termMonths, biweekly);
        const double payment = roundThroughMask(s.computedPayment, mask.c_str());
        const Mills4 paymentM = Mills4::fromDouble(payment);
        const bool near = std::fabs(payment - goal) < 0.02;
        // The same rounded rate again, still far off: no later trial can do better.
        if (s.periodicRate == previous && !near && paymentM != target) break;
        if (paymentM == target) {
            s.computedPayment = payment;
            r.ok = true;
            r.solution = s;
            return r;
        }
        if (near && ++nearMissCount > 50) {
            s.periodicRate += goal >= payment ? 0.0000005 : -0.0000005;
            s.computedPayment = goal;
            r.ok = true;
            r.solution = s;
            return r;
        }
        if (goal > payment)
            lo = static_cast<float>(s.periodicRate);
        else
            hi = static_cast<float>(s.periodicRate);
        previous = s.periodicRate;
    }
    r.failure = "CANNOT CALCULATE";
    return r;
}

ScheduledTotals scheduledTotals(const LoanInputs& in, const PaymentSolution& sol) {
    ScheduledTotals t;
    const double n = in.biweekly ? static_cast<double>(in.termMonths) * 26.0 / 12.0 : static_cast<double>(in.termMonths);
    const double total = roundTiesEven(roundThroughMask(n * sol.factorPayment, "########.00"), 2);
    // Whole units first, then the remaining fraction as cents.
    const double x = total - in.amount;
    const double whole = std::nearbyint(x);
    const double cents = std::nearbyint((x - whole) * 100.0);
    const Cents interest = Cents::fromUnits(static_cast<std::int64_t>(whole) * 100 + static_cast<std::int64_t>(cents));
    t.scheduledInterest = interest.toDouble();
    t.totalBalance = in.amount + t.scheduledInterest;
    t.interestBalance = toMills4(interest);
    t.balance = Cents::fromDouble(in.amount);
    const Cents pv = Cents::fromDouble(sol.presentValueCheck);
    if (t.balance < pv) {
        t.interestBalance += toMills4(pv - t.balance);
        t.totalBalance = t.interestBalance.toDouble() + t.balance.toDouble();
    }
    return t;
}

Mills4 paymentInUse(const LoanInputs& in, const PaymentSolution& sol) {
    if (!in.paymentUnknown) return in.payment;
    return Mills4::fromDouble(sol.computedPayment);
}

namespace {

// The running figures of one schedule, and the lines they make, step by step.
class ScheduleWalk {
public:
    ScheduleWalk(const LoanInputs& in, const PaymentSolution& sol, const ScheduledTotals& totals, ScheduleSink& sink)
        : in_(in), sol_(sol), totals_(totals), sink_(sink), due_(in.firstPaymentDate, in.biweekly) {
        res_.paymentCount = paymentCountFor(in.termMonths, in.biweekly);
        // Biweekly schedules count their print range and early payoff in payments.
        wholeRange_ = in.biweekly ? res_.paymentCount : in.termMonths;
        totalBalance_ = totals.totalBalance;
        balance_ = totals.balance;
        interestBalance_ = totals.interestBalance;
        currentPayment_ = Mills4::fromDouble(sol.computedPayment);
        additional_ = Cents::fromUnits(static_cast<std::int64_t>(in.additionalPayment) * 100);
    }

    ScheduleResult run() {
        opening();
        for (std::int32_t k = 1; k <= res_.paymentCount; ++k) {
            res_.lastPaymentNumber = k;
            payment(k);
            if (balance_.units == 0) break;
        }
        closing();
        return res_;
    }

private:
    ScheduleLine balances(LineKind kind) const {
        ScheduleLine l;
        l.kind = kind;
        l.totalBalance = totalBalance_;
        l.balance = balance_;
        l.interestBalance = interestBalance_;
        return l;
    }

    // The summary, the one-time extra payment and the separator of a partial print range.
    void opening() {
        sink_.line(balances(LineKind::Summary));
        if (in_.oneTimeExtra.units != 0) {
            totalBalance_ -= in_.oneTimeExtra.toDouble();
            balance_ -= in_.oneTimeExtra;
            yearPaid_ = in_.oneTimeExtra;
            yearPrincipal_ = in_.oneTimeExtra;
            grandPrincipal_ = in_.oneTimeExtra;
            ScheduleLine l = balances(LineKind::ExtraPayment);
            l.number = 1;
            l.oneTime = true;
            l.extra = in_.oneTimeExtra;
            sink_.line(l);
        }
        if (in_.printFrom != 1 || in_.printTo != wholeRange_) {
            ScheduleLine l;
            l.kind = LineKind::Separator;
            sink_.line(l);
        }
    }

    // Payment k: its interest and principal, the balances after it, and what follows it.
    void payment(std::int32_t k) {
        Cents interest = Cents::fromDouble(sol_.periodicRate * balance_.toDouble());
        Cents principal;
        if (balance_.units == 0) {
            interest = Cents{};
            currentPayment_ = Mills4{};
        } else {
            applyPayment(k, interest, principal);
        }
        due_.advance(k);
        const bool inRange = in_.printFrom <= k && k <= in_.printTo;
        if (inRange) {
            ScheduleLine l = balances(LineKind::Payment);
            l.number = k;
            l.dueDate = due_.text();
            l.payment = currentPayment_;
            l.shownPayment = (currentPayment_ + toMills4(additional_)).toDouble();
            l.principal = principal;
            l.interest = interest;
            sink_.line(l);
        }
        if (k >= in_.printFrom) {
            yearPaid_ += principal + interest;
            yearPrincipal_ += principal;
            yearInterest_ += interest;
            yearAdditional_ += additional_;
            grandPrincipal_ += principal;
            grandInterest_ += interest;
            grandAdditional_ += additional_;
        }
        perYearExtra(k);
        if (due_.month() == in_.fiscalYearEndMonth && (!in_.biweekly || due_.lastInMonth())) {
            if (inRange) yearTotal();
            clearYear();
        }
    }

    void applyPayment(std::int32_t k, Cents& interest, Cents& principal) {
        if (toMills4(interest + balance_) < currentPayment_) currentPayment_ = toMills4(interest + balance_);
        principal = toCents(currentPayment_ - toMills4(interest));
        if (k == res_.paymentCount) {
            // The last payment takes up every rounding difference and leaves nothing owed.
            principal = balance_;
            interest = toCents(interestBalance_);
            currentPayment_ = interestBalance_ + toMills4(balance_);
        }
        balance_ -= principal;
        interestBalance_ -= toMills4(interest);
        totalBalance_ = interestBalance_.toDouble() + balance_.toDouble();
        if (totalBalance_ < 0) {
            currentPayment_ += Mills4::fromDouble(totalBalance_);
            totalBalance_ = 0;
        }
        if (balance_.units < 0) {
            principal += balance_;
            balance_ = Cents{};
        }
        if (interestBalance_.units < 0) {
            interest = addToCents(interest, interestBalance_);
            interestBalance_ = Mills4{};
        }
    }

    // The yearly extra payment after every twelfth monthly payment, while the balance holds it.
    void perYearExtra(std::int32_t k) {
        if (in_.biweekly || k % 12 != 0 || in_.perYearExtra.units == 0 || balance_ < in_.perYearExtra) return;
        balance_ -= in_.perYearExtra;
        totalBalance_ -= in_.perYearExtra.toDouble();
        yearPaid_ += in_.perYearExtra;
        yearPrincipal_ += in_.perYearExtra;
        grandPrincipal_ += in_.perYearExtra;
        ScheduleLine l = balances(LineKind::ExtraPayment);
        l.number = k;
        l.extra = in_.perYearExtra;
        sink_.line(l);
    }

    void yearTotal() {
        ScheduleLine y;
        y.kind = LineKind::YearTotal;
        y.sumPaid = yearPaid_;
        y.sumPrincipal = yearPrincipal_;
        y.sumInterest = yearInterest_;
        y.sumAdditional = yearAdditional_;
        sink_.line(y);
    }
    void clearYear() { yearPaid_ = yearPrincipal_ = yearInterest_ = yearAdditional_ = Cents{}; }

    // The last year's total, the totals and, when the loan ends early, the payoff paragraph.
    void closing() {
        if (yearPaid_.units != 0 || yearPrincipal_.units != 0 || yearInterest_.units != 0) {
            yearTotal();
            clearYear();
        }
        res_.grandPrincipal = grandPrincipal_;
        res_.grandInterest = grandInterest_;
        res_.grandAdditional = grandAdditional_;
        res_.grandPaid = grandPrincipal_ + grandInterest_;
        res_.finalBalance = balance_;
        res_.finalInterestBalance = interestBalance_;
        ScheduleLine l;
        l.kind = LineKind::Totals;
        l.sumPaid = res_.grandPaid;
        l.sumPrincipal = grandPrincipal_;
        l.sumInterest = grandInterest_;
        l.sumAdditional = grandAdditional_;
        sink_.line(l);
        if (res_.lastPaymentNumber < wholeRange_) earlyPayoff();
    }

    void earlyPayoff() {
        ScheduleLine l;
        l.kind = LineKind::EarlyPayoff;
        const std::int32_t saved = wholeRange_ - res_.lastPaymentNumber;
        l.monthsSaved = in_.biweekly ? static_cast<std::int32_t>(std::nearbyint(saved * 12.0 / 26.0)) : saved;
        l.oneTimeExtra = in_.oneTimeExtra;
        l.perYearExtra = in_.perYearExtra;
        l.paymentAtCents = toCents(paymentInUse(in_, sol_)).toDouble();
        l.computedAtCents = roundTiesEven(sol_.computedPayment, 2);
        l.wouldHavePaid = in_.amount + totals_.scheduledInterest +
                          static_cast<double>(wholeRange_) * static_cast<double>(in_.additionalPayment);
        l.savings = interestBalance_.toDouble();
        sink_.line(l);
    }

    const LoanInputs& in_;
    const PaymentSolution& sol_;
    const ScheduledTotals& totals_;
    ScheduleSink& sink_;
    DueDate due_;
    ScheduleResult res_;
    std::int32_t wholeRange_ = 0;
    double totalBalance_ = 0;
    Cents balance_;
    Mills4 interestBalance_;
    Mills4 currentPayment_;
    Cents additional_;
    Cents yearPaid_, yearPrincipal_, yearInterest_, yearAdditional_;
    Cents grandPrincipal_, grandInterest_, grandAdditional_;
};

}  // namespace

ScheduleResult runSchedule(const LoanInputs& in, const PaymentSolution& sol, const ScheduledTotals& totals,
                           ScheduleSink& sink) {
    return ScheduleWalk(in, sol, totals, sink).run();
}

void balloonFirstDate(const std::string& text, std::int32_t& month, std::int32_t& day, std::int32_t& year) {
    auto number = [](const std::string& s) { return static_cast<std::int32_t>(std::nearbyint(leadingNumber(s))); };
    const std::size_t len = text.size();
    const std::string lastTwo = len >= 2 ? text.substr(len - 2) : text;
    month = number(text.substr(0, 2));
    year = number(lastTwo);
    if (len == 6) {
        day = number(text.substr(2, 2));
        year = number(text.substr(4, 2));
    } else if (len == 8 || len == 10) {
        day = number(text.substr(3, 2));
    } else if (len == 5) {
        day = 1;
    } else {
        day = 0;
    }
}

BalloonSchedule runBalloonSchedule(const LoanInputs& in, double fyeValue) {
    BalloonSchedule b;
    const double r = in.annualRate / 12.0;
    const double payment = in.payment.toDouble();
    if (payment < in.amount * r) {
        b.paymentTooSmall = true;
        return b;
    }
    const std::int32_t n = in.termMonths;
    std::vector<Cents> balances(static_cast<std::size_t>(n > 0 ? n : 0) + 1);
    std::vector<Cents> interests(balances.size());
    balances[0] = Cents::fromDouble(in.amount);
    for (std::int32_t i = 1; i <= n; ++i) {
        interests[i] = Cents::fromDouble(balances[i - 1].toDouble() * r);
        balances[i] = Cents::fromDouble(balances[i - 1].toDouble() - (payment - interests[i].toDouble()));
        // A payment far above the interest overpays the loan, and the overpaid balance then
        // grows with the rate; stop before the figures leave what the money types hold.
        if (std::fabs(balances[i].toDouble()) >= kMoneyLimit) {
            b.tooLarge = true;
            return b;
        }
        b.totalInterest += interests[i];
    }
    b.balloon = balances[n > 0 ? n : 0];
    double totalBalance = (n > 0 ? n : 0) * payment + b.balloon.toDouble();
    double interestBalance = b.totalInterest.toDouble();

    std::int32_t month = 0, day = 0, year = 0;
    balloonFirstDate(in.firstPaymentDate, month, day, year);
    for (std::int32_t i = 1; i <= n; ++i) {
        if (i > 1 && ++month > 12) {
            month = 1;
            ++year;
        }
        totalBalance -= payment;
        interestBalance -= interests[i].toDouble();
        BalloonRow row;
        row.number = i;
        row.month = month;
        row.day = day;
        row.year = year;
        row.payment = in.payment;
        row.totalBalance = totalBalance;
        row.principal = payment - interests[i].toDouble();
        row.balance = balances[i];
        row.interest = interests[i];
        row.interestBalance = interestBalance;
        row.yearEnd = month == fyeValue;
        b.rows.push_back(row);
    }
    return b;
}

}  // namespace dp
