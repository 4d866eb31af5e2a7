#include "cli_backend.h"

#include <cstdio>

namespace veldro {
namespace {

std::string withLineEnds(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        out += text[i];
    }
    return out;
}

class CommandLineBackend : public platform::Backend {
public:
    void runModal(platform::Dialog& dialog) override {
        throw DialogRefused("the dialog \"" + dialog.caption() + "\" would open, which the command line cannot show");
    }

    platform::MsgResult message(const std::string& text, const std::string& title, platform::MsgIcon, platform::MsgButtons buttons,
                                platform::MsgDefault) override {
        // The messages of a command's own procedure ("veldro import") carry its name in front.
        if (title.rfind("veldro ", 0) == 0) std::fprintf(stderr, "%s: %s\n", title.c_str(), withLineEnds(text).c_str());
        else say(title.empty() ? text : title + ": " + text);
        switch (buttons) {
            case platform::MsgButtons::Ok: return platform::MsgResult::Ok;
            case platform::MsgButtons::OkCancel: return platform::MsgResult::Cancel;
            case platform::MsgButtons::YesNo: return platform::MsgResult::No;
            case platform::MsgButtons::YesNoCancel: return platform::MsgResult::Cancel;
        }
        return platform::MsgResult::Cancel;
    }

    int runAndWait(const std::string&) override { return -1; }
    std::optional<std::string> scriptedPrinterReply() override { return std::string(); }
    bool printsForReal() const override { return false; }
    void status(const std::string& text) override { say(text); }

    // Waits as the menu does, saying once who has the client; Ctrl+C is what stops a command.
    bool wait(const std::string& note, int milliseconds) override {
        if (!note.empty() && note != waitNote_) say(commandLineNote(note));
        waitNote_ = note;
        return Backend::wait(note, milliseconds);
    }

private:
    static std::string commandLineNote(std::string note) {
        const std::string key = "(Esc stops)";
        if (const std::size_t at = note.find(key); at != std::string::npos) note.replace(at, key.size(), "(Ctrl+C stops)");
        return note;
    }

    std::string waitNote_;
};

}  // namespace

void say(const std::string& text) {
    std::fprintf(stderr, "veldro: %s\n", withLineEnds(text).c_str());
    std::fflush(stderr);
}

std::unique_ptr<platform::Backend> makeCommandLineBackend() { return std::make_unique<CommandLineBackend>(); }

}  // namespace veldro
