// What every menu procedure does before it touches a client's files: it refuses an empty client
// code, a client another user has open, and a damaged index, and changes nothing when it does.
#include <gtest/gtest.h>

#include <filesystem>

#include "amort/amort_dialog.h"
#include "entry/procedures.h"
#include "platform/client_lock.h"
#include "platform/files.h"
#include "register/client.h"
#include "procedure_list.h"
#include "support/client_dir.h"

using dptest::ScriptRun;
using dptest::TempClient;

namespace {

// Every data file of the client directory (the lock file aside) with a digest of its bytes.
std::map<std::string, std::size_t> files(const TempClient& client) {
    std::map<std::string, std::size_t> out;
    for (const auto& e : std::filesystem::directory_iterator(client.code())) {
        const std::string name = e.path().filename().string();
        if (!e.is_regular_file() || name == platform::kClientLockName) continue;
        const auto bytes = client.bytes(name);
        out[name] = std::hash<std::string>{}(std::string(bytes.begin(), bytes.end()));
    }
    return out;
}

void writeClient(const TempClient& client) {
    client.writeRegister({dptest::makeAsset("A1", "Truck", "010198"), dptest::makeAsset("B2", "Desk", "020299")});
    client.writeCompany(dptest::makeCompany("Acme", "12312003", "12312003"));
}

}  // namespace

TEST(EveryProcedure, RefusesAnEmptyClientCodeBeforeAnyFile) {
    for (const Procedure& p : kProcedures) {
        ScriptRun run("");
        p.run("");
        EXPECT_EQ(run.transcript(), "message: Error in Client Code | invalid Client Code\n") << p.name;
        EXPECT_FALSE(platform::fileExists("/company.fil")) << p.name;
        EXPECT_FALSE(platform::fileExists("/report.txt")) << p.name;
    }
}

TEST(EveryProcedure, RefusesTheRootFolderAsAClient) {
    for (const Procedure& p : kProcedures) {
        ScriptRun run("");
        p.run("/");
        EXPECT_NE(run.transcript().find("names the root folder"), std::string::npos) << p.name << run.transcript();
    }
}

TEST(EveryProcedure, RefusesAClientAnotherUserHasOpen) {
    TempClient client;
    writeClient(client);
    const auto before = files(client);
    std::unique_ptr<dp::Client> other = dp::Client::open(client.code(), "Close Current Period");
    ASSERT_TRUE(other);
    dp::setClientWaitMilliseconds(300);
    for (const Procedure& p : kProcedures) {
        ScriptRun run("");
        p.run(client.code());
        const std::string t = run.transcript();
        // It waits first, saying who has the client, then gives up.
        const std::string waited = "wait: Waiting (Esc stops): " + client.code() + " is in use by " +
                                   platform::lockHolderName() + ": Close Current Period\n";
        EXPECT_EQ(t.rfind(waited + "message: " + p.title + " | Client " + client.code() + " is in use by another user (", 0),
                  0u)
            << p.name << ": " << t;
        EXPECT_NE(t.find(": Close Current Period).\\nNothing was changed."), std::string::npos) << p.name << ": " << t;
        EXPECT_EQ(files(client), before) << p.name;
    }
    dp::setClientWaitMilliseconds(-1);
    // Once the other user has finished, the client is free again.
    other.reset();
    ScriptRun run("answer cancel\n");
    dp::RunClosePeriod(client.code());
    EXPECT_NE(run.transcript().find("Close aborted"), std::string::npos);
}

// Each kind of damage, for each procedure that reads the register through its index: refused
// with the damage named, nothing changed when the repair is declined.
TEST(EveryProcedure, RefusesADamagedIndex) {
    struct Damage {
        const char* what;
        void (*apply)(const TempClient&);
    } damages[] = {
        {"empty", [](const TempClient& c) { c.writeBytes("depr.idx", {}); }},
        {"missing", [](const TempClient& c) { std::filesystem::remove(c.path("depr.idx")); }},
        {"one byte", [](const TempClient& c) { c.writeBytes("depr.idx", {'A'}); }},
        {"garbage", [](const TempClient& c) { c.writeBytes("depr.idx", std::vector<unsigned char>(24, 0xA5)); }},
        {"every entry on record 1",
         [](const TempClient& c) {
             std::vector<unsigned char> idx;
             for (const char* n : {"A1", "B2"}) {
                 const dp::IndexBytes e = dp::makeIndexBytes(n, 1);
                 idx.insert(idx.end(), e.begin(), e.end());
             }
             c.writeBytes("depr.idx", idx);
         }},
    };
    const struct {
        const char* name;
        void (*run)(const std::string&);
        const char* script;  // up to the refusal, which is answered No
        const char* title;
    } readers[] = {
        {"maintenance", dp::RunAssetMaintenance, "answer no\n", "Asset File Maintenance"},
        {"report", dp::RunDepreciationReport, "click 301\nanswer no\n", "Depreciation Report"},
        {"close", dp::RunClosePeriod, "answer no\n", "DEPRECIATION - CLOSE YEAR"},
        {"form", dp::RunForm4562, "answer no\n", "Form 4562"},
    };
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(std::filesystem::path(DP_SOURCE_DIR) / "data");
    for (const auto& d : damages) {
        for (const auto& r : readers) {
            SCOPED_TRACE(std::string(r.name) + " on an index " + d.what);
            TempClient client;
            writeClient(client);
            d.apply(client);
            const auto before = files(client);
            ScriptRun run(r.script);
            r.run(client.code());
            const std::string t = run.transcript();
            EXPECT_NE(t.find(std::string("message: ") + r.title + " | The asset index depr.idx does not match"),
                      std::string::npos)
                << t;
            EXPECT_EQ(files(client), before);
        }
    }
    std::filesystem::current_path(previous);
}
