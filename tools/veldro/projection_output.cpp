#include "projection_output.h"

#include <algorithm>

#include "cp437_text.h"
#include "csv.h"
#include "format/number_format.h"
#include "register_export.h"
#include "report/report_layout.h"

namespace veldro {
namespace {

constexpr int kPageLimit = 55;
constexpr char kSingleRule = '\xC4';
constexpr char kDoubleRule = '\xCD';
constexpr std::size_t kLabelWidth = 33;  // asset number, a blank, 26 characters of description
const std::string kBlankColumn(11, ' ');

// Blanks up to the column (from 0); a text already past it is left as it is.
void padTo(std::string& s, std::size_t column) {
    if (s.size() < column) s.resize(column, ' ');
}

std::string rightAligned(const std::string& s, std::size_t width) {
    return s.size() >= width ? s : std::string(width - s.size(), ' ') + s;
}

// MMDDYYYY as MM/DD/YYYY.
std::string longDate(const std::string& d) { return d.substr(0, 2) + "/" + d.substr(2, 2) + "/" + d.substr(4); }

std::string isoDate(const std::string& d) { return d.substr(4) + "-" + d.substr(0, 2) + "-" + d.substr(2, 2); }

// The amounts of one line of a band: a column per year, then what is left after it.
struct BandTotals {
    std::vector<dp::Cents> years;
    dp::Cents remaining;
    explicit BandTotals(std::size_t n = 0) : years(n) {}
};

class ProjectionLayout {
public:
    ProjectionLayout(const Projection& p, const ProjectionHeading& h) : p_(p), h_(h) {}

    std::vector<std::vector<std::string>> pages() {
        const std::size_t years = p_.yearEnds.size();
        for (first_ = 0; first_ < years || first_ == 0; first_ += kYearsPerBand) {
            last_ = std::min(years, first_ + kYearsPerBand);
            band();
            if (years == 0) break;
        }
        return std::move(pages_);
    }

private:
    void line(std::string s) { pages_.back().push_back(std::move(s)); }
    static std::string centred(const std::string& text) {
        return std::string(static_cast<std::size_t>(dp::centredColumn(text.size()) - 1), ' ') + text;
    }

    void newPage() {
        pages_.emplace_back();
        std::string top = p_.yearEnds.empty() ? std::string() : dp::slashedDate(p_.yearEnds.front());
        padTo(top, static_cast<std::size_t>(dp::centredColumn(h_.companyLine.size()) - 1));
        top += h_.companyLine;
        padTo(top, 122);
        line(top + "Page  " + dp::formatNumber(static_cast<double>(pages_.size()), "###"));
        line(centred("Depreciation Projection"));
        line(centred(h_.basis == 'B' ? "BOOK BASIS" : "TAX BASIS"));
        line(centred(periodText()));
        line(std::string(132, kDoubleRule));
        columnHeadings();
        line(std::string(132, kDoubleRule));
        count_ = 7;
    }

    std::string periodText() const {
        if (p_.yearEnds.empty()) return "";
        const std::string range = last_ - first_ == 1 ? "Fiscal year ending " + longDate(p_.yearEnds[first_])
                                                      : "Fiscal years ending " + longDate(p_.yearEnds[first_]) + " to " +
                                                            longDate(p_.yearEnds[last_ - 1]);
        return range + " (year" + (last_ - first_ == 1 ? " " : "s ") + std::to_string(first_ + 1) +
               (last_ - first_ == 1 ? "" : " to " + std::to_string(last_)) + " of " + std::to_string(p_.yearEnds.size()) + ")";
    }

    void columnHeadings() {
        const std::size_t span = 11 * (last_ - first_) - 1;
        std::string label;
        for (const char* l : {" Depreciation of the fiscal year ending ", " Depreciation of the year ending ", " Depreciation "})
            if (label.empty() && std::string(l).size() <= span) label = l;
        const std::size_t left = (span - label.size()) / 2;
        line("--------------Assets------------- " + std::string(left, '-') + label + std::string(span - left - label.size(), '-'));
        std::string second = dp::fixedText("No.    Description", kLabelWidth);
        for (std::size_t y = first_; y < last_; ++y) second += rightAligned(dp::slashedDate(p_.yearEnds[y]), 10) + " ";
        line(second + rightAligned("Remaining", 10));
    }

    void amounts(std::string& s, const BandTotals& t) const {
        for (const dp::Cents& c : t.years) s += dp::moneyColumn(c);
        s += dp::moneyColumn(t.remaining);
    }

    void counted(std::string s) {
        line(std::move(s));
        if (++count_ > kPageLimit) newPage();
    }

    void assetLine(const ProjectedRow& r) {
        BandTotals t(last_ - first_);
        std::string s = dp::fixedText(r.assetNumber, 6) + " " + dp::fixedText(r.description, 26);
        for (std::size_t y = first_; y < last_; ++y) {
            if (y < r.years.size()) {
                s += dp::moneyColumn(r.years[y].depreciation);
                t.years[y - first_] = r.years[y].depreciation;
            } else {
                s += kBlankColumn;
            }
        }
        if (!r.years.empty()) t.remaining = r.years[std::min(last_, r.years.size()) - 1].remaining;
        s += dp::moneyColumn(t.remaining);
        add(sub_, t);
        add(grand_, t);
        counted(std::move(s));
    }

    static void add(BandTotals& sum, const BandTotals& t) {
        for (std::size_t i = 0; i < t.years.size(); ++i) sum.years[i] = dp::saturatingAdd(sum.years[i], t.years[i]);
        sum.remaining = dp::saturatingAdd(sum.remaining, t.remaining);
    }

    void subtotalLine(const ProjectedRow& r) {
        line(std::string(132, kSingleRule));
        std::string s = dp::fixedText("      " + dp::fixedText(r.description, 26), kLabelWidth);
        amounts(s, sub_);
        line(std::move(s));
        line(std::string(132, kSingleRule));
        sub_ = BandTotals(last_ - first_);
        count_ += 3;
        if (count_ >= kPageLimit) newPage();
    }

    void band() {
        sub_ = grand_ = BandTotals(last_ - first_);
        newPage();
        for (const ProjectedRow& r : p_.rows) {
            if (r.kind == ReportRowKind::Heading) {
                line(r.description);
                line(std::string(dp::trimRight(r.description).size(), kSingleRule));
                count_ += 2;
            } else if (r.kind == ReportRowKind::Subtotal) {
                subtotalLine(r);
            } else {
                assetLine(r);
            }
        }
        line(std::string(132, kSingleRule));
        std::string s = dp::fixedText("      TOTALS FOR ALL ASSETS", kLabelWidth);
        amounts(s, grand_);
        line(std::move(s));
        line(std::string(132, kDoubleRule));
        count_ += 3;
    }

    const Projection& p_;
    const ProjectionHeading& h_;
    std::vector<std::vector<std::string>> pages_;
    std::size_t first_ = 0, last_ = 0;
    int count_ = 0;
    BandTotals sub_, grand_;
};

std::string joinPages(const std::vector<std::vector<std::string>>& pages, bool printer) {
    std::size_t size = 0;
    for (const auto& page : pages)
        for (const std::string& l : page) size += l.size() + 2;
    std::string out;
    out.reserve(size + size / 8 + pages.size() * 16);
    for (std::size_t p = 0; p < pages.size(); ++p) {
        if (p > 0) out += '\f';
        if (printer) out.append(dp::reportPageControl()).append("\r\n");
        for (const std::string& l : pages[p]) {
            if (printer) out += l;
            else appendUtf8Text(out, l);
            out += "\r\n";
        }
    }
    if (printer) out += "\f\r\n";
    return out;
}

}  // namespace

std::vector<std::vector<std::string>> projectionPages(const Projection& p, const ProjectionHeading& heading) {
    return ProjectionLayout(p, heading).pages();
}

std::string projectionText(const std::vector<std::vector<std::string>>& pages) { return joinPages(pages, false); }

std::string projectionPrinterFile(const std::vector<std::vector<std::string>>& pages) { return joinPages(pages, true); }

std::string projectionCsv(const Projection& p) {
    std::string out = csvLine({"asset_number", "description", "fiscal_year_end", "depreciation", "accumulated", "remaining"});
    std::size_t rows = 0;
    for (const ProjectedRow& r : p.rows) rows += r.years.size();
    out.reserve(out.size() + rows * 80);
    for (const ProjectedRow& r : p.rows) {
        if (r.kind != ReportRowKind::Asset) continue;
        const std::string asset = csvField(cp437ToUtf8(dp::trimRight(r.assetNumber))) + "," +
                                  csvField(cp437ToUtf8(dp::trimRight(r.description))) + ",";
        for (std::size_t y = 0; y < r.years.size(); ++y) {
            const ProjectedYear& v = r.years[y];
            out.append(asset).append(isoDate(p.yearEnds[y])).append(",").append(amountText(v.depreciation.toDouble()));
            out.append(",").append(amountText(v.accumulated.toDouble())).append(",").append(amountText(v.remaining.toDouble()));
            out += "\r\n";
        }
    }
    return out;
}

}  // namespace veldro
