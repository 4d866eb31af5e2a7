// Each change a procedure makes on disk fails once in turn, as a full disk would make it fail.
// Every time the procedure either finishes whole, or tells the user and leaves the client's
// files as they were; a file that could not be written completely is never printed.
#include <gtest/gtest.h>

#include <filesystem>

#include "amort/amort_dialog.h"
#include "entry/procedures.h"
#include "platform/client_lock.h"
#include "platform/files.h"
#include "register/asset_files.h"
#include "support/client_dir.h"

using dptest::ScriptRun;
using dptest::TempClient;

namespace {

using Files = std::map<std::string, std::vector<unsigned char>>;

int schedulesPrinted = 0;
void countPrint(const std::string&, const std::string&, const std::string&) { ++schedulesPrinted; }

// The client's files, the lock file aside.
Files files(const TempClient& client) {
    Files out;
    for (const auto& e : std::filesystem::directory_iterator(client.code())) {
        const std::string name = e.path().filename().string();
        if (e.is_regular_file() && name != platform::kClientLockName) out[name] = client.bytes(name);
    }
    return out;
}

void restore(const TempClient& client, const Files& state) {
    for (const auto& e : std::filesystem::directory_iterator(client.code()))
        if (e.path().filename().string() != platform::kClientLockName) std::filesystem::remove_all(e.path());
    for (const auto& [name, bytes] : state) client.writeBytes(name, bytes);
}

struct Flow {
    const char* name;
    void (*run)(const std::string&);
    const char* script;
    // The files a finished run changed, compared with the files before it.
    bool (*finished)(const Files& before, const Files& after);
};

bool changed(const Files& before, const Files& after, const char* name) {
    auto b = before.find(name), a = after.find(name);
    return a != after.end() && (b == before.end() || b->second != a->second);
}

const Flow kFlows[] = {
    {"company", dp::RunCompanyMaintenance, "type 201 Renamed\nclick 301\nanswer cancel\n",
     [](const Files& b, const Files& a) { return changed(b, a, "company.fil"); }},
    {"report", dp::RunDepreciationReport, "type 201 12312003\nclick 301\nprinter cancel\n",
     [](const Files& b, const Files& a) { return changed(b, a, "depr.fil") && changed(b, a, "report.txt"); }},
    {"close", dp::RunClosePeriod, "answer ok\n",
     [](const Files& b, const Files& a) { return changed(b, a, "company.fil") && changed(b, a, "depr.fil"); }},
    {"amortization", dp::RunAmortization,
     "type 201 Truck\ntype 202 10000\ntype 203 8\ntype 204 36\ntype 205 U\ntype 206 010124\ntype 208 1\nclick 194\n"
     "click 199\n",
     [](const Files& b, const Files& a) { return changed(b, a, "report.txt"); }},
    {"form", dp::RunForm4562, "printer cancel\n", [](const Files& b, const Files& a) { return changed(b, a, "T4562.FRM"); }},
    // B2 is marked deleted; closing the maintenance dialog packs it away.
    {"pack", dp::RunAssetMaintenance, "click 199\n",
     [](const Files& b, const Files& a) { return changed(b, a, "depr.fil") && a.at("depr.fil").size() == 2 * 219; }},
};

}  // namespace

TEST(WriteFaults, EveryProcedureIsDoneWholeOrTellsAndChangesNothing) {
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(std::filesystem::path(DP_SOURCE_DIR) / "data");
    const dp::AmortPrinter previousPrinter = dp::setAmortPrinter(countPrint);
    for (const Flow& flow : kFlows) {
        TempClient client;
        std::vector<dp::AssetRecord> recs;
        for (const char* n : {"A1", "B2", "C3"}) {
            const bool packed = std::string(flow.name) == "pack" && std::string(n) == "B2";
            dp::AssetRecord r = dptest::makeAsset(n, packed ? "***DELETED***" : "Asset", "010198");
            r.Tax.Method = "SL  ";
            r.Tax.Rate = 5;
            r.Tax.Cost = 1000;
            r.Tax.CurrentDepr = 7;  // the report changes it, the close carries it over
            recs.push_back(r);
        }
        client.writeRegister(recs);
        client.writeCompany(dptest::makeCompany("Acme", "12312003", "12312003"));
        client.writeBytes("report.txt", {'o', 'l', 'd'});
        const Files before = files(client);
        int failures = 0;
        for (int step = 0;; ++step) {
            SCOPED_TRACE(std::string(flow.name) + ", fault at change " + std::to_string(step));
            restore(client, before);
            dp::amortEntries() = dp::LoanEntries{};
            dp::maintenanceState() = dp::MaintenanceState{};
            if (std::string(flow.name) == "pack") dp::maintenanceState().changeFlag = dp::ChangeFlag::Deleted;
            schedulesPrinted = 0;
            std::string transcript;
            bool reached;
            {
                ScriptRun run(flow.script);
                platform::injectFileFault(step, platform::FileError::DiskFull);
                flow.run(client.code());
                reached = platform::changingOperations() > step;
                platform::injectFileFault(-1);
                transcript = run.transcript();
            }
            // What the next user finds: an interrupted replacement is finished on opening.
            ASSERT_TRUE(dp::Client::open(client.code(), "next user"));
            const Files after = files(client);
            const bool told = transcript.find("the disk is full") != std::string::npos;
            if (!reached) {
                EXPECT_TRUE(flow.finished(before, after)) << transcript;
                EXPECT_FALSE(told) << transcript;
                break;
            }
            if (flow.finished(before, after) && !told) continue;  // a fault it could live with
            ++failures;
            EXPECT_TRUE(told) << transcript;
            if (told && after != before) {
                // Only a replacement that was committed may have completed: then it is whole.
                EXPECT_TRUE(flow.finished(before, after)) << transcript;
            }
            // Nothing half written went to the printer.
            EXPECT_EQ(transcript.find("printer"), std::string::npos);
            EXPECT_EQ(schedulesPrinted, 0);
            for (const char* work : {"NEW.FIL", "NEW.IDX", "NEWCOMP.FIL", "temp.fil", "temp.idx", "report.txt.new",
                                     "T4562.FRM.new", "company.fil.new", "depr.fil.new", "ADD.JNL"})
                EXPECT_FALSE(after.count(work)) << work;
            ASSERT_LT(step, 60);
        }
        EXPECT_GT(failures, 0) << flow.name;
    }
    dp::setAmortPrinter(previousPrinter);
    std::filesystem::current_path(previous);
}
