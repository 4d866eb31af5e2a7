// The backend that dialogs, message boxes, printer choices and started processes go through.
// The host chooses it through the environment before it calls the module:
//   DP_SCRIPT=FILE       the scripted backend reads its actions from FILE
//   DP_TRANSCRIPT=FILE   the scripted backend writes its transcript there (default: stdout)
//   neither              the interactive backend: the terminal (ncurses), or Windows' own
//                        dialogs on Windows
#pragma once

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/dialog.h"
#include "platform/message.h"
#include "platform/viewer.h"

#ifdef _WIN32
#define DP_PLATFORM_VISIBLE  // a static library inside each Windows binary: nothing to export
#else
#define DP_PLATFORM_VISIBLE __attribute__((visibility("default")))
#endif

namespace platform {

// Raised by the scripted backend when the script asks for something the dialog on top
// cannot do, or ends while a dialog is still open. The run stops.
class DP_PLATFORM_VISIBLE ScriptStop : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class Backend {
public:
    virtual ~Backend() = default;
    // Runs the modal loop of an initialised dialog until it has ended.
    virtual void runModal(Dialog& dialog) = 0;
    virtual MsgResult message(const std::string& text, const std::string& title, MsgIcon icon,
                              MsgButtons buttons, MsgDefault defaultButton) = 0;
    virtual int runAndWait(const std::string& commandLine) = 0;
    // A scripted printer answer, when this backend has one to give; nullopt lets the printer
    // choice show its own dialog.
    virtual std::optional<std::string> scriptedPrinterReply() { return std::nullopt; }
    // Whether the hand-over to the print spooler should really print (not in scripted runs).
    virtual bool printsForReal() const { return true; }
    // Shows pages of printed output read-only until the user closes them.
    virtual void showPages(const std::string& title, const std::vector<ViewPage>& pages) {
        transcript("view: " + title + " (" + std::to_string(pages.size()) + (pages.size() == 1 ? " page)" : " pages)"));
    }
    // A line of the transcript (scripted runs); ignored elsewhere.
    virtual void transcript(const std::string& line) { (void)line; }
    // A note for the status line (see showStatus); ignored where there is none.
    virtual void status(const std::string& text) { (void)text; }
    // Waiting for something another user holds (see waitShowing): shows note, waits up to
    // milliseconds, false when the user asked to stop waiting. An empty note ends the wait.
    virtual bool wait(const std::string& note, int milliseconds);
    // Called when the dialog's state changed outside an event (terminal: redraw).
    virtual void refresh(Dialog& dialog) { (void)dialog; }
};

// The backend in use; created on first use from the environment.
Backend& backend();
// Replaces the backend (tests); returns the previous one.
std::unique_ptr<Backend> setBackend(std::unique_ptr<Backend> next);

std::unique_ptr<Backend> makeScriptedBackend(const std::string& scriptText, std::ostream* transcriptOut);
std::unique_ptr<Backend> makeTerminalBackend();
#ifdef _WIN32
std::unique_ptr<Backend> makeWin32Backend();
#endif

// Ends a scripted run that cannot go on (after ScriptStop): every file closed, the reason on
// standard error, exit status 3 for the host's caller.
[[noreturn]] void endStoppedScript(const std::string& why);
// For the suite's libraries, whose entries are called by the module: passes a ScriptStop on to
// the caller where one copy of this layer serves the whole process (POSIX systems), and ends the
// run where an exception must not cross from one library into another (Windows).
[[noreturn]] void passOnScriptStop(const ScriptStop& stop);

// Lets the suite's libraries that the module loads into this process answer through the scripted
// backend `scripted` (the one that read DP_SCRIPT, or one a test put in place), or no longer
// (nullptr). Needed where every library carries its own copy of this layer (Windows); where one
// copy serves the whole process it does nothing.
void shareScriptedRun(Backend* scripted);

// F1 in a dialog (null: in a window that is no dialog, such as a message box): the dialog's own
// help entry, else the session's help. False when there is neither (the caller says so).
bool openHelpFor(Dialog* dialog);

// Records the hand-over of a print job in the transcript ("print: COMMAND").
void recordPrint(const std::string& command);

}  // namespace platform
