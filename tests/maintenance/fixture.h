// Shared set-up of the maintenance tests: a fresh client directory as the session's client
// code, the register state of a freshly loaded module, and helpers to read the transcript.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/dialog.h"
#include "platform/files.h"
#include "register/asset_files.h"
#include "register/asset_maintenance.h"
#include "support/client_dir.h"

namespace mt {

inline std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    std::string l;
    while (std::getline(in, l)) out.push_back(l);
    return out;
}

inline bool hasLine(const std::string& transcript, const std::string& line) {
    for (const auto& l : lines(transcript))
        if (l == line) return true;
    return false;
}

inline int countPrefix(const std::string& transcript, const std::string& prefix) {
    int n = 0;
    for (const auto& l : lines(transcript))
        if (l.rfind(prefix, 0) == 0) ++n;
    return n;
}

struct ClientTest : ::testing::Test {
    dptest::TempClient client;
    std::unique_ptr<dp::Client> opened;
    void SetUp() override {
        dp::maintenanceState() = dp::MaintenanceState{};
        platform::setReplaceFaultAfter(-1);
        platform::injectFileFault(-1);
    }
    void TearDown() override {
        platform::setReplaceFaultAfter(-1);
        platform::injectFileFault(-1);
        opened.reset();
        platform::closeAllFiles();
    }
    const std::string& code() const { return client.code(); }
    // The client as a procedure has it open (locked), opened on first use.
    dp::Client& cl() {
        if (!opened) opened = dp::Client::open(client.code(), "test");
        if (!opened) throw std::runtime_error("the test client cannot be opened");
        return *opened;
    }
    // Gives the client up, as a procedure does when it returns.
    void release() { opened.reset(); }
    dp::MaintenanceState& state() { return dp::maintenanceState(); }

    // Runs the maintenance procedure on a script; returns the transcript.
    std::string runMaintenance(const std::string& script) { return runMaintenanceOn(client.code(), script); }
    std::string runMaintenanceOn(const std::string& clientCode, const std::string& script) {
        release();
        dptest::ScriptRun run(script);
        dp::RunAssetMaintenance(clientCode);
        return run.transcript();
    }
};

// The maintenance dialog driven directly by the test, so its state can be inspected between
// actions. Message boxes and the listing go to the scripted backend of a ScriptRun.
struct Driven {
    dp::Maintenance m;
    platform::Dialog dlg;
    Driven(dp::Client& client, dp::MaintenanceState& state)
        : m{client, state}, dlg(dp::buildAssetMaintenanceDialog(client.code())) {
        dlg.attach([this](platform::Dialog& d, const platform::Event& ev) { dp::assetMaintenanceHandler(m, d, ev); });
        dlg.dispatch({platform::EventKind::Init, 0});
    }
    void type(int id, const std::string& text) {
        ASSERT_TRUE(dlg.exists(id) && dlg.isEnabled(id)) << "box " << id;
        dlg.userType(id, text);
    }
    void click(int id) {
        ASSERT_TRUE(dlg.canClick(id)) << "control " << id;
        if (dlg.exists(id)) dlg.userClick(id);
        else dlg.sendCommand(id);
    }
    void lookUp(const std::string& number) {
        type(201, number);
        click(194);
    }
};

inline dp::AssetRecord asset(const std::string& number, const std::string& description,
                             const std::string& acquired = "010598") {
    return dptest::makeAsset(number, description, acquired);
}

}  // namespace mt
