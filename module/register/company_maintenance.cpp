#include "register/company_maintenance.h"

#include <algorithm>
#include <cctype>

#include "format/typed_entries.h"
#include "platform/files.h"
#include "platform/message.h"
#include "register/asset_files.h"

namespace dp {
namespace {

using platform::ControlKind;
using platform::ControlSpec;

const char* const kTitle = "Company File Maintenance";
constexpr int kFiscalYearEndBox = 205;
constexpr int kCurrentPeriodBox = 207;

// A stored field shown in an edit box ends at its first NUL, as text in a window does.
std::string boxText(const std::string& stored) { return stored.substr(0, stored.find('\0')); }

bool allNul(const std::string& s) { return s.find_first_not_of('\0') == std::string::npos; }

void companyHandler(CompanyEdit& e, platform::Dialog& dlg, const platform::Event& ev) {
    CompanyRecord& c = e.company;
    switch (ev.kind) {
        case platform::EventKind::Init:
            if (e.focusBox != 0) dlg.setFocus(e.focusBox);
            return;
        case platform::EventKind::Close:
            return;
        case platform::EventKind::Command:
            if (ev.id == 301) dlg.end();
            return;
        case platform::EventKind::Notify:
            break;
    }
    const std::string text = dlg.text(ev.id);
    switch (ev.id) {
        case 201: c.CompanyName = fixedText(text, 25); break;
        case 202: c.CompanyName2 = fixedText(text, 25); break;
        case 203: c.CompanyAddress = fixedText(text, 25); break;
        case 204: c.CompanyCity = fixedText(text, 25); break;
        case kFiscalYearEndBox: e.fiscalYearEndText = text; break;
        case 206: c.Activity = fixedText(text, 50); break;
        case kCurrentPeriodBox: e.currentPeriodText = text; break;
        case 208: c.IdNumber = fixedText(text, 11); break;
        default: break;
    }
}

// The first date box whose text is not a date, and the message that says so; 0 when both are.
int refusedDateBox(const CompanyEdit& e, std::string& text, std::string& title) {
    const std::pair<int, const std::string*> boxes[] = {{kFiscalYearEndBox, &e.fiscalYearEndText},
                                                        {kCurrentPeriodBox, &e.currentPeriodText}};
    for (const auto& [box, typed] : boxes) {
        const std::string& read = box == kFiscalYearEndBox ? e.readFiscalYearEnd : e.readCurrentPeriod;
        if (*typed == read) continue;
        const TypedDate d = readTypedDate(*typed);
        if (d.ok()) continue;
        title = box == kFiscalYearEndBox ? "Fiscal Year End" : "Current Period";
        text = dateRefusalText(*typed, d) + " Or leave it empty.";
        return box;
    }
    return 0;
}

// The records as stored; false when company.fil exists but cannot be read (then nothing may
// be written over it).
bool readCompany(const Client& client, CompanyEdit& e) {
    CompanyRecord& c = e.company;
    std::vector<unsigned char> bytes;
    if (!platform::readWholeFile(client.path("company.fil"), bytes, kCompanyFileBytes)) return false;
    if (!bytes.empty()) {
        // A record missing from a short file reads as blanks and zero bytes.
        for (int i = 1; i <= 3; ++i) {
            CompanyRecord::Bytes b{};
            const std::size_t at = static_cast<std::size_t>(i - 1) * kCompanyRecordLength;
            if (at < bytes.size())
                std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(at), std::min(b.size(), bytes.size() - at), b.begin());
            if (at < bytes.size()) c.decodeRecord(i, b);
        }
        e.currentPeriodText = date6cToText(c.CurrentPeriod);
    }
    // Files written before the second name line existed hold NULs there.
    if (allNul(c.CompanyName2)) c.CompanyName2 = std::string(25, ' ');
    e.fiscalYearEndText = date6cToText(c.FiscalYearEnd);
    e.readFiscalYearEnd = e.fiscalYearEndText;
    e.readCurrentPeriod = e.currentPeriodText;
    return true;
}

// All three records, in one step.
bool writeCompany(const Client& client, const CompanyRecord& c) {
    const std::string path = client.path("company.fil");
    std::vector<unsigned char> bytes;
    if (!platform::readWholeFile(path, bytes, kCompanyFileBytes)) return false;
    if (bytes.size() < 3 * kCompanyRecordLength) bytes.resize(3 * kCompanyRecordLength);
    for (int i = 1; i <= 3; ++i) {
        const CompanyRecord::Bytes b = c.encodeRecord(i);
        std::copy(b.begin(), b.end(), bytes.begin() + static_cast<std::ptrdiff_t>((i - 1) * kCompanyRecordLength));
    }
    return platform::writeWholeFile(path, bytes);
}

// Shows the dialog until its dates are dates; false when the user gave up saving.
bool editAndSave(Client& client, CompanyEdit& e) {
    for (;;) {
        platform::showModal(buildCompanyMaintenanceDialog(client.code(), e),
                            [&e](platform::Dialog& dlg, const platform::Event& ev) { companyHandler(e, dlg, ev); });
        std::string text, title;
        e.focusBox = refusedDateBox(e, text, title);
        if (e.focusBox != 0) {
            platform::messageBox(text, title, platform::MsgIcon::Error);
            continue;
        }
        CompanyRecord c = e.company;
        c.CurrentPeriod = date6cFromText(storedCompanyDate(e.currentPeriodText, e.readCurrentPeriod));
        c.FiscalYearEnd = date6cFromText(storedCompanyDate(e.fiscalYearEndText, e.readFiscalYearEnd));
        if (writeCompany(client, c)) return true;
        const platform::MsgResult again = platform::messageBox(
            "The company file was not saved: " + platform::describeFileError(platform::lastFileError()) +
                ".\r\nOK shows your entries again; Cancel leaves without saving them.",
            kTitle, platform::MsgIcon::Error, platform::MsgButtons::OkCancel);
        if (again != platform::MsgResult::Ok) return false;
    }
}

}  // namespace

std::string storedCompanyDate(const std::string& typed, const std::string& read) {
    if (typed == read) return typed;
    const TypedDate d = readTypedDate(typed);
    return d.ok() && !d.empty ? d.mmddyyyy() : std::string();
}

platform::DialogTemplate buildCompanyMaintenanceDialog(const std::string& clientCode, const CompanyEdit& e) {
    const CompanyRecord& c = e.company;
    platform::DialogTemplate t;
    t.caption = "Company File Maintenance  (" + trimRight(clientCode) + ")";
    t.width = 260;
    t.height = 195;
    t.centred = true;
    t.systemMenu = true;
    t.topmost = true;
    t.icon = "PROGRAM";
    t.escape = "save and close";  // the close box saves like "OK"
    const char* const captions[] = {"Company Name",   "Company Name line 2",  "Company Address", "Company City",
                                    "Fiscal Year End", "Activity or Business", "Current Period",  "Identification Number"};
    for (int i = 0; i < 8; ++i) t.controls.push_back({ControlKind::Label, 101 + i, captions[i], 5, 10 + 15 * i, 100, 12});
    const std::string texts[] = {c.CompanyName, c.CompanyName2, c.CompanyAddress,    c.CompanyCity,
                                 e.fiscalYearEndText, c.Activity, e.currentPeriodText, c.IdNumber};
    const int widths[] = {100, 100, 100, 100, 60, 100, 60, 60};
    // The most characters each box takes: its field's width; a date's longest form.
    const int limits[] = {25, 25, 25, 25, kCompanyDateWidth, 50, kCompanyDateWidth, 11};
    for (int i = 0; i < 8; ++i) {
        ControlSpec box{ControlKind::Edit, 201 + i, boxText(texts[i]), 105, 8 + 15 * i, widths[i], 12};
        box.maxLength = limits[i];
        t.controls.push_back(box);
    }
    t.controls.push_back({ControlKind::Button, 301, "OK", 110, 150, 40, 14});
    return t;
}

void RunCompanyMaintenance(const std::string& clientCode) {
    platform::closeAllFiles();
    std::unique_ptr<Client> client = Client::open(clientCode, kTitle);
    if (!client) return;
    CompanyEdit e;
    if (!readCompany(*client, e)) {
        platform::messageBox("The company file cannot be read: " +
                                 platform::describeFileError(platform::lastFileError()) + ".\r\nNothing was changed.",
                             kTitle, platform::MsgIcon::Error);
        return;
    }
    // However the dialog ends, the records are written: there is no leaving without saving,
    // except when the disk refuses them and the user chooses to leave.
    if (editAndSave(*client, e)) platform::showStatus("Company file saved");
    platform::closeAllFiles();
}

}  // namespace dp
