#include "register/asset_maintenance.h"

#include <new>
#include <optional>

#include "format/number_format.h"
#include "format/typed_entries.h"
#include "help/help.h"
#include "platform/backend.h"
#include "platform/files.h"
#include "platform/message.h"
#include "register/asset_entries.h"
#include "register/asset_files.h"
#include "register/asset_picker.h"
#include "register/index_repair.h"
#include "register/maintenance_error.h"
#include "register/reorganise.h"

namespace dp {
namespace {

using platform::ControlKind;
using platform::ControlSpec;
using platform::Dialog;
using platform::EventKind;

// Controls and menu entries.
constexpr int kNumberBox = 201;
constexpr int kNumberLabel = 244;
constexpr int kDescriptionBox = 202;
constexpr int kAcquiredBox = 203;
constexpr int kSoldBox = 204;
constexpr int kBookUnit = 131;
constexpr int kTaxUnit = 132;
constexpr int kAboutBitmap = 161;
constexpr int kLookUp = 194;
constexpr int kDelete = 193;
constexpr int kSave = 196;
constexpr int kAbort = 197;
constexpr int kClose = 199;
constexpr int kMenuAssetFile = 612;
constexpr int kMenuClose = 609;
constexpr int kMenuAbort = 613;
constexpr int kMenuSave = 616;
constexpr int kMenuDelete = 615;
constexpr int kMenuHelp = 701;
constexpr int kMenuAbout = 702;
constexpr int kMenuMethods = 703;

const char* const kAmountMask = "#.00";
const char* const kTitle = "Asset File Maintenance";

// The boxes of the record's fields, description first, then the book and the tax block.
std::vector<int> fieldBoxes() {
    std::vector<int> ids;
    for (int id = 202; id <= 216; ++id) ids.push_back(id);
    for (int id = 305; id <= 316; ++id) ids.push_back(id);
    return ids;
}

// A stored field shown in an edit box ends at its first NUL, as text in a window does.
std::string boxText(const std::string& stored) { return stored.substr(0, stored.find('\0')); }

double& amountField(BasisBlock& b, int field) {
    switch (field) {
        case 8: return b.Cost;
        case 9: return b.Bonus;
        case 10: return b.Salvage;
        case 11: return b.Expense;
        case 12: return b.Bonus3050;
        case 13: return b.PriorDepr;
        case 14: return b.CurrentDepr;
        default: return b.Cancelled;
    }
}

// An edit box that takes at most `limit` characters (0: no limit).
ControlSpec editBox(int id, int x, int y, int w, int limit, std::uint32_t style = platform::StyleNone) {
    ControlSpec c{ControlKind::Edit, id, "", x, y, w, 12, style};
    c.maxLength = limit;
    return c;
}

ControlSpec assetNumberBox(int y) {
    return editBox(kNumberBox, 105, y, 40, kAssetNumberWidth, platform::StyleUpperCase | platform::StyleSunken);
}

std::string idleCaption(const Maintenance& m) { return "Asset File (" + trimRight(m.client.code()) + ")"; }

// Moving the focus to an edit box is one of the events the box reports to the handler.
void focusBox(Dialog& dlg, int id) {
    dlg.setFocus(id);
    if (dlg.exists(id) && dlg.kind(id) == ControlKind::Edit) dlg.dispatch({EventKind::Notify, id});
}

void enableFieldBoxes(Dialog& dlg, bool on) {
    for (int id : fieldBoxes()) dlg.enable(id, on);
}

void emptyFieldBoxes(Dialog& dlg) {
    for (int id : fieldBoxes()) dlg.setText(id, "");
}

void showNumberLabel(Dialog& dlg, const std::string& assetNumber) {
    dlg.destroyControl(kNumberBox);
    dlg.createControl({ControlKind::Label, kNumberLabel, assetNumber, 105, 10, 40, 12});
}

// The asset-number box is created anew, empty, also when no record was open; it comes back two
// units lower than it was first placed.
void restoreNumberBox(Dialog& dlg) {
    dlg.destroyControl(kNumberLabel);
    dlg.destroyControl(kNumberBox);
    dlg.createControl(assetNumberBox(10));
}

void grayEditMenu(Dialog& dlg) {
    dlg.enableMenu(kMenuSave, false);
    dlg.enableMenu(kMenuAbort, false);
    dlg.enableMenu(kMenuDelete, false);
}

// An edit box reported an event: its text goes into its field.
void boxEvent(Maintenance& m, Dialog& dlg, int id) {
    MaintenanceState& s = m.state;
    const std::string text = dlg.text(id);
    switch (id) {
        case kNumberBox:
            s.pickMarker = kPickFromNumberBox;
            if (s.editMode == EditMode::None) s.assetNumberText = upperCase(fixedText(text + "      ", 6));
            return;
        case kDescriptionBox:
            dlg.enable(kLookUp, false);
            s.WorkingRecord.Description = fixedText(text, 35);
            return;
        case kAcquiredBox:
            s.dateAcquiredText = text;
            return;
        case kSoldBox:
            s.dateSoldText = text;
            return;
        default:
            break;
    }
    const bool book = id >= 205 && id <= 216;
    const bool tax = id >= 305 && id <= 316;
    if (!book && !tax) return;
    BasisBlock& b = book ? s.WorkingRecord.Book : s.WorkingRecord.Tax;
    const int field = id % 100;
    switch (field) {
        case 5:
            b.Method = fixedText(text, 4);
            break;
        case 6:
            // A text that is no number counts as 0 until the save refuses it.
            b.Rate = readTypedNumber(text).value;
            // A rate of 1 or more is a life in years; below 1 it is a percentage.
            dlg.setText(book ? kBookUnit : kTaxUnit, b.Rate < 1 ? "%" : "Years");
            break;
        case 7:
            b.Manual = text.empty() ? ' ' : text[0];
            break;
        case 16:
            b.Code4562 = fixedText(text, 6);
            break;
        default:
            amountField(b, field) = readTypedNumber(text).value;
            if (field == 9 || field == 12) s.pickMarker = kPickNone;
            if (field == 11) s.pickMarker = kPickAfterExpense;
            break;
    }
}

// Fills the boxes from WorkingRecord. Each box copies its text back, so the record then holds
// the rates and amounts as shown, rounded to two decimals.
void fillBoxes(Dialog& dlg, const AssetRecord& rec) {
    dlg.setText(kDescriptionBox, boxText(rec.Description));
    dlg.setText(kAcquiredBox, date6ToText(rec.DateAcquired, false));
    dlg.setText(kSoldBox, date6ToText(rec.DateSold, true));
    for (int base : {200, 300}) {
        const BasisBlock& b = base == 200 ? rec.Book : rec.Tax;
        dlg.setText(base + 5, boxText(b.Method));
        dlg.setText(base + 6, formatNumber(b.Rate, kAmountMask));
        dlg.setText(base + 7, boxText(std::string(1, b.Manual)));
        const double amounts[] = {b.Cost, b.Bonus, b.Salvage, b.Expense, b.Bonus3050, b.PriorDepr, b.CurrentDepr, b.Cancelled};
        for (int f = 8; f <= 15; ++f) dlg.setText(base + f, formatNumber(amounts[f - 8], kAmountMask));
        dlg.setText(base + 16, boxText(b.Code4562));
    }
}

// The record's boxes as they read now; blanks at the end are the padding of a fixed-width field,
// stored alike with or without them.
std::vector<std::string> boxTexts(const Dialog& dlg) {
    std::vector<std::string> texts;
    for (int id : fieldBoxes()) texts.push_back(trimRight(dlg.text(id)));
    return texts;
}

bool recordOpen(const MaintenanceState& s) { return s.editMode == EditMode::Add || s.editMode == EditMode::Change; }

// Something was typed into the open record that is not saved.
bool unsavedChanges(const Maintenance& m, const Dialog& dlg) {
    return recordOpen(m.state) && boxTexts(dlg) != m.opened;
}

void openForChange(Maintenance& m, Dialog& dlg, std::int16_t r) {
    MaintenanceState& s = m.state;
    s.editMode = EditMode::Change;
    OpenAssetFiles(m.client);
    readAssetRecord(m.client.fil, r, s.WorkingRecord);
    s.pickMarker = kPickNone;
    enableFieldBoxes(dlg, true);
    dlg.setCaption("Asset File (" + trimRight(m.client.code()) + ") - Change Records " + s.assetNumberText);
    showNumberLabel(dlg, s.assetNumberText);
    dlg.enable(kSave);
    dlg.enable(kAbort);
    dlg.enable(kDelete);
    dlg.enableMenu(kMenuSave);
    dlg.enableMenu(kMenuAbort);
    dlg.enableMenu(kMenuDelete);
    fillBoxes(dlg, AssetRecord(s.WorkingRecord));
    m.opened = boxTexts(dlg);
    focusBox(dlg, kDescriptionBox);
}

void openForAddition(Maintenance& m, Dialog& dlg) {
    MaintenanceState& s = m.state;
    s.editMode = EditMode::Add;
    s.pickMarker = kPickNone;
    // A new record starts empty: nothing of the record shown or written before reaches it (a
    // blank date would otherwise keep the acquisition date held from that record).
    s.WorkingRecord = AssetRecord{};
    for (int id : fieldBoxes()) {
        dlg.enable(id);
        dlg.setText(id, "");
    }
    dlg.setCaption("Asset File (" + trimRight(m.client.code()) + ") - Add Records " + s.assetNumberText);
    m.opened = boxTexts(dlg);
    focusBox(dlg, kDescriptionBox);
    showNumberLabel(dlg, s.assetNumberText);
    dlg.enable(kSave);
    dlg.enable(kAbort);
    dlg.enableMenu(kMenuSave);
    dlg.enableMenu(kMenuAbort);
}

void lookUp(Maintenance& m, Dialog& dlg) {
    MaintenanceState& s = m.state;
    if (trimBoth(s.assetNumberText).empty()) {
        platform::showStatus("Type an asset number first (File > Asset File lists them)");
        return;
    }
    s.assetNumberText = upperCase(trimBoth(s.assetNumberText));
    const std::int16_t r = FindAsset(m.client, s.assetNumberText);
    if (r != 0) openForChange(m, dlg, r);
    else openForAddition(m, dlg);
}

// Back to the idle dialog: no record open, the asset-number box waiting for the next number.
void closeEdit(Maintenance& m, Dialog& dlg) {
    emptyFieldBoxes(dlg);
    dlg.setText(kBookUnit, "");
    dlg.setText(kTaxUnit, "");
    restoreNumberBox(dlg);
    focusBox(dlg, kNumberBox);
    m.state.editMode = EditMode::None;
    dlg.setCaption(idleCaption(m));
    enableFieldBoxes(dlg, false);
    dlg.enable(kAbort, false);
    dlg.enable(kSave, false);
    dlg.enable(kDelete, false);
    grayEditMenu(dlg);
    dlg.enable(kLookUp);
}

// The boxes of an open record hold what can be stored, or the user is told which does not and
// the focus goes there. The dates are then in the form the record stores.
bool entriesCanBeStored(MaintenanceState& s, Dialog& dlg) {
    if (s.editMode != EditMode::Add && s.editMode != EditMode::Change) return true;
    if (const std::optional<BoxRefusal> r = refusedAssetBox([&dlg](int id) { return dlg.text(id); })) {
        platform::messageBox(r->text, r->title, platform::MsgIcon::Error);
        focusBox(dlg, r->box);
        return false;
    }
    s.dateAcquiredText = storedAssetDateText(s.dateAcquiredText, false);
    s.dateSoldText = storedAssetDateText(s.dateSoldText, true);
    return true;
}

// A record that could not be written, or holds a box that cannot be stored, stays open with
// what was typed, so that nothing is lost and the user can mend it, try again or abort.
void save(Maintenance& m, Dialog& dlg) {
    if (!entriesCanBeStored(m.state, dlg)) return;
    const std::string number = trimRight(m.state.assetNumberText);
    const WriteOutcome written = WriteAssetRecord(m.client, m.state, m.state.editMode);
    if (written == WriteOutcome::Failed) return;
    closeEdit(m, dlg);
    if (written == WriteOutcome::Written) platform::showStatus("Asset " + number + " saved");
}

// Nothing is written; the "&Abort" button itself keeps its state.
void abortEdit(Maintenance& m, Dialog& dlg) {
    restoreNumberBox(dlg);
    emptyFieldBoxes(dlg);
    m.state.editMode = EditMode::None;
    dlg.setCaption(idleCaption(m));
    enableFieldBoxes(dlg, false);
    dlg.enable(kDelete, false);
    dlg.enable(kSave, false);
    grayEditMenu(dlg);
    focusBox(dlg, kNumberBox);
    dlg.enable(kLookUp);
}

// Whatever the answer to the question, the edit is closed without saving; the caption keeps
// the text of the closed edit.
void deleteRecord(Maintenance& m, Dialog& dlg) {
    MaintenanceState& s = m.state;
    s.editMode = EditMode::Delete;
    const std::string number = trimRight(s.assetNumberText);
    const bool deleted = WriteAssetRecord(m.client, s, EditMode::Delete) == WriteOutcome::Written;
    emptyFieldBoxes(dlg);
    restoreNumberBox(dlg);
    focusBox(dlg, kNumberBox);
    s.editMode = EditMode::None;
    enableFieldBoxes(dlg, false);
    dlg.enable(kAbort, false);
    dlg.enable(kDelete, false);
    dlg.enable(kSave, false);
    grayEditMenu(dlg);
    dlg.enable(kLookUp);
    if (deleted) platform::showStatus("Asset " + number + " marked deleted");
}

void pickFromListing(Maintenance& m, Dialog& dlg) {
    MaintenanceState& s = m.state;
    dlg.enable(kClose, false);
    dlg.enableMenu(kMenuClose, false);
    std::string unused;
    const std::string picked = PickAsset(m.client, s.pickMarker, unused, 5);
    dlg.enable(kClose);
    dlg.enableMenu(kMenuClose);
    OpenAssetFiles(m.client);
    if (picked.empty()) return;  // also whenever a record is open: the listing was for viewing
    const std::string number = fixedText(picked, 6);
    dlg.setText(kNumberBox, number);
    s.assetNumberText = number;
    dlg.sendCommand(kLookUp);
}

// Before the dialog closes with a record open: typing that is not saved is not dropped without
// asking. Yes saves (and the dialog stays when the record cannot be stored), No discards,
// Cancel, the default, goes back to the record. True when the dialog may close.
bool mayCloseWith(Maintenance& m, Dialog& dlg) {
    if (!unsavedChanges(m, dlg)) return true;
    const std::string number = trimRight(m.state.assetNumberText);
    const platform::MsgResult answer = platform::messageBox(
        "Asset " + number + " has changes that are not saved.\r\n"
        "Yes saves them, No discards them, Cancel goes back to the record.",
        "Save Asset Record", platform::MsgIcon::Question, platform::MsgButtons::YesNoCancel, true,
        platform::MsgDefault::Third);
    if (answer == platform::MsgResult::No) return true;
    if (answer != platform::MsgResult::Yes) return false;
    save(m, dlg);
    return !recordOpen(m.state);
}

void command(Maintenance& m, Dialog& dlg, int id) {
    switch (id) {
        case kMenuHelp:
            // A viewer that cannot be started is an error of the procedure itself.
            if (!openHelpTopic()) throw MaintenanceError(kErrFileNotFound, "the help viewer could not be started");
            break;
        case kMenuMethods:
            showMethodSummary();
            break;
        case kMenuAbout:
        case kAboutBitmap:
            showAbout();
            break;
        case kMenuAssetFile:
            pickFromListing(m, dlg);
            break;
        case kLookUp:
            lookUp(m, dlg);
            break;
        case kSave:
        case kMenuSave:
            save(m, dlg);
            break;
        case kAbort:
        case kMenuAbort:
            abortEdit(m, dlg);
            break;
        case kDelete:
        case kMenuDelete:
            deleteRecord(m, dlg);
            break;
        case kClose:
        case kMenuClose:
            if (!mayCloseWith(m, dlg)) break;
            m.client.closeFiles();
            dlg.end();
            break;
        default:
            break;
    }
}

// The error recovery of the procedure. True when the procedure goes on with its next stage.
bool recover(int number, Client& client) {
    client.closeFiles();
    platform::closeAllFiles();
    if (number == kErrFileNotFound) {
        platform::RecordFile f;
        if (f.open(client.path("deprrecs.fil"), 8)) {
            client.entryCount = 0;
            unsigned char b[8];
            putDouble(b, static_cast<double>(client.entryCount));
            f.write(1, b);
        }
        platform::closeAllFiles();
        return true;
    }
    platform::messageBox("Exiting", "Error  " + std::to_string(number), platform::MsgIcon::Error);
    return false;
}

// Runs one stage of the procedure; 0 when it ended normally, else the number of its error.
// A stopped script is no error of the procedure and passes through.
template <class Stage>
int runStage(Stage&& stage) {
    try {
        stage();
        return 0;
    } catch (const platform::ScriptStop&) {
        throw;
    } catch (const MaintenanceError& e) {
        return e.number();
    } catch (const std::bad_alloc&) {
        return kErrOutOfMemory;
    } catch (const std::exception&) {
        return kErrInternal;
    }
}

// The bitmap button shows the About box; in words where its picture cannot be shown.
ControlSpec aboutBitmap() {
    ControlSpec b{ControlKind::BitmapButton, kAboutBitmap, "B2", 153, 213, 44, 27};
    b.words = "About";
    return b;
}

}  // namespace

platform::DialogTemplate buildAssetMaintenanceDialog(const std::string& clientCode) {
    platform::DialogTemplate t;
    t.caption = "Asset File Maintenance  (" + trimRight(clientCode) + ")";
    t.width = 370;
    t.height = 280;
    t.centred = true;
    t.systemMenu = true;
    t.topmost = true;
    t.icon = "PROGRAM";
    auto label = [](int id, const char* text, int x, int y, int w, int h = 12) {
        return ControlSpec{ControlKind::Label, id, text, x, y, w, h};
    };
    auto button = [](int id, const char* text, int x, int y, int w, int h, bool disabled) {
        return ControlSpec{ControlKind::Button, id, text, x, y, w, h, disabled ? platform::StyleDisabled : platform::StyleNone};
    };
    t.controls = {
        label(101, "Asset Number", 5, 10, 80, 14),
        label(102, "Description", 5, 23, 80),
        label(103, "Date Acquired", 5, 38, 80),
        label(104, "Date Sold", 235, 38, 80),
        label(121, "---BOOK---", 155, 50, 50),
        label(121, "---TAX---", 310, 50, 50),
        label(105, "Method", 5, 51, 80),
        label(106, "Rate", 5, 64, 100),
        label(107, "Manual Calculation Y/N", 5, 77, 100),
        label(108, "Cost", 5, 90, 80),
        label(109, "Bonus Depreciation", 5, 103, 100),
        label(110, "Salvage Value", 5, 116, 100),
        label(111, "Expense Deduction", 5, 129, 80),
        label(112, "30/50 Bonus", 5, 142, 100),
        label(113, "Prior Depreciation", 5, 155, 80),
        label(114, "Current year depreciation", 5, 168, 80),
        label(115, "Cancelled", 5, 181, 80),
        label(116, "Form 4562 Code", 5, 194, 80),
        label(kBookUnit, "", 140, 64, 40),
        label(kTaxUnit, "", 295, 64, 40),
        {ControlKind::HLine, 141, "", 5, 47, 360, 1},
        aboutBitmap(),
        assetNumberBox(8),
        editBox(kDescriptionBox, 105, 23, 150, kDescriptionWidth),
        editBox(kAcquiredBox, 105, 36, 50, kTypedDateWidth),
        editBox(kSoldBox, 175, 36, 50, kTypedDateWidth),
    };
    // Widths of the basis boxes by field: method, rate, manual flag, eight amounts, 4562 code;
    // and the most characters each takes (the text fields' widths; numbers have no field width).
    const int widths[] = {30, 30, 15, 90, 90, 90, 90, 90, 90, 90, 90, 50};
    const int limits[] = {kMethodWidth, 0, kManualWidth, 0, 0, 0, 0, 0, 0, 0, 0, kCode4562Width};
    for (int base : {200, 300})
        for (int i = 0; i < 12; ++i) {
            // The Y/N box takes its letter in upper case.
            const std::uint32_t style = i == 2 ? platform::StyleUpperCase : platform::StyleNone;
            t.controls.push_back(editBox(base + 5 + i, base == 200 ? 105 : 260, 49 + 13 * i, widths[i], limits[i], style));
        }
    t.controls.push_back({ControlKind::Frame, 195, "", 10, 204, 345, 39});
    t.controls.push_back(button(kSave, "&Save", 25, 219, 40, 14, true));
    t.controls.push_back(button(kAbort, "&Abort", 75, 219, 40, 14, true));
    t.controls.push_back(button(kClose, "&Close", 245, 219, 30, 14, false));
    t.controls.push_back(button(kLookUp, "OK", 160, 8, 40, 12, false));
    // Enter in the number box looks the asset up.
    t.controls.back().style |= platform::StyleDefault;
    t.controls.push_back(button(kDelete, "Delete", 285, 219, 50, 14, true));
    t.menuBar = {
        {"&File", {{kMenuAssetFile, "&Asset File"}, {0, "-"}, {kMenuClose, "&Close"}}},
        {"&Edit", {{kMenuAbort, "Abort Record", true}, {kMenuSave, "Save Record", true}, {kMenuDelete, "Delete Record", true}}},
        {"&Help", {{kMenuHelp, "&Contents - Processing"}, {kMenuMethods, "&Display Depr. Methods"}, {kMenuAbout, "&About"}}},
    };
    return t;
}

void assetMaintenanceHandler(Maintenance& m, Dialog& dlg, const platform::Event& ev) {
    MaintenanceState& s = m.state;
    switch (ev.kind) {
        case EventKind::Init:
            // No record is open in a new dialog, whatever state the last one was closed in;
            // else the number typed first would not reach assetNumberText.
            s.editMode = EditMode::None;
            LoadAssetIndex(m.client);
            dlg.enable(kLookUp);
            enableFieldBoxes(dlg, false);
            s.pickMarker = kPickFromNumberBox;
            focusBox(dlg, kNumberBox);
            break;
        case EventKind::Close:
            // Unsaved typing is not dropped without asking; an unchanged record is discarded as
            // before. The tidy-up follows when the dialog has ended.
            if (!mayCloseWith(m, dlg)) {
                dlg.keepOpen();
                break;
            }
            m.client.closeFiles();
            break;
        case EventKind::Command:
            command(m, dlg, ev.id);
            break;
        case EventKind::Notify:
            boxEvent(m, dlg, ev.id);
            break;
    }
    dlg.setEscapeHint(unsavedChanges(m, dlg) ? "close (asks to save)" : "close");
}

void prepareAssetMaintenance(Client& client) {
    const bool opened = OpenAssetFiles(client);
    client.closeFiles();
    if (!opened)
        throw MaintenanceError(kErrFileNotFound, "the asset files cannot be opened in " + client.code());
    // Room for the index; loading it when the dialog starts sizes it to the entries on file.
    client.AssetIndex.assign(5001, IndexBytes{});
}

void maintainAssets(Client& client, MaintenanceState& state) {
    // A damaged index is refused before anything is opened for writing.
    if (verifyAssetIndex(client, kTitle, "Asset File Maintenance") == IndexVerdict::Refused) return;
    // Set-up: after a recovered error the dialog is shown all the same.
    if (const int err = runStage([&] { prepareAssetMaintenance(client); }); err != 0) {
        if (!recover(err, client)) return;
    }
    Maintenance m{client, state};
    // The dialog and the tidy-up: after an error the procedure ends.
    const int err = runStage([&] {
        platform::showModal(buildAssetMaintenanceDialog(client.code()),
                            [&m](Dialog& dlg, const platform::Event& ev) { assetMaintenanceHandler(m, dlg, ev); });
        if (state.changeFlag != ChangeFlag::None) ReorganiseAssetFiles(client, state);
    });
    if (err != 0) recover(err, client);
    client.closeFiles();
}

void RunAssetMaintenance(const std::string& clientCode) {
    // A missing data directory is made: maintenance is where a new client starts.
    std::unique_ptr<Client> client = Client::open(clientCode, kTitle, MissingDirectory::Create);
    if (!client) return;
    maintainAssets(*client, maintenanceState());
    platform::closeAllFiles();
}

}  // namespace dp
