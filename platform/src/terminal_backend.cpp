// The terminal backend: dialogs, message boxes and the help viewer on the character grid,
// driven from the keyboard and the mouse. This file keeps the stack of windows on the screen,
// runs their modal loops and draws the line at the foot of the screen (what just happened,
// and the keys that work). The parts it uses lay dialogs out (terminal_layout), draw them
// (terminal_dialog, terminal_menu_bar, terminal_message), move the focus and act on keys
// (terminal_input), and speak to curses (terminal_screen).
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/process.h"
#include "terminal_dialog.h"
#include "terminal_input.h"
#include "terminal_message.h"
#include "terminal_pages.h"
#include "terminal_screen.h"
#include "terminal_ui.h"

extern char** environ;

namespace platform {
namespace {

using term::Key;
using term::KeyEvent;

// The keyboard signals are the child's while it runs; it gets their default handling back.
int spawnShell(const std::string& commandLine, pid_t& pid) {
    posix_spawnattr_t attr;
    ::posix_spawnattr_init(&attr);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGQUIT);
    ::posix_spawnattr_setsigdefault(&attr, &defaults);
    ::posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF);
    std::string sh = "sh", dashC = "-c", cmd = commandLine;
    char* argv[] = {sh.data(), dashC.data(), cmd.data(), nullptr};
    const int err = ::posix_spawn(&pid, "/bin/sh", nullptr, &attr, argv, environ);
    ::posix_spawnattr_destroy(&attr);
    return err;
}

int waitFor(pid_t pid) {
    int status = 0;
    pid_t w;
    do w = ::waitpid(pid, &status, 0);
    while (w < 0 && errno == EINTR);
    if (w != pid) return -1;
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}

// Runs a command line with /bin/sh and waits for it; -1 when the shell cannot be started.
int runShell(const std::string& commandLine) {
    struct sigaction ignore {}, oldInt {}, oldQuit {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    ::sigaction(SIGINT, &ignore, &oldInt);
    ::sigaction(SIGQUIT, &ignore, &oldQuit);
    pid_t pid = 0;
    const int result = spawnShell(commandLine, pid) == 0 ? waitFor(pid) : -1;
    ::sigaction(SIGINT, &oldInt, nullptr);
    ::sigaction(SIGQUIT, &oldQuit, nullptr);
    return result;
}

// One window on the screen, the top one last.
struct Layer {
    Dialog* dialog = nullptr;
    term::DialogView* view = nullptr;
    term::MessageView* message = nullptr;
    term::Pager* pager = nullptr;
    term::PageView* pages = nullptr;
};

class TerminalBackend final : public Backend {
public:
    void runModal(Dialog& dialog) override {
        if (dialog.ended()) return;  // ended while it was being set up: nothing to show
        Session session(screen_);
        term::DialogView view;
        LayerGuard guard(*this, Layer{&dialog, &view, nullptr, nullptr});
        while (!dialog.ended()) {
            term::settleFocus(dialog, view);
            if (dialog.ended()) break;
            draw();
            const KeyEvent key = nextKey();
            term::dialogKey(dialog, view, key, screen_.zones());
        }
    }

    MsgResult message(const std::string& text, const std::string& title, MsgIcon icon, MsgButtons buttons,
                      MsgDefault defaultButton) override {
        Session session(screen_);
        // The default button starts with the focus: Enter presses it.
        term::MessageView mv{text, title, icon, buttons, static_cast<int>(defaultButton)};
        // The dialog under the box gets the focus back as a dialog does when it is active again:
        // an edit box with its whole text selected, so that what was refused is typed over.
        term::DialogView* under = layers_.empty() ? nullptr : layers_.back().view;
        LayerGuard guard(*this, Layer{nullptr, nullptr, &mv, nullptr});
        for (;;) {
            draw();
            const KeyEvent key = nextKey();
            if (key.key == Key::F1) {
                helpFromWindow();
                continue;
            }
            if (auto answer = term::messageInput(mv, key, screen_.zones(), screen_.cols())) {
                if (under) under->lastFocus = 0;
                return *answer;
            }
        }
    }

    int runAndWait(const std::string& commandLine) override {
        if (auto help = term::parseHelpCommand(commandLine)) {
            showHelp(*help);
            return 0;
        }
        screen_.suspend();
        const int rc = runShell(commandLine);
        screen_.resume();
        draw();
        return rc;
    }

    // Shown at the foot of the screen until the next key; notes that come before it are all
    // shown ("Report written to report.txt; Payment 489.16").
    void status(const std::string& text) override {
        status_ = status_.empty() ? text : status_ + "; " + text;
        draw();
    }

    void showPages(const std::string& title, const std::vector<ViewPage>& pages) override {
        term::PageView view{title, &pages, {}, !sessionHelp().empty()};
        Session session(screen_);
        Layer layer;
        layer.pages = &view;
        LayerGuard guard(*this, layer);
        for (;;) {
            draw();
            const KeyEvent key = nextKey();
            if (key.key == Key::F1) helpFromWindow();
            else if (!term::pageViewInput(view, key, screen_.cols(), screen_.rows())) break;
        }
    }

    void refresh(Dialog&) override { draw(); }

    // The note on the status line while the program waits; Esc stops the waiting.
    bool wait(const std::string& note, int milliseconds) override {
        if (note.empty()) {
            waitSession_.reset();
            status_.clear();
            return true;
        }
        if (!waitSession_) waitSession_ = std::make_unique<Session>(screen_);
        status_ = note;
        draw();
        const KeyEvent key = screen_.readKeyWithin(milliseconds);
        if (key.key == Key::Resize) screen_.repaintAll();
        return key.key != Key::Esc;
    }

private:
    class Session {
    public:
        explicit Session(term::Screen& s) : s_(s) { s_.begin(); }
        ~Session() { s_.end(); }
        Session(const Session&) = delete;
        Session& operator=(const Session&) = delete;

    private:
        term::Screen& s_;
    };

    class LayerGuard {
    public:
        LayerGuard(TerminalBackend& b, Layer l) : b_(b) { b_.layers_.push_back(l); }
        ~LayerGuard() {
            b_.layers_.pop_back();
            if (!b_.layers_.empty()) b_.draw();
        }
        LayerGuard(const LayerGuard&) = delete;
        LayerGuard& operator=(const LayerGuard&) = delete;

    private:
        TerminalBackend& b_;
    };

    // A changed window size repaints the whole screen; any other key ends the status note.
    KeyEvent nextKey() {
        const KeyEvent key = screen_.readKey();
        if (key.key == Key::Resize) screen_.repaintAll();
        else if (key.key != Key::None) status_.clear();
        return key;
    }

    // F1 in a window that is no dialog (a message box, the page viewer): the session's help.
    void helpFromWindow() {
        if (!openHelpFor(nullptr)) status("No help for this window");
    }

    void showHelp(const term::HelpRequest& req) {
        term::Pager pager = term::helpPager(req);
        Session session(screen_);
        LayerGuard guard(*this, Layer{nullptr, nullptr, nullptr, &pager});
        do draw();
        while (term::pagerKey(pager, nextKey(), screen_.cols(), screen_.rows()));
    }

    // The top layer decides whether the screen is big enough; layers under it that do not fit
    // are left out.
    void drawLayer(const Layer& l, bool top) {
        if (l.message) {
            term::drawMessage(screen_, *l.message);
        } else if (l.pager) {
            term::drawPager(screen_, *l.pager);
        } else if (l.pages) {
            term::drawPageView(screen_, *l.pages);
        } else if (l.dialog && (top || !l.dialog->ended())) {
            term::placeView(*l.dialog, *l.view, screen_.cols(), screen_.rows());
            const term::DialogFrame& f = l.view->frame;
            if (f.usable) term::drawDialog(screen_, *l.dialog, *l.view, top);
            else if (top) screen_.tooSmall(l.dialog->caption(), f.needCols, f.needRows);
        }
    }

    std::string hintsFor(const Layer& top, int width) const {
        if (top.message) return term::messageHints(*top.message, width);
        if (top.dialog && top.view->frame.usable) return term::keyLine(term::hintsFor(*top.dialog, *top.view), width);
        return {};
    }

    // The last row: the status note, then the keys that work in the window on top.
    void drawFootLine() {
        if (!layers_.empty() && (layers_.back().pager || layers_.back().pages)) return;
        if (layers_.empty() && status_.empty()) return;
        const int width = screen_.cols(), row = screen_.rows() - 1;
        screen_.put(row, 0, std::string(static_cast<std::size_t>(width), ' '), term::Reverse);
        int col = 1;
        if (!status_.empty()) {
            screen_.put(row, col, status_, term::Reverse | term::Bold);
            col += static_cast<int>(status_.size()) + 3;
        }
        if (!layers_.empty()) screen_.put(row, col, hintsFor(layers_.back(), width - col - 1), term::Reverse);
    }

    void draw() {
        if (!screen_.shown()) return;
        screen_.clear();
        for (std::size_t i = 0; i < layers_.size(); ++i) drawLayer(layers_[i], i + 1 == layers_.size());
        drawFootLine();
        screen_.show();
    }

    term::Screen screen_;
    std::vector<Layer> layers_;
    std::string status_;
    std::unique_ptr<Session> waitSession_;  // the screen kept while a wait lasts
};

}  // namespace

std::unique_ptr<Backend> makeTerminalBackend() { return std::make_unique<TerminalBackend>(); }

}  // namespace platform
