// The scripted backend: drives the same dialog handlers from a script of user actions and
// writes what the user would have seen as a transcript. Used by the tests and by `dphost
// --script`, so every procedure runs without a terminal.
#include <deque>
#include <iostream>
#include <sstream>

#include "platform/backend.h"

namespace platform {
namespace {

std::string escapeLines(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            out += "\\n";
            ++i;
        } else if (text[i] == '\n') {
            out += "\\n";
        } else {
            out += text[i];
        }
    }
    return out;
}

bool parseInt(const std::string& s, int& out) {
    if (s.empty()) return false;
    std::size_t i = 0;
    if (s[0] == '-') i = 1;
    if (i >= s.size()) return false;
    long long v = 0;
    for (; i < s.size(); ++i) {
        if (s[i] < '0' || s[i] > '9') return false;
        v = v * 10 + (s[i] - '0');
        if (v > 1000000000) return false;
    }
    out = static_cast<int>(s[0] == '-' ? -v : v);
    return true;
}

class ScriptedBackend final : public Backend {
public:
    ScriptedBackend(const std::string& script, std::ostream* out) : out_(out) {
        std::istringstream in(script);
        std::string line;
        int number = 0;
        while (std::getline(in, line)) {
            ++number;
            if (!line.empty() && line.back() == '\r') line.pop_back();
            std::size_t first = line.find_first_not_of(" \t");
            if (first == std::string::npos || line[first] == '#') continue;
            lines_.push_back({number, line.substr(first)});
        }
    }

    void runModal(Dialog& dialog) override {
        transcript("dialog: " + dialog.caption());
        while (!dialog.ended()) {
            if (lines_.empty()) stop("the script ended while the dialog \"" + dialog.caption() + "\" was open");
            Line l = lines_.front();
            lines_.pop_front();
            act(dialog, l);
        }
    }

    MsgResult message(const std::string& text, const std::string& title, MsgIcon, MsgButtons buttons,
                      MsgDefault defaultButton) override {
        transcript("message: " + title + " | " + escapeLines(text));
        // "enter" presses the default button of a question, as the Enter key does.
        if (buttons != MsgButtons::Ok && !lines_.empty() && verb(lines_.front().text) == "enter") {
            lines_.pop_front();
            return defaultAnswer(buttons, defaultButton);
        }
        if (!lines_.empty() && verb(lines_.front().text) == "answer") {
            Line l = lines_.front();
            lines_.pop_front();
            const std::string a = rest(l.text);
            switch (buttons) {
                case MsgButtons::Ok:
                    if (a == "ok") return MsgResult::Ok;
                    break;
                case MsgButtons::OkCancel:
                    if (a == "ok") return MsgResult::Ok;
                    if (a == "cancel") return MsgResult::Cancel;
                    break;
                case MsgButtons::YesNo:
                case MsgButtons::YesNoCancel:
                    if (a == "yes") return MsgResult::Yes;
                    if (a == "no") return MsgResult::No;
                    if (a == "cancel" && buttons == MsgButtons::YesNoCancel) return MsgResult::Cancel;
                    break;
            }
            stop(where(l) + "\"answer " + a + "\" does not fit the message box \"" + title + "\"");
        }
        if (buttons == MsgButtons::Ok) return MsgResult::Ok;
        stop("the message box \"" + title + "\" needs an answer line");
    }

    int runAndWait(const std::string& commandLine) override {
        transcript("run: " + commandLine);
        return 0;
    }

    std::optional<std::string> scriptedPrinterReply() override {
        if (lines_.empty() || verb(lines_.front().text) != "printer")
            stop("a printer choice needs a \"printer\" line");
        Line l = lines_.front();
        lines_.pop_front();
        std::string reply = rest(l.text);
        if (reply == "cancel") reply.clear();
        return reply;
    }

    bool printsForReal() const override { return false; }

    // Waits as a user would; the note goes into the transcript once for each wait.
    bool wait(const std::string& note, int milliseconds) override {
        if (!note.empty() && note != waitNote_) transcript("wait: " + escapeLines(note));
        waitNote_ = note;
        return Backend::wait(note, milliseconds);
    }

    void transcript(const std::string& line) override {
        if (out_) {
            *out_ << line << '\n';
            out_->flush();
        }
    }

private:
    struct Line {
        int number;
        std::string text;
    };

    static MsgResult defaultAnswer(MsgButtons buttons, MsgDefault defaultButton) {
        const bool first = defaultButton == MsgDefault::First;
        switch (buttons) {
            case MsgButtons::OkCancel: return first ? MsgResult::Ok : MsgResult::Cancel;
            case MsgButtons::YesNo: return first ? MsgResult::Yes : MsgResult::No;
            case MsgButtons::YesNoCancel:
                return first ? MsgResult::Yes : defaultButton == MsgDefault::Second ? MsgResult::No : MsgResult::Cancel;
            case MsgButtons::Ok: break;
        }
        return MsgResult::Ok;
    }

    static std::string verb(const std::string& text) { return text.substr(0, text.find(' ')); }
    static std::string rest(const std::string& text) {
        std::size_t sp = text.find(' ');
        return sp == std::string::npos ? std::string() : text.substr(sp + 1);
    }
    static std::string where(const Line& l) { return "script line " + std::to_string(l.number) + ": "; }

    [[noreturn]] void stop(const std::string& why) {
        transcript("stopped: " + why);
        throw ScriptStop(why);
    }

    int idOf(const Line& l, const std::string& arg) {
        int id = 0;
        if (!parseInt(arg, id)) stop(where(l) + "\"" + arg + "\" is not a control ID");
        return id;
    }

    void act(Dialog& dialog, const Line& l) {
        const std::string v = verb(l.text);
        const std::string args = rest(l.text);
        if (v == "click") {
            const int id = idOf(l, args);
            if (!dialog.canClick(id))
                stop(where(l) + "the dialog \"" + dialog.caption() + "\" has no enabled control or menu entry " + args);
            if (dialog.exists(id)) dialog.userClick(id);
            else dialog.dispatch({EventKind::Command, id});
        } else if (v == "check") {
            const int id = idOf(l, args);
            if (!dialog.exists(id) || dialog.kind(id) != ControlKind::CheckBox || !dialog.isEnabled(id))
                stop(where(l) + "the dialog \"" + dialog.caption() + "\" has no enabled check box " + args);
            dialog.userClick(id);
        } else if (v == "type") {
            const std::size_t sp = args.find(' ');
            const std::string idText = args.substr(0, sp);
            const std::string text = sp == std::string::npos ? std::string() : args.substr(sp + 1);
            const int id = idOf(l, idText);
            if (!dialog.exists(id) || dialog.kind(id) != ControlKind::Edit || !dialog.isEnabled(id))
                stop(where(l) + "the dialog \"" + dialog.caption() + "\" has no enabled edit box " + idText);
            // A box takes what a user could type into it: a text too long for it is cut at its
            // length, control bytes are left out, and the transcript says what the box kept.
            if (!dialog.userType(id, text)) transcript("kept: " + idText + " " + dialog.text(id));
        } else if (v == "select") {
            const std::size_t sp = args.find(' ');
            const int id = idOf(l, args.substr(0, sp));
            int n = -1;
            if (sp == std::string::npos || !parseInt(args.substr(sp + 1), n))
                stop(where(l) + "select needs a list box ID and a line number");
            if (!dialog.exists(id) || dialog.kind(id) != ControlKind::ListBox)
                stop(where(l) + "the dialog \"" + dialog.caption() + "\" has no list box " + args.substr(0, sp));
            if (n < 0 || n >= static_cast<int>(dialog.listLines(id).size()))
                stop(where(l) + "the list box has no line " + std::to_string(n));
            dialog.selectListLine(id, n);
        } else if (v == "enter") {
            dialog.userEnter();
        } else if (v == "close") {
            dialog.userClose();
        } else if (v == "answer" || v == "printer") {
            stop(where(l) + "\"" + l.text + "\" came while no message box or printer choice was shown");
        } else {
            stop(where(l) + "unknown action \"" + l.text + "\"");
        }
    }

    std::deque<Line> lines_;
    std::ostream* out_;
    std::string waitNote_;
};

}  // namespace

std::unique_ptr<Backend> makeScriptedBackend(const std::string& scriptText, std::ostream* transcriptOut) {
    return std::make_unique<ScriptedBackend>(scriptText, transcriptOut);
}

}  // namespace platform
