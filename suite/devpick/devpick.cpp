// The suite's printer choice: lists the print service's queues, "File" (a copy of the printed
// file under a name the user types), "PDF file" (the pages rendered to a PDF of that name) and
// "Screen" (the pages shown in the terminal), and answers with the reply the module expects.
// A queue gets the rendered pages unless the user ticks that the printer takes the control
// codes itself; then it gets the file as it is.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/dialog.h"
#include "platform/message.h"
#include "platform/printing.h"
#include "print_target.h"
#include "save_as.h"
#include "suite_printing.h"

namespace {

constexpr const char* kFileChoice = "File";
constexpr const char* kPdfChoice = "PDF file";
constexpr const char* kScreenChoice = "Screen";

enum : int {
    kTitleLabel = 101,
    kListLabel = 102,
    kFileLabel = 103,
    kDeviceList = 201,
    kFileName = 202,
    kRawBox = 203,
    kOk = 301,
    kCancel = 302,
};

struct Choice {
    std::string printed;               // the title: the file being printed, or empty
    std::vector<std::string> devices;  // the queues, then "File", "PDF file" and "Screen"
    std::size_t queues = 0;            // how many of them are print queues
    std::string reply;
};

bool isQueue(const Choice& choice, int sel) { return sel >= 0 && static_cast<std::size_t>(sel) < choice.queues; }

bool namesFile(const Choice& choice, int sel) {
    if (sel < 0) return false;
    const std::string& d = choice.devices[static_cast<std::size_t>(sel)];
    return !isQueue(choice, sel) && (d == kFileChoice || d == kPdfChoice);
}

platform::DialogTemplate buildChoiceDialog(const std::string& title) {
    using platform::ControlKind;
    platform::DialogTemplate t;
    t.caption = "Select Printer";
    t.width = 220;
    t.height = 150;
    t.centred = true;
    t.systemMenu = true;
    t.topmost = true;
    t.escape = "cancel, print nothing";
    t.controls = {
        {ControlKind::Label, kTitleLabel, title.empty() ? std::string("Print") : "Print " + title, 10, 5, 200, 12},
        {ControlKind::Label, kListLabel, "Printer", 10, 20, 60, 12},
        {ControlKind::ListBox, kDeviceList, "", 10, 32, 200, 60, platform::StyleVScroll | platform::StyleSunken},
        {ControlKind::Label, kFileLabel, "File name", 10, 98, 50, 12},
        {ControlKind::Edit, kFileName, "", 60, 96, 150, 12, platform::StyleDisabled | platform::StyleSunken},
        {ControlKind::CheckBox, kRawBox, "Send as is (the printer knows the codes)", 10, 111, 200, 10},
        {ControlKind::Button, kOk, "OK", 50, 125, 40, 14, platform::StyleDefault},
        {ControlKind::Button, kCancel, "Cancel", 130, 125, 40, 14},
    };
    return t;
}

void choiceHandler(Choice& choice, platform::Dialog& dlg, const platform::Event& ev) {
    using platform::EventKind;
    switch (ev.kind) {
        case EventKind::Init:
            dlg.setListLines(kDeviceList, choice.devices);
            dlg.selectListLine(kDeviceList, 0);
            dlg.setFocus(kDeviceList);
            return;
        case EventKind::Close:
            choice.reply.clear();
            return;
        case EventKind::Notify:
            if (ev.id == kDeviceList) {
                const int sel = dlg.listSelection(kDeviceList);
                dlg.enable(kFileName, namesFile(choice, sel));
                dlg.enable(kRawBox, isQueue(choice, sel));
            }
            return;
        case EventKind::Command:
            break;
    }
    if (ev.id == kCancel) {
        choice.reply.clear();
        dlg.end();
        return;
    }
    if (ev.id != kOk && ev.id != platform::kEnterCommand) return;
    const int sel = dlg.listSelection(kDeviceList);
    if (sel < 0) {
        platform::messageBox("Choose a printer, File, PDF file or Screen.", "Select Printer",
                             platform::MsgIcon::Information);
        return;
    }
    const std::string& device = choice.devices[static_cast<std::size_t>(sel)];
    if (isQueue(choice, sel)) {
        if (const std::string problem = printtarget::queueNameProblem(device); !problem.empty()) {
            platform::messageBox("The printer \"" + device + "\" cannot be used from here: " + problem + ".",
                                 "Select Printer", platform::MsgIcon::Information);
            return;
        }
        choice.reply = "1*" + device + "*" + (dlg.isChecked(kRawBox) ? SUITE_RAW_JOB : "") + "*Y";
    } else if (device == kScreenChoice) {
        choice.reply = "1*" SUITE_DEVICE_SCREEN "**Y";
    } else {
        std::string path = dlg.text(kFileName);
        if (device == kPdfChoice) {
            const std::optional<std::string> asked = devpick::askPdfFileName(path, choice.printed);
            if (!asked) return;
            path = *asked;
        }
        if (path.find_first_not_of(' ') == std::string::npos) {
            platform::messageBox("Type the name of the file to save the report in.", "Select Printer",
                                 platform::MsgIcon::Information);
            dlg.setFocus(kFileName);
            return;
        }
        if (path.find('*') != std::string::npos) {
            // "*" separates the fields of the reply: such a name would reach the spooler cut short.
            platform::messageBox("A file name cannot contain \"*\".", "Select Printer", platform::MsgIcon::Information);
            dlg.setFocus(kFileName);
            return;
        }
        // Refused here already, so that another name can be typed.
        if (const std::string problem = printtarget::targetProblem(choice.printed, path); !problem.empty()) {
            platform::messageBox("Choose another name: " + problem + ".", "Select Printer", platform::MsgIcon::Information);
            dlg.setFocus(kFileName);
            return;
        }
        choice.reply = std::string("1*") + (device == kPdfChoice ? SUITE_DEVICE_PDF : SUITE_DEVICE_FILE) + "*" + path + "*Y";
    }
    dlg.end();
}

std::string chooseDevice(const std::string& title) {
    if (std::optional<std::string> scripted = platform::backend().scriptedPrinterReply()) return *scripted;
    Choice choice;
    choice.printed = title;
    choice.devices = platform::listPrinters();
    choice.queues = choice.devices.size();
    for (const char* other : {kFileChoice, kPdfChoice, kScreenChoice}) choice.devices.push_back(other);
    platform::showModal(buildChoiceDialog(title),
                        [&choice](platform::Dialog& dlg, const platform::Event& ev) { choiceHandler(choice, dlg, ev); });
    return choice.reply;
}

}  // namespace

extern "C" SUITE_EXPORT int32_t SUITE_STDCALL PickDevice(void* const* instance, const char* title,
                                                                      const int32_t* n999, const int32_t* n20,
                                                                      const int32_t* zero1, const int32_t* zero2,
                                                                      char* reply, int32_t replyCapacity) {
    (void)instance;
    (void)n999;
    (void)n20;
    (void)zero1;
    (void)zero2;
    if (reply == nullptr || replyCapacity <= 0) return 0;
    reply[0] = '\0';
    std::string answer;
    try {
        answer = chooseDevice(title ? title : "");
    } catch (const platform::ScriptStop& stop) {
        // A script without a printer answer cannot go on: the run stops where it stands.
        platform::passOnScriptStop(stop);
    } catch (const std::exception& e) {
        platform::messageBox(std::string("The printer choice failed: ") + e.what(), "Print", platform::MsgIcon::Error);
        return 0;
    }
    const std::size_t n = std::min<std::size_t>(answer.size(), static_cast<std::size_t>(replyCapacity) - 1);
    std::memcpy(reply, answer.data(), n);
    reply[n] = '\0';
    return static_cast<int32_t>(n);
}
