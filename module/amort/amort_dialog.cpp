#include "amort/amort_dialog.h"

#include <algorithm>
#include <cctype>
#include <memory>

#include "amort/amortization.h"
#include "amort/loan_inputs.h"
#include "amort/schedule_report.h"
#include "format/number_format.h"
#include "format/text.h"
#include "platform/files.h"
#include "platform/message.h"
#include "register/asset_files.h"
#include "report/print_report.h"

namespace dp {

namespace {

using platform::ControlKind;

constexpr int kPrint = 194;
constexpr int kExit = 199;
constexpr int kBiweekly = 115;
constexpr int kHeadingBox = 201;
constexpr int kRateBox = 203;
constexpr int kPaymentBox = 205;
constexpr int kDateBox = 206;
constexpr int kDateWidth = 10;  // the longest form of a date: 07/01/2024

std::string* entryFor(LoanEntries& e, int id) {
    switch (id) {
        case 201: return &e.heading;
        case 202: return &e.amount;
        case 203: return &e.rate;
        case 204: return &e.term;
        case 205: return &e.payment;
        case 206: return &e.firstPaymentDate;
        case 207: return &e.fiscalYearEndMonth;
        case 208: return &e.printFrom;
        case 209: return &e.printTo;
        case 210: return &e.additionalPayment;
        case 212: return &e.oneTimeExtra;
        case 213: return &e.perYearExtra;
        default: return nullptr;
    }
}

// The text box of an entry; 0 when it has none.
int boxOf(std::string LoanEntries::*entry) {
    LoanEntries probe;
    for (int id = 201; id <= 213; ++id)
        if (entry && entryFor(probe, id) == &(probe.*entry)) return id;
    return 0;
}

// Nothing typed in any box: leaving such a dialog has nothing to process.
bool nothingTyped(const LoanEntries& e) {
    LoanEntries probe = e;
    for (int id = 201; id <= 213; ++id)
        if (const std::string* t = entryFor(probe, id); t && !trimBlanksAndNuls(*t).empty()) return false;
    return true;
}

// How the last showing ended, and which text box is the current field.
struct DialogState {
    AmortOutcome outcome = AmortOutcome::Process;
    int currentField = kHeadingBox;
};

// The close box processes what was typed like "Print", or leaves when nothing was.
void tellEscape(platform::Dialog& dlg) { dlg.setEscapeHint(nothingTyped(amortEntries()) ? "leave" : "print"); }

void handleEvent(DialogState& st, platform::Dialog& dlg, const platform::Event& ev) {
    LoanEntries& e = amortEntries();
    switch (ev.kind) {
        case platform::EventKind::Init:
            if (e.biweekly == "Y") dlg.check(kBiweekly);
            dlg.setFocus(st.currentField);
            return;
        case platform::EventKind::Close:
            // The close box processes the entries like "Print", without its two-unknowns test;
            // with nothing typed there is nothing to process, and it leaves like "E&xit".
            st.outcome = nothingTyped(e) ? AmortOutcome::Exit : AmortOutcome::Process;
            return;
        case platform::EventKind::Notify: {
            std::string* entry = entryFor(e, ev.id);
            if (!entry) return;
            st.currentField = ev.id;
            std::string text = dlg.text(ev.id);
            if (ev.id == kRateBox || ev.id == kPaymentBox) {
                std::string upper = text;
                std::transform(upper.begin(), upper.end(), upper.begin(),
                               [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
                if (upper != text) {
                    dlg.setText(ev.id, upper);  // notifies again and stores the upper-cased text
                    return;
                }
            }
            *entry = text;
            return;
        }
        case platform::EventKind::Command:
            break;
    }
    switch (ev.id) {
        case kBiweekly:
            if (dlg.isChecked(kBiweekly))
                e.biweekly.assign(1, 'Y');
            else
                e.biweekly.clear();
            return;
        case platform::kEnterCommand: {
            int next = st.currentField + 1;
            if (next == 211) next = 212;
            if (next < 201 || next > 213) next = 201;
            dlg.setFocus(next);
            st.currentField = next;
            return;
        }
        case kPrint:
            if (bothMarkedUnknown(e)) {
                platform::messageBox("Cannot calculate both Rate and Payment", "Error", platform::MsgIcon::Information,
                                     platform::MsgButtons::Ok, true);
                return;
            }
            st.outcome = AmortOutcome::Process;
            dlg.end();
            return;
        case kExit:
            st.outcome = AmortOutcome::Exit;
            dlg.end();
            return;
        default:
            return;
    }
}

// A refused entry: its message, and the box the dialog opens on again.
int refuse(const CheckFailure& f) {
    platform::messageBox(f.text, f.title, platform::MsgIcon::Error, platform::MsgButtons::Ok, true);
    const int box = boxOf(f.entry);
    return box != 0 ? box : kHeadingBox;
}

AmortPrinter& printer() {
    static AmortPrinter p = printReportFile;
    return p;
}

// The schedule goes to report.txt whole, or not at all: a file that could not be written is
// never handed to the printer. False after telling the user.
bool writeAndPrint(const Client& client, const std::string& bytes, const std::string& jobName) {
    const std::string path = client.path("report.txt");
    platform::TextFile file;
    bool written = file.createReplacing(path);
    if (written) {
        file.write(bytes);
        written = file.commit();
    }
    if (!written) {
        platform::messageBox("The schedule could not be written to " + path + ": " +
                                 platform::describeFileError(file.error()) + ".\r\nNothing was printed.",
                             "Amortization Schedule", platform::MsgIcon::Error);
        return false;
    }
    printer()(path, path, jobName);
    return true;
}

}  // namespace

AmortPrinter setAmortPrinter(AmortPrinter p) {
    AmortPrinter old = printer();
    printer() = p;
    return old;
}

LoanEntries& amortEntries() {
    static LoanEntries entries;
    return entries;
}

platform::DialogTemplate buildAmortDialog(const std::string& clientCode) {
    const LoanEntries& e = amortEntries();
    platform::DialogTemplate t;
    t.caption = "Amortization Schedule  (" + trimRight(clientCode) + ")";
    t.width = 340;
    t.height = 214;
    t.centred = true;
    t.systemMenu = true;
    t.topmost = true;
    t.icon = "PROGRAM";
    static const char* const captions[10] = {
        "Report heading",
        "Loan amount",
        "Annual interest rate (U=Unknown)",
        "Term (months)",
        "Base monthly payment (U=Unknown)",
        "Date of first payment",
        "Month for year end",
        "Beginning month to print",
        "Ending month to print",
        "Additional payments (taxes,insurance,etc.)",
    };
    constexpr int kLabelX = 10, kBoxX = 184, kStep = 12;
    for (int i = 0; i < 10; ++i)
        t.controls.push_back({ControlKind::Label, 101 + i, captions[i], kLabelX, 8 + kStep * i, 170, 10});
    t.controls.push_back({ControlKind::Frame, 111, "", 5, 132, 330, 34, platform::StyleGroupBox});
    t.controls.push_back({ControlKind::Label, 121, "  Accelerated Payoff", kLabelX, 128, 90, 10});
    t.controls.push_back({ControlKind::Label, 112, "One-time extra payment", kLabelX, 140, 170, 10});
    t.controls.push_back({ControlKind::Label, 113, "Per year extra payment (every 12 months)", kLabelX, 152, 170, 10});
    t.controls.push_back({ControlKind::CheckBox, kBiweekly, "26 payments per year (biweekly)", kLabelX, 170, 170, 10});
    const std::string* texts[10] = {&e.heading, &e.amount, &e.rate, &e.term, &e.payment,
                                    &e.firstPaymentDate, &e.fiscalYearEndMonth, &e.printFrom, &e.printTo,
                                    &e.additionalPayment};
    for (int i = 0; i < 10; ++i) {
        const int width = i == 0 ? 148 : 72;
        platform::ControlSpec box{ControlKind::Edit, 201 + i, *texts[i], kBoxX, 7 + kStep * i, width, 11, platform::StyleSunken};
        if (box.id == kDateBox) box.maxLength = kDateWidth;
        t.controls.push_back(box);
    }
    t.controls.push_back({ControlKind::Edit, 212, e.oneTimeExtra, kBoxX, 139, 72, 11, platform::StyleSunken});
    t.controls.push_back({ControlKind::Edit, 213, e.perYearExtra, kBoxX, 151, 72, 11, platform::StyleSunken});
    t.controls.push_back({ControlKind::Frame, 195, "", 5, 184, 330, 26});
    t.controls.push_back({ControlKind::Button, kExit, "E&xit", 70, 190, 60, 14});
    t.controls.push_back({ControlKind::Button, kPrint, "Print", 210, 190, 60, 14});
    return t;
}

platform::Handler amortHandler(AmortOutcome* outcome, int focusBox) {
    auto st = std::make_shared<DialogState>();
    st->currentField = focusBox;
    return [st, outcome](platform::Dialog& d, const platform::Event& ev) {
        handleEvent(*st, d, ev);
        *outcome = st->outcome;
        tellEscape(d);
    };
}

AmortOutcome showAmortDialog(const std::string& clientCode, int refusedBox) {
    // The payment box opens empty, the payment or "U" typed afresh; after a refusal every entry
    // stays as typed and the focus is on the box at fault.
    if (refusedBox == 0) amortEntries().payment.clear();
    AmortOutcome outcome = AmortOutcome::Process;
    platform::showModal(buildAmortDialog(clientCode), amortHandler(&outcome, refusedBox != 0 ? refusedBox : kHeadingBox));
    return outcome;
}

void scheduleLoans(const Client& client) {
    const std::string& clientCode = client.code();
    LoanEntries& e = amortEntries();
    int refused = 0;  // the box at fault after a refusal, else 0
    for (;;) {
        if (showAmortDialog(clientCode, refused) == AmortOutcome::Exit) return;
        // After a refused entry, "A" or "0" as the heading leaves the amortization.
        if (refused != 0 && (e.heading == "A" || e.heading == "0")) return;
        refused = 0;

        if (loanMode(e) == LoanMode::BothGiven) {
            CheckResult c = checkBothGiven(e);
            if (!c.ok) {
                refused = refuse(c.failure);
                continue;
            }
            const BalloonSchedule b = runBalloonSchedule(c.loan.in, c.loan.fiscalYearEndValue);
            // A payment below the first month's interest is refused like any other entry.
            if (b.paymentTooSmall || b.tooLarge) {
                refused = refuse({b.tooLarge ? "TOO LARGE" : "payment too small", "Base monthly payment",
                                  &LoanEntries::payment});
                continue;
            }
            writeAndPrint(client, balloonReport(bothGivenHeading(c.loan), b), "amort");
            platform::closeAllFiles();
            return;
        }

        CheckResult c = checkOneUnknown(e);
        if (!c.ok) {
            refused = refuse(c.failure);
            continue;
        }
        if (c.loan.in.paymentUnknown)
            platform::showStatus("Payment " + formatNumber(c.loan.solution.computedPayment, "#,.00"));
        // A schedule that could not be written leaves the entries as they are, to print again.
        if (!writeAndPrint(client, oneUnknownReport(c.loan), "AMORT")) continue;
        // The next loan starts with a fresh heading; a solved rate stays as its annual percentage.
        e.heading.clear();
        if (c.loan.rateSolved) e.rate = c.loan.rateText;
    }
}

void RunAmortization(const std::string& clientCode) {
    std::unique_ptr<Client> client = Client::open(clientCode, "Amortization Schedule");
    if (!client) return;
    scheduleLoans(*client);
    platform::closeAllFiles();
}

}  // namespace dp
