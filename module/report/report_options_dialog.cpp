// The depreciation report's options: report date, book or tax basis, whole-dollar rounding.
#include "report/report_options_dialog.h"

#include <ctime>

#include "engine/dates.h"
#include "engine/report_options.h"
#include "format/text.h"
#include "format/typed_entries.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/message.h"

namespace dp {
namespace {

enum : int {
    kDateLabel = 101,
    kDateBox = 201,
    kBookBox = 202,
    kTaxBox = 203,
    kRoundBox = 204,
    kOk = 301,
    kCancel = 302,
};

const std::string kBookBasis = "B";
const std::string kTaxBasis = "T";
const std::string kYes = "Y";
const std::string kNo = "N";
const char* const kTitle = "Depreciation Report";
constexpr int kDateWidth = 10;  // the longest form of a date: 12/31/2004

// Today as MM-DD-YYYY, the date offered when the report has none.
std::string today() {
    const std::tm tm = platform::localTimeNow();
    char buf[16];
    std::strftime(buf, sizeof buf, "%m-%d-%Y", &tm);
    return buf;
}

// What the dialog works on: the options as they are being chosen, and whether the user backed out.
struct Choice {
    ReportOptions options;
    bool cancelled = false;
};

// The report date must be a date: otherwise the user is told so, and the dialog stays open with
// the focus on the date.
bool reportDateIsADate(platform::Dialog& dlg) {
    const std::string typed = dlg.text(kDateBox);
    const TypedDate d = readTypedDate(typed);
    if (d.ok() && !d.empty) return true;
    platform::messageBox(d.empty ? std::string("Type the date the report runs to, e.g. 12/31/2004.") : dateRefusalText(typed, d),
                         "Report Date", platform::MsgIcon::Error);
    dlg.setFocus(kDateBox);
    return false;
}

void optionsHandler(Choice& choice, platform::Dialog& dlg, const platform::Event& ev) {
    ReportOptions& o = choice.options;
    switch (ev.kind) {
        case platform::EventKind::Init:
            dlg.check(kTaxBox, true);
            return;
        case platform::EventKind::Close:
            // The dialog has no close box; a close that still arrives (Esc, the window manager)
            // means the user backs out, so it cancels the report like "Cancel" rather than
            // starting a run that rewrites every asset record.
            platform::closeAllFiles();
            choice.cancelled = true;
            return;
        case platform::EventKind::Notify:
        case platform::EventKind::Command:
            break;
    }
    switch (ev.id) {
        case kDateBox:
            o.reportDate = dlg.text(kDateBox);
            break;
        case kBookBox:
            if (ev.kind == platform::EventKind::Command && dlg.isChecked(kBookBox)) {
                dlg.check(kTaxBox, false);
                o.reportBasis = kBookBasis;
            }
            break;
        case kTaxBox:
            if (ev.kind == platform::EventKind::Command && dlg.isChecked(kTaxBox)) {
                dlg.check(kBookBox, false);
                o.reportBasis = kTaxBasis;
            }
            break;
        case kRoundBox:
            if (ev.kind == platform::EventKind::Command) o.roundWholeDollars = dlg.isChecked(kRoundBox) ? kYes : kNo;
            break;
        case kOk:
            if (reportDateIsADate(dlg)) dlg.end();
            break;
        case kCancel:
            choice.cancelled = true;
            dlg.end();
            break;
        default:
            break;
    }
}

}  // namespace

platform::DialogTemplate buildReportOptionsDialog(const std::string& date) {
    using platform::ControlKind;
    platform::DialogTemplate t;
    t.caption = "Depreciation Report";
    t.width = 200;
    t.height = 100;
    t.centred = true;
    t.topmost = true;
    t.systemMenu = false;
    t.escape = "cancel";
    t.controls = {
        {ControlKind::Label, kDateLabel, "Report Date", 10, 5, 60, 12},
        {ControlKind::Edit, kDateBox, date, 105, 3, 45, 12},
        {ControlKind::CheckBox, kBookBox, "Use Book Basis", 10, 18, 60, 12},
        {ControlKind::CheckBox, kTaxBox, "Use Tax Basis", 10, 33, 60, 12},
        {ControlKind::CheckBox, kRoundBox, "Round to whole dollars", 10, 48, 100, 12},
        {ControlKind::Button, kOk, "Ok", 30, 70, 40, 14},
        {ControlKind::Button, kCancel, "Cancel", 90, 70, 40, 14},
    };
    t.controls[1].maxLength = kDateWidth;
    t.controls[5].style |= platform::StyleDefault;  // Enter in the date box runs the report
    return t;
}

std::optional<ReportOptions> showReportOptions(const ReportOptions& current) {
    Choice choice{current};
    ReportOptions& o = choice.options;
    if (o.reportDate.empty()) o.reportDate = today();
    platform::DialogTemplate t = buildReportOptionsDialog(o.reportDate);
    // Every showing starts on the tax basis, whatever was chosen last time; the rounding choice
    // is kept from the last report although its box starts unchecked.
    o.reportBasis = kTaxBasis;
    platform::showModal(t, [&choice](platform::Dialog& dlg, const platform::Event& ev) { optionsHandler(choice, dlg, ev); });
    if (choice.cancelled) return std::nullopt;
    // The date as typed, without the blanks around it, is what the heading shows and the
    // engine reads.
    choice.options.reportDate = trimBoth(choice.options.reportDate);
    return choice.options;
}

bool acceptFiscalYearEnd(const std::string& fiscalYearEnd) {
    if (fiscalYearEnd.size() == 8 && readTypedDate(fiscalYearEnd).ok()) return true;
    platform::messageBox("The company file has no fiscal year end. Enter it in Company File Maintenance, then run "
                         "the report.",
                         kTitle, platform::MsgIcon::Error);
    return false;
}

bool acceptReportPeriod(std::int32_t periodMonths) {
    if (periodWithinFiscalYear(periodMonths)) return true;
    platform::messageBox("Schedule MUST be within current fiscal year", "", platform::MsgIcon::Error);
    return false;
}

}  // namespace dp
