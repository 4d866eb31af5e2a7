// The report, an addition and the pack, stopped at every change they make on disk: the process
// ended there (as a pulled plug or a killed program ends it), or the change failed (as a full disk
// fails it). After the next opening the register is wholly the old one or wholly the new one, and
// no work file is left in the client's folder.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>

#include "entry/procedures.h"
#include "platform/backend.h"
#include "platform/client_lock.h"
#include "platform/files.h"
#include "register/asset_files.h"
#include "register/client.h"
#include "register/unfinished_work.h"
#include "support/client_dir.h"

namespace fs = std::filesystem;
using dptest::ScriptRun;
using dptest::TempClient;
using Bytes = std::vector<unsigned char>;
using Files = std::map<std::string, Bytes>;

namespace {

// What a flow's outcome is judged by.
using View = std::function<std::string(const TempClient&)>;

std::string asText(const Bytes& b) { return std::string(b.begin(), b.end()); }

std::string filesView(const TempClient& c, std::initializer_list<const char*> names) {
    std::string out;
    for (const char* n : names) out += std::string(n) + "=" + asText(c.bytes(n)) + "|";
    return out;
}

// The register as the readers see it: each entry's asset number with its record, in asset order.
std::string registerView(const TempClient& c) {
    const std::vector<dp::AssetRecord> recs = c.readRecords();
    std::vector<std::string> rows;
    for (const dp::IndexEntry& e : c.readIndex()) {
        const auto r = static_cast<std::size_t>(e.RecordNumber);
        if (r < 1 || r > recs.size()) {
            rows.push_back(e.AssetNumber + "?");
            continue;
        }
        const dp::AssetRecord::Bytes b = recs[r - 1].encode();
        rows.push_back(e.AssetNumber + std::string(b.begin(), b.end()));
    }
    std::sort(rows.begin(), rows.end());
    std::string out;
    for (const std::string& r : rows) out += r + "|";
    return out + std::to_string(recs.size());
}

struct Flow {
    const char* name;
    void (*procedure)(const std::string&);
    const char* script;
    dp::ChangeFlag flag;  // the maintenance state it starts with
    View view;
};

const Flow kFlows[] = {
    {"report", dp::RunDepreciationReport, "type 201 12312003\nclick 301\nprinter cancel\n", dp::ChangeFlag::None,
     [](const TempClient& c) { return filesView(c, {"depr.fil", "depr.idx", "report.txt"}); }},
    // When the save failed, the record is still open with its typing: the close asks, Enter keeps
    // the record (the default), Abort drops it and the close then leaves. After a save that
    // succeeded, the close leaves at once and the lines after it are not read.
    {"add", dp::RunAssetMaintenance,
     "type 201 X9\nclick 194\ntype 202 Added\nclick 196\nclick 199\nenter\nclick 197\nclick 199\n",
     dp::ChangeFlag::None, registerView},
    {"pack", dp::RunAssetMaintenance, "click 199\n", dp::ChangeFlag::Deleted,
     [](const TempClient& c) { return filesView(c, {"depr.fil", "depr.idx", "ODEPR.FIL", "ODEPR.IDX"}); }},
};

Files files(const TempClient& c) {
    Files out;
    for (const auto& e : fs::directory_iterator(c.code()))
        if (e.is_regular_file() && e.path().filename() != platform::kClientLockName)
            out[e.path().filename().string()] = c.bytes(e.path().filename().string());
    return out;
}

void restore(const TempClient& c, const Files& state) {
    for (const auto& e : fs::directory_iterator(c.code()))
        if (e.path().filename() != platform::kClientLockName) fs::remove_all(e.path());
    for (const auto& [name, bytes] : state) c.writeBytes(name, bytes);
}

// Whatever the module writes only while it works.
std::vector<std::string> workLeft(const TempClient& c) {
    std::vector<std::string> left;
    for (const auto& e : fs::directory_iterator(c.code())) {
        const std::string n = e.path().filename().string();
        if (dp::isWorkFileName(n) || n == dp::kAddMarkerName || n.rfind(platform::kReplaceJournalName, 0) == 0)
            left.push_back(n);
    }
    return left;
}

void runFlow(const Flow& f, const std::string& code) {
    dp::maintenanceState() = dp::MaintenanceState{};
    dp::maintenanceState().changeFlag = f.flag;
    ScriptRun run(f.script);
    f.procedure(code);
}

// The flow in a process of its own that ends at the change numbered step; its exit status.
int killedAt(const Flow& f, const std::string& code, int step) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        try {
            platform::injectFileFault(step, platform::FileError::DiskFull, platform::FaultAction::Exit);
            runFlow(f, code);
        } catch (...) {
            ::_exit(2);
        }
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class PulledPlug : public ::testing::Test {
protected:
    void SetUp() override {
        fs::current_path(fs::path(DP_SOURCE_DIR) / "data");
        std::vector<dp::AssetRecord> recs;
        for (int i = 1; i <= 15; ++i) {
            const bool deleted = i % 7 == 3;
            recs.push_back(dptest::makeSlAsset("A" + std::to_string(i), deleted ? "***DELETED***" : "Asset", 1000 + i));
        }
        client.writeRegister(recs);
        client.writeCompany(dptest::makeCompany("Acme", "12312003", "12312003"));
        client.writeBytes("report.txt", {'o', 'l', 'd'});
        old = files(client);
    }
    void TearDown() override {
        platform::injectFileFault(-1);
        fs::current_path(previous);
    }
    // What the next user finds: the opening finishes or clears away what was left.
    std::string reopen() {
        ScriptRun run("");
        EXPECT_TRUE(dp::Client::open(client.code(), "next user")) << run.transcript();
        return run.transcript();
    }
    fs::path previous = fs::current_path();
    TempClient client;
    Files old;
};

TEST_F(PulledPlug, EveryWriteRenameAndFlushOfTheReportTheAddAndThePack) {
    for (const Flow& f : kFlows) {
        restore(client, old);
        const std::string oldView = f.view(client);
        platform::injectFileFault(-1);
        runFlow(f, client.code());
        const int changes = platform::changingOperations();
        const std::string newView = f.view(client);
        ASSERT_NE(oldView, newView) << f.name;
        int sawOld = 0, sawNew = 0;
        for (int step = 0; step < changes; ++step) {
            for (const platform::FaultAction action : {platform::FaultAction::Exit, platform::FaultAction::Fail}) {
                const bool killed = action == platform::FaultAction::Exit;
                SCOPED_TRACE(std::string(f.name) + (killed ? ", killed at change " : ", change failed: ") +
                             std::to_string(step) + " of " + std::to_string(changes));
                restore(client, old);
                if (killed) {
                    ASSERT_EQ(killedAt(f, client.code(), step), platform::kFaultExitStatus);
                } else {
                    platform::injectFileFault(step, platform::FileError::DiskFull);
                    runFlow(f, client.code());
                    platform::injectFileFault(-1);
                }
                reopen();
                const std::string seen = f.view(client);
                EXPECT_TRUE(seen == oldView || seen == newView);
                sawOld += seen == oldView;
                sawNew += seen == newView;
                EXPECT_EQ(workLeft(client), std::vector<std::string>{});
            }
        }
        EXPECT_GT(sawOld, 0) << f.name;
        EXPECT_GT(sawNew, 0) << f.name;
        std::cout << "[          ] " << f.name << ": " << changes << " changes, each killed and failed: " << sawOld
                  << " times the old register, " << sawNew << " times the new\n";
    }
}

}  // namespace
