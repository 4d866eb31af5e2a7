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

ScheduleResult runSchedule(const LoanInputs& in, const PaymentSolution& sol, const ScheduledTotals& totals,
                           ScheduleSink& sink) {
    ScheduleResult res;
    const std::int32_t count = paymentCountFor(in.termMonths, in.biweekly);
    res.paymentCount = count;
    // Biweekly schedules count their print range and early payoff in payments.
    const std::int32_t wholeRange = in.biweekly ? count : in.termMonths;

    double totalBalance = totals.totalBalance;
    Cents balance = totals.balance;
    Mills4 interestBalance = totals.interestBalance;
    Cents yearPaid, yearPrincipal, yearInterest, yearAdditional;
    Cents grandPrincipal, grandInterest, grandAdditional;

    ScheduleLine l;
    l.kind = LineKind::Summary;
    l.totalBalance = totalBalance;
    l.balance = balance;
    l.interestBalance = interestBalance;
    sink.line(l);

    if (in.oneTimeExtra.units != 0) {
        totalBalance -= in.oneTimeExtra.toDouble();
        balance -= in.oneTimeExtra;
        yearPaid = in.oneTimeExtra;
        yearPrincipal = in.oneTimeExtra;
        grandPrincipal = in.oneTimeExtra;
        l = ScheduleLine{};
        l.kind = LineKind::ExtraPayment;
        l.number = 1;
        l.oneTime = true;
        l.extra = in.oneTimeExtra;
        l.totalBalance = totalBalance;
        l.balance = balance;
        l.interestBalance = interestBalance;
        sink.line(l);
    }
    if (in.printFrom != 1 || in.printTo != wholeRange) {
        l = ScheduleLine{};
        l.kind = LineKind::Separator;
        sink.line(l);
    }

    Mills4 currentPayment = Mills4::fromDouble(sol.computedPayment);
    const Cents additional = Cents::fromUnits(static_cast<std::int64_t>(in.additionalPayment) * 100);
    DueDate due(in.firstPaymentDate, in.biweekly);

    auto emitYearTotal = [&] {
        ScheduleLine y;
        y.kind = LineKind::YearTotal;
        y.sumPaid = yearPaid;
        y.sumPrincipal = yearPrincipal;
        y.sumInterest = yearInterest;
        y.sumAdditional = yearAdditional;
        sink.line(y);
    };
    auto clearYear = [&] { yearPaid = yearPrincipal = yearInterest = yearAdditional = Cents{}; };

    for (std::int32_t k = 1; k <= count; ++k) {
        res.lastPaymentNumber = k;
        Cents interest = Cents::fromDouble(sol.periodicRate * balance.toDouble());
        Cents principal;
        if (balance.units == 0) {
            interest = Cents{};
            currentPayment = Mills4{};
        } else {
            if (toMills4(interest + balance) < currentPayment) currentPayment = toMills4(interest + balance);
            principal = toCents(currentPayment - toMills4(interest));
            if (k == count) {
                // The last payment takes up every rounding difference and leaves nothing owed.
                principal = balance;
                interest = toCents(interestBalance);
                currentPayment = interestBalance + toMills4(balance);
            }
            balance -= principal;
            interestBalance -= toMills4(interest);
            totalBalance = interestBalance.toDouble() + balance.toDouble();
            if (totalBalance < 0) {
                currentPayment += Mills4::fromDouble(totalBalance);
                totalBalance = 0;
            }
            if (balance.units < 0) {
                principal += balance;
                balance = Cents{};
            }
            if (interestBalance.units < 0) {
                interest = addToCents(interest, interestBalance);
                interestBalance = Mills4{};
            }
        }
        due.advance(k);
        const bool inRange = in.printFrom <= k && k <= in.printTo;
        if (inRange) {
            l = ScheduleLine{};
            l.kind = LineKind::Payment;
            l.number = k;
            l.dueDate = due.text();
            l.payment = currentPayment;
            l.shownPayment = (currentPayment + toMills4(additional)).toDouble();
            l.totalBalance = totalBalance;
            l.principal = principal;
            l.balance = balance;
            l.interest = interest;
            l.interestBalance = interestBalance;
            sink.line(l);
        }
        if (k >= in.printFrom) {
            yearPaid += principal + interest;
            yearPrincipal += principal;
            yearInterest += interest;
            yearAdditional += additional;
            grandPrincipal += principal;
            grandInterest += interest;
            grandAdditional += additional;
        }
        if (!in.biweekly && k % 12 == 0 && in.perYearExtra.units != 0 && balance >= in.perYearExtra) {
            balance -= in.perYearExtra;
            totalBalance -= in.perYearExtra.toDouble();
            yearPaid += in.perYearExtra;
            yearPrincipal += in.perYearExtra;
            grandPrincipal += in.perYearExtra;
            l = ScheduleLine{};
            l.kind = LineKind::ExtraPayment;
            l.number = k;
            l.extra = in.perYearExtra;
            l.totalBalance = totalBalance;
            l.balance = balance;
            l.interestBalance = interestBalance;
            sink.line(l);
        }
        if (due.month() == in.fiscalYearEndMonth && (!in.biweekly || due.lastInMonth())) {
            if (inRange) emitYearTotal();
            clearYear();
        }
        if (balance.units == 0) break;
    }

    if (yearPaid.units != 0 || yearPrincipal.units != 0 || yearInterest.units != 0) {
        emitYearTotal();
        clearYear();
    }
    res.grandPrincipal = grandPrincipal;
    res.grandInterest = grandInterest;
    res.grandAdditional = grandAdditional;
    res.grandPaid = grandPrincipal + grandInterest;
    res.finalBalance = balance;
    res.finalInterestBalance = interestBalance;

    l = ScheduleLine{};
    l.kind = LineKind::Totals;
    l.sumPaid = res.grandPaid;
    l.sumPrincipal = grandPrincipal;
    l.sumInterest = grandInterest;
    l.sumAdditional = grandAdditional;
    sink.line(l);

    if (res.lastPaymentNumber < wholeRange) {
        l = ScheduleLine{};
        l.kind = LineKind::EarlyPayoff;
        const std::int32_t saved = wholeRange - res.lastPaymentNumber;
        l.monthsSaved = in.biweekly ? static_cast<std::int32_t>(std::nearbyint(saved * 12.0 / 26.0)) : saved;
        l.oneTimeExtra = in.oneTimeExtra;
        l.perYearExtra = in.perYearExtra;
        l.paymentAtCents = toCents(paymentInUse(in, sol)).toDouble();
        l.computedAtCents = roundTiesEven(sol.computedPayment, 2);
        l.wouldHavePaid = in.amount + totals.scheduledInterest +
                          static_cast<double>(wholeRange) * static_cast<double>(in.additionalPayment);
        l.savings = interestBalance.toDouble();
        sink.line(l);
    }
    return res;
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
