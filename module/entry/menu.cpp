#include "entry/menu.h"

#include <new>

#include "platform/files.h"
#include "platform/message.h"

#include "entry/procedures.h"
#include "entry/session.h"
#include "help/help.h"
#include "platform/process.h"
#include "register/records.h"

namespace dp {

Session& session() {
    static Session s;
    return s;
}

namespace {

using platform::ControlKind;
using platform::ControlSpec;

constexpr std::uint32_t kShadowGrey = 0xE8E8E8;  // red, green and blue 232
constexpr std::uint32_t kBlack = 0x000000;

ControlSpec button(int id, const char* text, int y) {
    return {ControlKind::Button, id, text, 100, y, 140, 16};
}

void menuHandler(platform::Dialog& dlg, const platform::Event& ev) {
    Session& s = session();
    switch (ev.kind) {
        case platform::EventKind::Close:
            s.leaveMenu = 1;
            return;
        case platform::EventKind::Command:
            break;
        default:
            return;
    }
    void (*procedure)(const std::string&) = nullptr;
    switch (ev.id) {
        case 401: procedure = RunAssetMaintenance; break;
        case 402: procedure = RunCompanyMaintenance; break;
        case 403: procedure = RunDepreciationReport; break;
        case 404: procedure = RunClosePeriod; break;
        case 406: procedure = RunAmortization; break;
        case 407: procedure = RunForm4562; break;
        case 409:
            dlg.end();
            s.leaveMenu = 1;
            return;
        default:
            return;
    }
    s.abortRequested = 0;
    // The menu goes away first: only one window of the module is open at a time.
    dlg.end();
    runProcedure(procedure, s.clientCode);
    s.leaveMenu = 0;
    s.abortRequested = 0;
}

}  // namespace

platform::DialogTemplate buildMenuDialog(const std::string& clientCode) {
    platform::DialogTemplate t;
    t.caption = "Depreciation/Amortization Menu (" + trimRight(clientCode) + ")";
    t.width = 340;
    t.height = 250;
    t.centred = true;
    t.systemMenu = true;
    t.topmost = true;
    t.icon = "PROGRAM";
    t.escape = "exit";  // the close box leaves the menu, as "E&xit Depreciation" does
    t.controls = {
        button(401, "&Asset File Maintenance", 60),
        button(402, "Company File &Maintenance", 80),
        button(403, "Depreciation &Report", 100),
        button(404, "Close Current &Period", 120),
        button(406, "Amortization &Schedule", 140),
        button(407, "Print &Form 4562 page 1", 160),
        button(409, "E&xit Depreciation", 180),
        {ControlKind::Frame, 101, "", 5, 5, 325, 210},
        {ControlKind::Icon, 201, "PROGRAM", 20, 20, 32, 32},
        {ControlKind::Label, 102, "DEPRECIATION MENU", 90, 21, 250, 21,
         platform::StyleTitleFont | platform::StyleTransparent, kShadowGrey},
        {ControlKind::Label, 104, "DEPRECIATION MENU", 89, 20, 250, 21,
         platform::StyleTitleFont | platform::StyleTransparent, kBlack},
        {ControlKind::HLine, 105, "", 20, 43, 300, 1},
    };
    return t;
}

void runProcedure(void (*procedure)(const std::string&), const std::string& clientCode) {
    try {
        procedure(clientCode);
    } catch (const std::bad_alloc&) {
        // Every change goes into place in one step: what was saved is whole, the rest is not there.
        platform::closeAllFiles();
        platform::messageBox("There is not enough memory to go on, so the work stopped. What was saved before is "
                             "whole; nothing half done was kept.",
                             "Out of memory", platform::MsgIcon::Error);
    }
}

int runMenu(const std::string& clientCode) {
    Session& s = session();
    s.clientCode = clientCode;
    s.leaveMenu = 0;
    // F1 opens the processing topic in every window of the module that has no help of its own.
    platform::setSessionHelp(kHelpCommand);
    do {
        platform::showModal(buildMenuDialog(s.clientCode), menuHandler);
    } while (s.leaveMenu == 0);
    s.abortRequested = 0;
    platform::setSessionHelp("");
    return 0;
}

}  // namespace dp
