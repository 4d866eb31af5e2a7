// Helpers of the report tests: asset builders, a client with company settings, and backends that
// let a test act on a dialog directly or print for real.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "engine/report_options.h"
#include "platform/backend.h"
#include "platform/dialog.h"
#include "register/records.h"
#include "support/client_dir.h"

namespace reporttest {

struct Asset {
    Asset() = default;
    Asset(std::string n, std::string d) : number(std::move(n)), description(std::move(d)) {}

    std::string number = "A1";
    std::string description = "Test asset";
    std::string acquired = "031004";
    std::string sold;
    std::string method = "SL";
    double rate = 5;
    double cost = 1000;
    double bonus = 0, salvage = 0, expense = 0, bonus3050 = 0, prior = 0, current = 0, cancelled = 0;
    char manual = 'N';
    std::string code4562 = "";
    char basis = 'T';

    dp::AssetRecord record() const {
        dp::AssetRecord r;
        r.AssetNumber = dp::fixedText(number, 6);
        r.Description = dp::fixedText(description, 35);
        dp::date6FromText(r.DateAcquired, acquired, false);
        dp::date6FromText(r.DateSold, sold, true);
        for (dp::BasisBlock* b : {&r.Book, &r.Tax}) {
            b->Method = dp::fixedText(method, 4);
            b->Rate = rate;
            b->Manual = manual;
            b->Cost = cost;
            b->Bonus = bonus;
            b->Salvage = salvage;
            b->Expense = expense;
            b->Bonus3050 = bonus3050;
            b->PriorDepr = prior;
            b->CurrentDepr = current;
            b->Cancelled = cancelled;
            b->Code4562 = dp::fixedText(code4562, 6);
        }
        return r;
    }
};

inline dp::AssetRecord headingRow(const std::string& description) {
    dp::AssetRecord r = Asset{"H1", description}.record();
    dp::date6FromText(r.DateAcquired, "H", false);
    return r;
}

inline dp::AssetRecord subtotalRow(const std::string& number, const std::string& description) {
    dp::AssetRecord r = Asset{number, description}.record();
    dp::date6FromText(r.DateAcquired, "S", false);
    return r;
}

inline void writeCompany(const dptest::TempClient& client, const std::string& name = "Acme Tools",
                         const std::string& name2 = "", const std::string& fye = "12312004",
                         const std::string& period = "12312004") {
    dp::CompanyRecord c = dptest::makeCompany(name, fye, period);
    c.CompanyName2 = dp::fixedText(name2, 25);
    client.writeCompany(c);
}

inline std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Starts every test from a freshly loaded module's options and flags.
inline void resetModuleState() {
    dp::reportOptions() = dp::ReportOptions{};
}

// A backend whose dialogs are handled by a test function acting on the dialog directly.
class ActingBackend final : public platform::Backend {
public:
    using Act = std::function<void(platform::Dialog&)>;
    explicit ActingBackend(Act act) : act_(std::move(act)) {}
    void runModal(platform::Dialog& d) override {
        log << "dialog: " << d.caption() << "\n";
        act_(d);
        if (!d.ended()) throw platform::ScriptStop("the test left the dialog open");
    }
    platform::MsgResult message(const std::string& text, const std::string& title, platform::MsgIcon,
                                platform::MsgButtons, platform::MsgDefault) override {
        log << "message: " << title << " | " << text << "\n";
        return platform::MsgResult::Ok;
    }
    int runAndWait(const std::string&) override { return 0; }
    std::optional<std::string> scriptedPrinterReply() override { return printerReply; }
    bool printsForReal() const override { return false; }
    void transcript(const std::string& line) override { log << line << "\n"; }

    std::ostringstream log;
    std::optional<std::string> printerReply = std::string();

private:
    Act act_;
};

// The scripted backend for dialogs and messages, but with no scripted printer answer (the
// printer choice shows its own dialog) and real printing.
class PrintingBackend final : public platform::Backend {
public:
    explicit PrintingBackend(const std::string& script) : inner_(platform::makeScriptedBackend(script, &log)) {}
    void runModal(platform::Dialog& d) override { inner_->runModal(d); }
    platform::MsgResult message(const std::string& text, const std::string& title, platform::MsgIcon icon,
                                platform::MsgButtons buttons, platform::MsgDefault def) override {
        return inner_->message(text, title, icon, buttons, def);
    }
    int runAndWait(const std::string& c) override { return inner_->runAndWait(c); }
    std::optional<std::string> scriptedPrinterReply() override { return std::nullopt; }
    bool printsForReal() const override { return true; }
    void transcript(const std::string& line) override { inner_->transcript(line); }

    std::ostringstream log;

private:
    std::unique_ptr<platform::Backend> inner_;
};

// Installs a backend for the life of the object.
template <class B>
class Installed {
public:
    template <class... Args>
    explicit Installed(Args&&... args) {
        auto b = std::make_unique<B>(std::forward<Args>(args)...);
        backend_ = b.get();
        platform::setBackend(std::move(b));
    }
    ~Installed() { platform::setBackend(nullptr); }
    B& operator*() { return *backend_; }
    B* operator->() { return backend_; }

private:
    B* backend_;
};

// Sets an environment variable for the life of the object.
class EnvVar {
public:
    EnvVar(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~EnvVar() {
        if (old_) ::setenv(name_, old_->c_str(), 1);
        else ::unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

}  // namespace reporttest
