#include "platform/backend.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <thread>

#include "native.h"
#include "platform/files.h"
#include "platform/message.h"
#include "platform/process.h"

namespace platform {
namespace {

std::unique_ptr<Backend>& current() {
    static std::unique_ptr<Backend> b;
    return b;
}

std::ofstream& transcriptFile() {
    static std::ofstream f;
    return f;
}

std::unique_ptr<Backend> fromEnvironment() {
    // Another library of this process may own a scripted run already (Windows, where each
    // library carries its own copy of this layer): share its script and transcript.
    if (std::unique_ptr<Backend> joined = joinScriptedRun()) return joined;
    const char* script = std::getenv("DP_SCRIPT");
    if (script && *script) {
        // A script is a few thousand lines of user actions at most.
        constexpr std::int64_t kMaxScriptBytes = 16 << 20;
        std::vector<unsigned char> bytes;
        if (!readWholeFile(script, bytes, kMaxScriptBytes, false)) {
            std::cerr << "cannot read the script " << script << ": " << describeFileError(lastFileError()) << '\n';
            return makeScriptedBackend("", &std::cout);
        }
        const std::string text(bytes.begin(), bytes.end());
        std::ostream* out = &std::cout;
        const char* tr = std::getenv("DP_TRANSCRIPT");
        if (tr && *tr) {
            transcriptFile().open(tr, std::ios::binary | std::ios::trunc);
            if (transcriptFile()) out = &transcriptFile();
            else std::cerr << "cannot write the transcript " << tr << '\n';
        }
        std::unique_ptr<Backend> scripted = makeScriptedBackend(text, out);
        shareScriptedRun(scripted.get());
        return scripted;
    }
    return makeInteractiveBackend();
}

}  // namespace

Backend& backend() {
    if (!current()) current() = fromEnvironment();
    return *current();
}

std::unique_ptr<Backend> setBackend(std::unique_ptr<Backend> next) {
    std::unique_ptr<Backend> prev = std::move(current());
    current() = std::move(next);
    return prev;
}

void endStoppedScript(const std::string& why) {
    closeAllFiles();
    std::fprintf(stderr, "dphost: the script stopped: %s\n", why.c_str());
    std::fflush(nullptr);
    std::exit(3);
}

void recordPrint(const std::string& command) { backend().transcript("print: " + command); }

MsgResult messageBox(const std::string& text, const std::string& title, MsgIcon icon, MsgButtons buttons,
                     bool, MsgDefault defaultButton) {
    // A box of one button has no second one to default to, nor one of two a third.
    if (buttons == MsgButtons::Ok) defaultButton = MsgDefault::First;
    if (buttons != MsgButtons::YesNoCancel && defaultButton == MsgDefault::Third) defaultButton = MsgDefault::Second;
    return backend().message(text, title, icon, buttons, defaultButton);
}

int runAndWait(const std::string& commandLine) { return backend().runAndWait(commandLine); }

namespace {

std::string& sessionHelpLine() {
    static std::string line;
    return line;
}

}  // namespace

void setSessionHelp(const std::string& commandLine) { sessionHelpLine() = commandLine; }
const std::string& sessionHelp() { return sessionHelpLine(); }

bool openHelpFor(Dialog* dialog) {
    if (dialog) {
        if (const int entry = dialog->helpEntry()) {
            // A button is pressed as a user presses it; a menu entry is chosen.
            if (dialog->exists(entry)) dialog->userClick(entry);
            else dialog->dispatch({EventKind::Command, entry});
            return true;
        }
    }
    if (sessionHelp().empty()) return false;
    runAndWait(sessionHelp());
    return true;
}

void showPages(const std::string& title, const std::vector<ViewPage>& pages) { backend().showPages(title, pages); }

void showStatus(const std::string& text) { backend().status(text); }

bool waitShowing(const std::string& note, int milliseconds) { return backend().wait(note, milliseconds); }

bool Backend::wait(const std::string& note, int milliseconds) {
    if (!note.empty() && milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    return true;
}

}  // namespace platform

