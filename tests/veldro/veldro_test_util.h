// Helpers of the tool's tests: a backend that answers every question as a user going ahead
// would (for running the menu's report and close as they run), and the register of a client
// directory as rows.
#pragma once

#include <sstream>
#include <string>

#include "platform/backend.h"
#include "register_rows.h"
#include "support/client_dir.h"

namespace veldrotest {

// Yes and OK to every question; the messages collected; no dialog may open.
class GoingAhead final : public platform::Backend {
public:
    std::ostringstream messages;
    void runModal(platform::Dialog& d) override { throw std::logic_error("unexpected dialog " + d.caption()); }
    platform::MsgResult message(const std::string& text, const std::string& title, platform::MsgIcon,
                                platform::MsgButtons buttons, platform::MsgDefault) override {
        messages << title << " | " << text << "\n";
        return buttons == platform::MsgButtons::YesNo ? platform::MsgResult::Yes : platform::MsgResult::Ok;
    }
    int runAndWait(const std::string&) override { return 0; }
    std::optional<std::string> scriptedPrinterReply() override { return std::string(); }
    bool printsForReal() const override { return false; }
};

// Puts a backend in place for its lifetime.
template <class B>
struct Installed {
    B* backend;
    Installed() {
        auto b = std::make_unique<B>();
        backend = b.get();
        platform::setBackend(std::move(b));
    }
    ~Installed() { platform::setBackend(nullptr); }
    B* operator->() { return backend; }
};

inline std::vector<veldro::RegisterRow> rowsOf(const dptest::TempClient& c) {
    return veldro::registerRows(c.bytes(platform::resolvePath(c.code(), "depr.idx").substr(c.code().size() + 1)),
                                c.bytes(platform::resolvePath(c.code(), "depr.fil").substr(c.code().size() + 1)));
}

}  // namespace veldrotest
