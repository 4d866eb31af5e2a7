#include "report/depreciation_report.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

#include "engine/dates.h"
#include "engine/depreciation.h"
#include "engine/report_options.h"
#include "entry/procedures.h"
#include "entry/session.h"
#include "format/number_format.h"
#include "platform/files.h"
#include "platform/message.h"
#include "register/asset_files.h"
#include "report/print_report.h"

namespace dp {
namespace {

constexpr int kPageLimit = 55;
constexpr char kSingleRule = '\xC4';
constexpr char kDoubleRule = '\xCD';

// Printer set-up codes at the top of every page, passed through to the print spooling.
const std::string kPageControl = std::string("\x1bk") + char(66) + "\x1b" + char(34) + "y" + "\x1b" + char(34) +
                                 "Q" + char(17) + "\x1b" + "E";
// Printer codes ahead of the recap and of each page that continues it.
const std::string kRecapControl = std::string("\x1bX") + char(30) + char(20) + char(0);
// A reverse feed of one sixth of an inch: the marker lands on the asset line just printed.
const std::string kReverseFeed = std::string("\x1bj") + char(36);

const char* const kColumnHeading1 =
    "--------------Assets-------------   Date   -----------Asset Value----------               "
    "---------Accumulated Depreciaton---------";
const char* const kColumnHeading2 =
    "No.    Description                Acquired       Cost    Salvage        Net  Meth/Rate       Prior    "
    "Sustn'd    Cancl'd     Ending";

const char* const kSummary[] = {
    "SL   = Straight Line                   |  E = ACRS Mid Quarter       ",
    "Dxxx = Declining Balance               |  F = MACRS 3-31.5 Yr S/L  Mid Month  ",
    "A    = ACRS 3,5,10,15 Yr               |  G = ACRS Real Est (18 yr)  ",
    "Bxxx = MACRS 3-20 Yr Declining Balance |  H = ACRS Real Est (19 yr)  ",
    "     xxx indicates percentage of straight-line (200 or 150 usually).",
};

struct RecapMethod {
    char letter;
    const char* title;
};
constexpr RecapMethod kRecapMethods[7] = {
    {'D', "Declining Balance D Method"}, {'B', "Declining Balance B Method"}, {'E', "Depreciation E Method"},
    {'F', "Depreciation F Method"},      {'G', "Depreciation G Method"},      {'H', "Depreciation H Method"},
    {'A', "Depreciation A Method"},
};

// Totals saturate instead of wrapping: a record with absurd figures must not turn the report's
// sums into other numbers.
Cents plus(Cents a, Cents b) {
    std::int64_t r = 0;
    if (__builtin_add_overflow(a.units, b.units, &r))
        r = b.units > 0 ? std::numeric_limits<std::int64_t>::max() : std::numeric_limits<std::int64_t>::min();
    return Cents::fromUnits(r);
}
Cents minus(Cents a, Cents b) {
    std::int64_t r = 0;
    if (__builtin_sub_overflow(a.units, b.units, &r))
        r = b.units < 0 ? std::numeric_limits<std::int64_t>::max() : std::numeric_limits<std::int64_t>::min();
    return Cents::fromUnits(r);
}

int recapSlot(char letter) {
    for (int i = 0; i < 7; ++i)
        if (kRecapMethods[i].letter == letter) return i;
    return -1;
}

// Column of a centred text: (132 - length) / 2, a half going to the even neighbour.
int centredColumn(std::size_t length) {
    const long room = 132 - static_cast<long>(length);
    long c = room / 2;
    if (room % 2 != 0) {
        const long lower = (room - 1) / 2;
        c = lower % 2 == 0 ? lower : lower + 1;
    }
    return c < 1 ? 1 : static_cast<int>(c);
}

// Characters 1-2, "/", 3-4, "/", the last two: how the report writes a date text.
std::string slashedDate(const std::string& d) {
    auto mid = [&d](std::size_t from, std::size_t n) { return from < d.size() ? d.substr(from, n) : std::string(); };
    const std::string last = d.size() >= 2 ? d.substr(d.size() - 2) : d;
    return mid(0, 2) + "/" + mid(2, 2) + "/" + last;
}

// A number as the report writes it in running text: a blank in front unless it is negative.
std::string withLeadingBlank(double v) {
    const std::string s = shortestDecimal(v);
    return !s.empty() && s[0] == '-' ? s : " " + s;
}

std::string blanked(std::string s) {
    for (char& c : s)
        if (c == '\0') c = ' ';
    return s;
}

}  // namespace

std::string reportPeriodText(std::int32_t periodMonths, const std::string& enteredDate) {
    return "For the " + withLeadingBlank(periodMonths) + (periodMonths == 1 ? " month" : " months") + " ending " +
           enteredDate;
}

std::string rateText(double rate) {
    std::string s = withLeadingBlank(rate);
    if (rate > 1) s += " YRS";
    else if (s.size() < 6) s.resize(6, ' ');
    return fixedText(s, 5);
}

int recapIndex(char letter, std::string_view method, double rate) {
    auto clamp = [](double v) {
        if (!(v <= kMaxRecapIndex)) return kMaxRecapIndex;  // above the table, or not a number
        return static_cast<int>(roundTiesEven(v, 0));
    };
    if (letter == 'G' ? rate > 0 : rate >= 1) return clamp(rate);
    const double n = leadingNumber(method.size() > 1 ? trimBoth(method.substr(1)) : std::string());
    if (n > 0) return clamp(n);
    return kMaxRecapIndex;
}

// ---------------------------------------------------------------------------------------------
// Layout

DepreciationReportLayout::DepreciationReportLayout(ReportHeading heading) : heading_(std::move(heading)) {
    for (char& c : heading_.companyLine)
        if (static_cast<unsigned char>(c) < 28) c = ' ';
}

std::string DepreciationReportLayout::take() {
    std::string s = std::move(out_);
    out_.clear();
    return s;
}

void DepreciationReportLayout::write(std::string_view s) {
    out_.append(s);
    lineBytes_ += s.size();
}

void DepreciationReportLayout::line(std::string_view s) {
    out_.append(s);
    out_ += "\r\n";
    lineBytes_ = 0;
}

void DepreciationReportLayout::column(int n) {
    const std::size_t want = n > 1 ? static_cast<std::size_t>(n - 1) : 0;
    if (lineBytes_ > want) line();
    if (lineBytes_ < want) {
        out_.append(want - lineBytes_, ' ');
        lineBytes_ = want;
    }
}

void DepreciationReportLayout::money(double value) { write(moneyColumn(value)); }
void DepreciationReportLayout::money(Cents value) { write(moneyColumn(value)); }

void DepreciationReportLayout::newReportPage() {
    if (page_ > 0) write("\f");
    line(kPageControl);
    ++page_;
    count_ = 1;
    write(slashedDate(heading_.enteredDate));
    column(centredColumn(heading_.companyLine.size()));
    write(heading_.companyLine);
    column(123);
    write("Page  " + formatNumber(static_cast<double>(page_), "###"));
    line();
    column(centredColumn(19));
    line("Depreciation Report");
    const std::string basis = heading_.basis == "B" ? "BOOK BASIS" : "TAX BASIS";
    column(centredColumn(basis.size()));
    line(basis);
    ++count_;
    column(centredColumn(heading_.periodText.size()));
    line(heading_.periodText);
    ++count_;
    line(std::string(132, kDoubleRule));
    ++count_;
    line(kColumnHeading1);
    ++count_;
    line(kColumnHeading2);
    ++count_;
    line(std::string(132, kDoubleRule));
    ++count_;
}

void DepreciationReportLayout::headingRow(std::string_view description) {
    line(description);
    line(std::string(trimRight(description).size(), kSingleRule));
    count_ += 2;
}

void DepreciationReportLayout::amountsLine(const Totals& t) {
    const Cents deductions = plus(plus(t.expense, t.salvage), t.bonus3050);
    column(44);
    money(t.cost);
    money(deductions);
    money(minus(t.cost, deductions));
    column(89);
    money(t.prior);
    money(t.current);
    money(t.cancelled);
    money(minus(plus(t.current, t.prior), t.cancelled));
    line();
}

void DepreciationReportLayout::subtotalRow(std::string_view description) {
    line(std::string(132, kSingleRule));
    write("      " + fixedText(description, 26));
    amountsLine(sub_);
    count_ += 3;
    line(std::string(132, kSingleRule));
    sub_.reset();
    if (count_ >= kPageLimit) newReportPage();
}

void DepreciationReportLayout::asset(const ReportAsset& a) {
    const double deductions = a.expense + a.salvage + a.bonus3050;
    write(fixedText(a.assetNumber, 6) + " ");
    column(8);
    write(fixedText(a.description, 26));
    column(35);
    write(slashedDate(a.acquiredText));
    column(44);
    money(a.cost);
    column(55);
    money(deductions);
    column(66);
    money(a.cost - deductions);
    column(78);
    write(fixedText(a.method, 5) + rateText(a.rate) + " ");
    column(89);
    money(a.prior);
    column(100);
    money(a.current);
    column(111);
    money(a.cancelled);
    column(122);
    money(a.current + a.prior - a.cancelled);
    line();
    // The marker goes with its asset line, before any page break: its reverse feed must never
    // land on the next page's heading.
    const char* marker = a.expense != 0 ? "E " : a.bonus3050 != 0 ? "R " : nullptr;
    if (marker) {
        column(65);
        write(kReverseFeed);
        line(marker);
    }
    ++count_;
    if (count_ > kPageLimit) newReportPage();

    const Cents cost = Cents::fromDouble(a.cost);
    const Cents salvage = Cents::fromDouble(a.salvage);
    const Cents expense = Cents::fromDouble(a.expense);
    const Cents bonus3050 = Cents::fromDouble(a.bonus3050);
    if (a.cancelled != 0 || a.sold) {
        column(5);
        write("SOLD");
        column(44);
        money(-a.cost);
        if (a.salvage != 0) {
            column(55);
            money(-a.salvage);
        }
        column(66);
        money(-a.cost);
        line();
        ++count_;
        if (count_ > kPageLimit) newReportPage();
        for (Totals* t : {&sub_, &grand_}) {
            t->cost = minus(t->cost, cost);
            t->salvage = minus(t->salvage, salvage);
            t->expense = minus(t->expense, expense);
            t->bonus3050 = minus(t->bonus3050, bonus3050);
        }
    }

    const bool wholeYearShare = a.periodMonths >= a.serviceMonths;
    const Cents expenseShare =
        wholeYearShare ? Cents::fromDouble(a.expense * a.periodMonths / 12) : expense;
    const Cents prior = Cents::fromDouble(a.prior);
    const Cents current = Cents::fromDouble(a.current);
    const Cents cancelled = Cents::fromDouble(a.cancelled);
    for (Totals* t : {&sub_, &grand_}) {
        t->cost = plus(t->cost, cost);
        t->salvage = plus(t->salvage, salvage);
        t->expense = plus(t->expense, expenseShare);
        t->bonus3050 = plus(t->bonus3050, bonus3050);
        t->prior = plus(t->prior, prior);
        t->current = plus(t->current, current);
        t->cancelled = plus(t->cancelled, cancelled);
    }

    const char letter = a.method.empty() ? ' ' : a.method[0];
    if (letter == 'S') straightLine_ = plus(straightLine_, current);
    if (const int slot = recapSlot(letter); slot >= 0) {
        Cents& line = methodRecap_[static_cast<std::size_t>(slot)][recapIndex(letter, a.method, a.rate)];
        line = plus(line, current);
    }
    if (std::string_view("ABSEFGH").find(letter) == std::string_view::npos) otherMethods_ = plus(otherMethods_, current);
    if (a.addsToBonus && wholeYearShare && a.prior == 0)
        bonus_ = plus(bonus_, Cents::fromDouble(roundTiesEven(a.bonus, 0)));
}

void DepreciationReportLayout::controlX() { line(kRecapControl); }

void DepreciationReportLayout::recapLine(std::string_view label, Cents amount) {
    write(label);
    column(30);
    const std::string s = std::string(13, ' ') + formatNumber(amount, "#,.00");
    write(s.substr(s.size() - 13));
    line();
}

void DepreciationReportLayout::recapPageTest() {
    if (count_ <= 50) return;
    newReportPage();
    controlX();
    line("Recap of depreciation methods continued");
    line("---------------------------------------");
}

void DepreciationReportLayout::finish() {
    // Totals.
    line(std::string(132, kSingleRule));
    write("      TOTALS FOR ALL ASSETS");
    amountsLine(grand_);
    line(std::string(132, kDoubleRule));
    line();
    line();
    line();
    count_ += 4;
    if (count_ > 50) newReportPage();

    // Recap by method.
    controlX();
    line("Recap of depreciation methods");
    line("-----------------------------");
    if (straightLine_ != Cents{}) recapLine("Straight Line      ", straightLine_);
    count_ += 4;
    recapPageTest();
    for (std::size_t i = 0; i < 7; ++i) {
        const auto& table = methodRecap_[i];
        bool any = false;
        for (const auto& [index, amount] : table) any = any || amount != Cents{};
        if (!any) continue;
        line(kRecapMethods[i].title);
        ++count_;
        recapPageTest();
        for (const auto& [index, amount] : table) {
            if (amount == Cents{}) continue;
            recapLine(std::string(1, kRecapMethods[i].letter) + " - " + withLeadingBlank(index), amount);
            ++count_;
            recapPageTest();
        }
    }
    if (otherMethods_ != Cents{}) {
        recapLine("Other methods ", otherMethods_);
        ++count_;
        recapPageTest();
    }
    if (count_ > 50) newReportPage();
    line();
    ++count_;
    if (count_ > 47) {
        newReportPage();
        controlX();
    }
    if (grand_.expense != Cents{}) {
        recapLine("Total Expense (Code E)", grand_.expense);
        ++count_;
    }
    if (grand_.bonus3050 != Cents{}) {
        recapLine("Total 30/50 Bonus (Code R)", grand_.bonus3050);
        ++count_;
    }
    if (bonus_ != Cents{}) {
        recapLine("Total Bonus Depreciation", bonus_);
        ++count_;
    }
    line();
    ++count_;
    if (count_ > 47) {
        newReportPage();
        controlX();
    }

    // Method code summary.
    line("DEPRECIATION METHOD CODE SUMMARY");
    ++count_;
    if (count_ > 50) {
        newReportPage();
        controlX();
        line("DEPRECIATION METHOD CODE SUMMARY");
        ++count_;
    }
    if (count_ > 49) {
        newReportPage();
        controlX();
    }
    line("--------------------------------");
    for (const char* s : kSummary) line(s);
    write("\f");
    line();
}

// ---------------------------------------------------------------------------------------------
// The run

namespace {

bool finiteBlock(const BasisBlock& b) {
    for (double v : {b.Rate, b.Cost, b.Bonus, b.Salvage, b.Expense, b.Bonus3050, b.PriorDepr, b.CurrentDepr,
                     b.Cancelled})
        if (!std::isfinite(v)) return false;
    return true;
}

ReportAsset reportAsset(const AssetRecord& rec, const AssetFigures& f) {
    ReportAsset a;
    a.assetNumber = rec.AssetNumber;
    a.description = rec.Description;
    a.acquiredText = date6ToText(rec.DateAcquired, false);
    a.method = f.amounts.Method;
    a.rate = f.amounts.Rate;
    a.cost = f.amounts.Cost;
    a.bonus = f.amounts.Bonus;
    a.salvage = f.amounts.Salvage;
    a.expense = f.amounts.Expense;
    a.bonus3050 = f.amounts.Bonus3050;
    a.prior = f.amounts.PriorDepr;
    a.current = f.amounts.CurrentDepr;
    a.cancelled = f.amounts.Cancelled;
    a.periodMonths = f.periodMonths;
    a.serviceMonths = f.serviceMonths;
    a.sold = f.sold;
    a.addsToBonus = !f.manual && !f.endedAtMidMonth;
    return a;
}

void reportError(const std::string& text) {
    platform::messageBox(text, "Depreciation Report", platform::MsgIcon::Error);
}

// The asset file and its index held in memory for one run: each read in one piece, computed
// records changed in the image and written back as whole records, a block of them at a time
// (one write per block instead of one per asset keeps a full register quick).
class AssetFileImage {
public:
    static constexpr std::int64_t kBlockRecords = 64;

    void load(const platform::RecordFile& fil, const platform::RecordFile& idx, int entries) {
        path_ = fil.path();
        records_ = std::max<std::int64_t>(fil.recordCount(), 0);
        bytes_ = readWhole(path_, static_cast<std::size_t>(records_) * kAssetRecordLength);
        records_ = static_cast<std::int64_t>(bytes_.size() / kAssetRecordLength);
        dirty_.assign(static_cast<std::size_t>((records_ + kBlockRecords - 1) / kBlockRecords), false);
        index_ = readWhole(idx.path(), static_cast<std::size_t>(std::max(entries, 0)) * kIndexEntryLength);
    }

    int entries() const { return static_cast<int>(index_.size() / kIndexEntryLength); }
    IndexBytes entry(int i) const {
        IndexBytes e{};
        std::memcpy(e.data(), index_.data() + static_cast<std::size_t>(i - 1) * kIndexEntryLength, e.size());
        return e;
    }

    // False when r is not a record number of the file.
    bool read(std::int64_t r, AssetRecord& rec) const {
        if (r < 1 || r > records_) return false;
        AssetRecord::Bytes b{};
        std::memcpy(b.data(), at(r), b.size());
        rec = AssetRecord::decode(b);
        return true;
    }

    void store(std::int64_t r, const AssetRecord& rec) {
        if (r < 1 || r > records_) return;
        const AssetRecord::Bytes b = rec.encode();
        if (std::memcmp(at(r), b.data(), b.size()) == 0) return;
        std::memcpy(at(r), b.data(), b.size());
        dirty_[static_cast<std::size_t>((r - 1) / kBlockRecords)] = true;
    }

    // Writes every block that holds a changed record; the block's other records go back with
    // the bytes they were read with. A short last block goes record by record.
    bool writeBack(platform::RecordFile& fil) {
        bool ok = true;
        platform::RecordFile blocks;
        const bool haveBlocks = blocks.openExisting(path_, kBlockRecords * kAssetRecordLength);
        for (std::size_t b = 0; b < dirty_.size(); ++b) {
            if (!dirty_[b]) continue;
            const std::int64_t first = static_cast<std::int64_t>(b) * kBlockRecords + 1;
            if (haveBlocks && first + kBlockRecords - 1 <= records_) {
                ok = blocks.write(static_cast<std::int64_t>(b) + 1, at(first)) && ok;
            } else {
                for (std::int64_t r = first; r <= records_ && r < first + kBlockRecords; ++r)
                    ok = fil.write(r, at(r)) && ok;
            }
            dirty_[b] = false;
        }
        return ok;
    }

private:
    static std::vector<unsigned char> readWhole(const std::string& path, std::size_t length) {
        std::vector<unsigned char> out;
        if (length == 0) return out;
        platform::RecordFile f;
        if (!f.openExisting(path, length)) return out;
        out.resize(length);
        if (!f.read(1, out.data())) out.clear();
        return out;
    }
    unsigned char* at(std::int64_t r) { return bytes_.data() + static_cast<std::size_t>(r - 1) * kAssetRecordLength; }
    const unsigned char* at(std::int64_t r) const {
        return bytes_.data() + static_cast<std::size_t>(r - 1) * kAssetRecordLength;
    }

    std::string path_;
    std::int64_t records_ = 0;
    std::vector<unsigned char> bytes_;
    std::vector<unsigned char> index_;
    std::vector<bool> dirty_;
};

// What was left out of the report because the files do not hold it properly.
struct LeftOut {
    std::vector<std::string> lines;
    int count = 0;
    void add(std::string why) {
        if (++count <= 10) lines.push_back(std::move(why));
    }
    std::string text() const {
        std::string t = "These rows of the asset file were left out of the report and not changed:";
        for (const std::string& l : lines) t += "\r\n" + l;
        if (count > 10) t += "\r\nand " + std::to_string(count - 10) + " more.";
        return t;
    }
};

}  // namespace

void RunDepreciationReport(const std::string& clientCode) {
    Session& s = session();
    if (clientCode.empty()) {
        platform::messageBox("invalid Client Code", "Error in Client Code", platform::MsgIcon::Error);
        return;
    }
    if (!platform::directoryExists(clientCode)) {
        platform::messageBox("The data directory " + clientCode + " does not exist.", "Error in Client Code",
                             platform::MsgIcon::Error);
        return;
    }
    // The shared asset-file operations work on the session's client.
    s.clientCode = clientCode;

    CompanyRecord company;
    const int companyRecords = readCompanyFile(clientCode, company);
    std::string companyLine;
    std::string fiscalYearEnd, defaultDate;
    if (companyRecords >= 1) {
        companyLine = trimRight(blanked(company.CompanyName));
        fiscalYearEnd = date6cToText(company.FiscalYearEnd);
    }
    if (companyRecords >= 2) defaultDate = date6cToText(company.CurrentPeriod);
    if (companyRecords >= 3) {
        const std::string second = trimRight(blanked(company.CompanyName2));
        if (!second.empty()) companyLine += " " + second;
    }

    ReportOptions& options = reportOptions();
    options.reportDate = defaultDate;
    showReportOptions();
    if (s.abortRequested) {
        s.abortRequested = 0;
        return;
    }

    const EngineInputs inputs = makeEngineInputs(options, fiscalYearEnd);
    if (!acceptReportPeriod(inputs.periodMonths)) return;
    const std::string periodText = reportPeriodText(inputs.periodMonths, options.reportDate);

    const std::string reportPath = dataPath(clientCode, "report.txt");
    platform::TextFile report;
    if (!report.create(reportPath)) {
        reportError("The report file " + reportPath + " cannot be created; no asset was changed.");
        return;
    }
    OpenAssetFiles();
    RegisterState& r = reg();
    AssetFileImage assets;
    assets.load(r.fil, r.idx, r.entryCount);
    const int count = r.entryCount;

    if (options.reportDate.empty()) options.reportDate = defaultDate;
    DepreciationReportLayout layout({options.reportDate, companyLine, options.reportBasis, periodText});
    layout.newReportPage();

    const bool basisValid = options.reportBasis == "B" || options.reportBasis == "T";
    const char basis = options.reportBasis == "B" ? 'B' : 'T';
    LeftOut leftOut;
    for (int i = 1; i <= count; ++i) {
        if (i > assets.entries()) {
            leftOut.add("index entry " + std::to_string(i) + " cannot be read");
            continue;
        }
        const IndexBytes entry = assets.entry(i);
        const std::int16_t recordNumber = indexRecordNumber(entry);
        AssetRecord rec;
        if (!assets.read(recordNumber, rec)) {
            leftOut.add("asset " + trimRight(blanked(indexKey(entry))) + ": its index entry points to record " +
                        std::to_string(recordNumber) + ", which the asset file does not hold");
            continue;
        }
        if (rec.AssetNumber == "      ") continue;
        rec.AssetNumber = blanked(rec.AssetNumber);
        rec.Description = blanked(rec.Description);
        if (trimBoth(rec.Description) == kDeletedMark) continue;
        if (rec.Tax.Code4562.find("11") != std::string::npos) continue;
        if (date6IsMarker(rec.DateAcquired, 'H')) {
            layout.headingRow(rec.Description);
        } else if (date6IsMarker(rec.DateAcquired, 'S')) {
            layout.subtotalRow(rec.Description);
        } else {
            if (!basisValid) {
                platform::messageBox("Invalid Basis selected", "Error", platform::MsgIcon::Error);
                break;
            }
            if (!finiteBlock(rec.block(basis))) {
                leftOut.add("asset " + trimRight(rec.AssetNumber) + ": its amounts are not numbers");
                continue;
            }
            const AssetFigures figures = computeDepreciation(rec, inputs);
            // Manual rows keep their stored figures and are not written.
            if (!figures.manual) assets.store(recordNumber, figures.record);
            layout.asset(reportAsset(rec, figures));
        }
        if (layout.text().size() >= (1u << 16)) report.write(layout.take());
    }
    const bool stored = assets.writeBack(r.fil);
    layout.finish();
    report.write(layout.take());
    const bool written = report.good();
    report.close();
    platform::closeAllFiles();

    if (leftOut.count > 0) reportError(leftOut.text());
    if (!stored)
        reportError("The current depreciation could not be stored in the asset file for every asset; the report "
                    "shows the new figures, the asset file may still hold those of the last report.");
    if (!written) {
        reportError("The report file " + reportPath + " could not be written completely; it was not printed.");
        return;
    }
    printReportFile(reportPath, reportPath, "DPRPT");
}

}  // namespace dp
