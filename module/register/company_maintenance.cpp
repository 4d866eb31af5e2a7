#include "register/company_maintenance.h"

#include "entry/session.h"
#include "platform/files.h"
#include "register/asset_files.h"

namespace dp {
namespace {

using platform::ControlKind;
using platform::ControlSpec;

// The dates as typed while the dialog is open; stored in date6c form when it closes.
struct CompanyEdit {
    std::string fiscalYearEndText;
    std::string currentPeriodText;
};

CompanyEdit& edit() {
    static CompanyEdit e;
    return e;
}

// A stored field shown in an edit box ends at its first NUL, as text in a window does.
std::string boxText(const std::string& stored) { return stored.substr(0, stored.find('\0')); }

bool allNul(const std::string& s) { return s.find_first_not_of('\0') == std::string::npos; }

void companyHandler(platform::Dialog& dlg, const platform::Event& ev) {
    CompanyRecord& c = reg().company;
    if (ev.kind == platform::EventKind::Close) {
        CloseAllFiles();
        return;
    }
    if (ev.kind == platform::EventKind::Command) {
        if (ev.id == 301) dlg.end();
        return;
    }
    if (ev.kind != platform::EventKind::Notify) return;
    const std::string text = dlg.text(ev.id);
    switch (ev.id) {
        case 201: c.CompanyName = fixedText(text, 25); break;
        case 202: c.CompanyName2 = fixedText(text, 25); break;
        case 203: c.CompanyAddress = fixedText(text, 25); break;
        case 204: c.CompanyCity = fixedText(text, 25); break;
        case 205: edit().fiscalYearEndText = text; break;
        case 206: c.Activity = fixedText(text, 50); break;
        case 207: edit().currentPeriodText = text; break;
        case 208: c.IdNumber = fixedText(text, 11); break;
        default: break;
    }
}

}  // namespace

platform::DialogTemplate buildCompanyMaintenanceDialog(const std::string& clientCode) {
    const CompanyRecord& c = reg().company;
    platform::DialogTemplate t;
    t.caption = "Company File Maintenance  (" + trimRight(clientCode) + ")";
    t.width = 260;
    t.height = 195;
    t.centred = true;
    t.systemMenu = true;
    t.topmost = true;
    t.icon = "PROGRAM";
    const char* const captions[] = {"Company Name",   "Company Name line 2",  "Company Address", "Company City",
                                    "Fiscal Year End", "Activity or Business", "Current Period",  "Identification Number"};
    for (int i = 0; i < 8; ++i) t.controls.push_back({ControlKind::Label, 101 + i, captions[i], 5, 10 + 15 * i, 100, 12});
    const std::string texts[] = {c.CompanyName, c.CompanyName2, c.CompanyAddress,           c.CompanyCity,
                                 edit().fiscalYearEndText, c.Activity, edit().currentPeriodText, c.IdNumber};
    const int widths[] = {100, 100, 100, 100, 60, 100, 60, 60};
    for (int i = 0; i < 8; ++i)
        t.controls.push_back({ControlKind::Edit, 201 + i, boxText(texts[i]), 105, 8 + 15 * i, widths[i], 12});
    t.controls.push_back({ControlKind::Button, 301, "OK", 110, 150, 40, 14});
    return t;
}

void RunCompanyMaintenance(const std::string& clientCode) {
    RegisterState& s = reg();
    CompanyRecord& c = s.company;
    CloseAllFiles();
    platform::RecordFile file;
    file.open(dataPath(clientCode, "company.fil"), kCompanyRecordLength);
    if (file.recordCount() == 0) {
        // A new company: blank fields; the fiscal year end keeps what is held in memory.
        const Date6c fiscalYearEnd = c.FiscalYearEnd;
        c = CompanyRecord{};
        c.FiscalYearEnd = fiscalYearEnd;
        edit().currentPeriodText.clear();
    } else {
        // A record missing from a short file reads as blanks and zero bytes.
        c = CompanyRecord{};
        for (int i = 1; i <= 3; ++i) {
            CompanyRecord::Bytes b{};
            if (file.read(i, b.data())) c.decodeRecord(i, b);
        }
        edit().currentPeriodText = date6cToText(c.CurrentPeriod);
    }
    // Files written before the second name line existed hold NULs there.
    if (allNul(c.CompanyName2)) c.CompanyName2 = std::string(25, ' ');
    edit().fiscalYearEndText = date6cToText(c.FiscalYearEnd);
    s.fiscalYearEndText = edit().fiscalYearEndText;

    platform::showModal(buildCompanyMaintenanceDialog(clientCode), companyHandler);

    // However the dialog ended, all three records are written.
    c.CurrentPeriod = date6cFromText(edit().currentPeriodText);
    c.FiscalYearEnd = date6cFromText(edit().fiscalYearEndText);
    CloseAllFiles();
    if (file.open(dataPath(clientCode, "company.fil"), kCompanyRecordLength)) {
        for (int i = 1; i <= 3; ++i) {
            const CompanyRecord::Bytes b = c.encodeRecord(i);
            file.write(i, b.data());
        }
    }
    CloseAllFiles();
}

}  // namespace dp
