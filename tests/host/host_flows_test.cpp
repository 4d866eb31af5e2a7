// Every menu flow as a user meets it: the host program loads the module and calls DPMENU, a
// scripted user goes through the dialogs. In the sanitized build this runs the module the way
// it is shipped, so a fault that only shows across the library boundary fails here.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/files.h"
#include "register/asset_files.h"
#include "support/client_dir.h"

namespace fs = std::filesystem;
using dptest::TempClient;

namespace {

struct HostRun {
    int status = -1;
    std::string transcript;
    std::string errors;
};

std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// dphost --script S --transcript T CLIENT, from the directory of the rate tables.
HostRun runHost(const TempClient& scratch, const std::string& client, const std::string& script) {
    const std::string scriptFile = scratch.path("script"), transcriptFile = scratch.path("transcript"),
                      errorFile = scratch.path("errors");
    std::ofstream(scriptFile) << script;
    const std::string host = std::string(DP_BINARY_DIR) + "/suite/dphost";
    const std::string command = "cd '" + std::string(DP_SOURCE_DIR) + "/data' && '" + host + "' --script '" +
                                scriptFile + "' --transcript '" + transcriptFile + "' '" + client + "' 2>'" +
                                errorFile + "' </dev/null";
    HostRun r;
    const int raw = std::system(command.c_str());
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.transcript = readText(transcriptFile);
    r.errors = readText(errorFile);
    return r;
}

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class HostFlows : public ::testing::Test {
protected:
    TempClient client, scratch;
    void SetUp() override {
        std::vector<dp::AssetRecord> recs;
        for (const char* n : {"A1", "B2", "C3"}) {
            dp::AssetRecord r = dptest::makeAsset(n, std::string("Asset ") + n, "010198");
            r.Tax.Method = "SL  ";
            r.Tax.Rate = 5;
            r.Tax.Cost = 1000;
            r.Book = r.Tax;
            r.Tax.Code4562 = "17    ";
            recs.push_back(r);
        }
        client.writeRegister(recs);
        client.writeCompany(dptest::makeCompany("Acme", "12312003", "12312003"));
    }
    // Runs the menu with the flow's steps, then leaves it; the host must end cleanly.
    HostRun menu(const std::string& steps) {
        HostRun r = runHost(scratch, client.code(), steps + "click 409\n");
        EXPECT_EQ(r.status, 0) << r.errors;
        EXPECT_EQ(r.errors, "");
        return r;
    }
};

TEST_F(HostFlows, AssetMaintenanceAddsAnAsset) {
    const HostRun r = menu("click 401\ntype 201 D4\nclick 194\ntype 202 Lathe\ntype 308 5000\nclick 196\nclick 199\n");
    EXPECT_TRUE(has(r.transcript, "dialog: Asset File Maintenance  (" + client.code() + ")"));
    const auto recs = client.readRecords();
    ASSERT_EQ(recs.size(), 4u);
    EXPECT_EQ(dp::trimRight(recs[3].Description), "Lathe");
    EXPECT_EQ(client.readIndex()[3].AssetNumber, "D4    ");  // sorted when the dialog closed
}

TEST_F(HostFlows, CompanyMaintenanceSaves) {
    menu("click 402\ntype 201 Acme Tools\nclick 301\n");
    dp::CompanyRecord c;
    dp::readCompanyFile(client.code(), c);
    EXPECT_EQ(dp::trimRight(c.CompanyName), "Acme Tools");
}

TEST_F(HostFlows, TheReportStoresAndPrintsToAFile) {
    const std::string copy = scratch.path("copy.txt");
    const HostRun r = menu("click 403\ntype 201 12312003\nclick 301\nprinter 1*FILE*" + copy + "*Y\n");
    EXPECT_TRUE(has(r.transcript, "print: " + dp::dataPath(client.code(), "report.txt") + ",FILE," + copy));
    EXPECT_DOUBLE_EQ(client.readRecords()[0].Tax.CurrentDepr, 200.0);
    EXPECT_TRUE(has(readText(client.path("report.txt")), "TOTALS FOR ALL ASSETS"));
}

TEST_F(HostFlows, TheCloseAdvancesTheYearAndKeepsTheOldOne) {
    const auto oldFil = client.bytes("depr.fil");
    // No report ran: the close says so first, and is told to go on.
    const HostRun r = menu("click 404\nanswer yes\nanswer ok\n");
    EXPECT_TRUE(has(r.transcript, "message: DEPRECIATION - CLOSE YEAR | No depreciation has been computed for the year "
                                  "ending 12/31/2003 on the book and tax bases"));
    dp::CompanyRecord c;
    dp::readCompanyFile(client.code(), c);
    EXPECT_EQ(dp::date6cToText(c.FiscalYearEnd), "12312004");
    EXPECT_EQ(client.bytes("DEPR2003.FIL"), oldFil);
    EXPECT_FALSE(platform::fileExists(client.path("NEW.FIL")));
}

TEST_F(HostFlows, TheAmortizationWritesItsSchedule) {
    const HostRun r = menu(
        "click 406\ntype 201 Truck\ntype 202 10000\ntype 203 8\ntype 204 36\ntype 205 U\ntype 206 010124\n"
        "type 208 1\nclick 194\nprinter cancel\nclick 199\n");
    EXPECT_TRUE(has(r.transcript, "dialog: Amortization Schedule  (" + client.code() + ")"));
    EXPECT_TRUE(has(readText(client.path("report.txt")), "Truck"));
}

TEST_F(HostFlows, Form4562IsWritten) {
    menu("click 407\nprinter cancel\n");
    EXPECT_GT(platform::fileSize(client.path("T4562.FRM")), 1000);
}

TEST_F(HostFlows, EveryFlowInOneSession) {
    const HostRun r = menu(
        "click 401\nclick 199\nclick 402\nclick 301\nclick 403\nclick 301\nprinter cancel\nclick 404\nanswer no\n"
        "click 406\nclick 199\nclick 407\nprinter cancel\n");
    int menus = 0;
    for (std::size_t at = 0; (at = r.transcript.find("dialog: Depreciation/Amortization Menu", at)) != std::string::npos; ++at)
        ++menus;
    EXPECT_EQ(menus, 7);
}

// A client on a read-only share: every procedure says so before anything is typed, and nothing
// is lost. The share is a read-only bind mount in a mount namespace of the test's own.
TEST_F(HostFlows, AReadOnlyShareIsRefusedBeforeAnythingIsTyped) {
    if (std::system("unshare --mount true 2>/dev/null") != 0) GTEST_SKIP() << "no mount namespaces here";
    const std::string scriptFile = scratch.path("script"), transcriptFile = scratch.path("transcript");
    std::ofstream(scriptFile) << "click 401\nclick 402\nclick 403\nclick 404\nclick 406\nclick 407\nclick 409\n";
    const auto before = client.bytes("depr.fil");
    const std::string host = std::string(DP_BINARY_DIR) + "/suite/dphost";
    const std::string command = "cd '" + std::string(DP_SOURCE_DIR) + "/data' && unshare --mount sh -c \"mount --bind '" +
                                client.code() + "' '" + client.code() + "' && mount -o remount,ro,bind '" + client.code() +
                                "' && '" + host + "' --script '" + scriptFile + "' --transcript '" + transcriptFile +
                                "' '" + client.code() + "'\" 2>'" + scratch.path("errors") + "'";
    const int raw = std::system(command.c_str());
    if (readText(scratch.path("errors")).find("mount:") != std::string::npos) GTEST_SKIP() << "no bind mounts here";
    EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 0) << readText(scratch.path("errors"));
    const std::string t = readText(transcriptFile);
    int refused = 0;
    for (std::size_t at = 0; (at = t.find("DEPR.LCK cannot be used: the disk is read-only.", at)) != std::string::npos; ++at)
        ++refused;
    EXPECT_EQ(refused, 6) << t;
    EXPECT_EQ(client.bytes("depr.fil"), before);
}

TEST_F(HostFlows, AnEmptyClientCodeIsRefused) {
    const HostRun r = runHost(scratch, "", "click 401\nclick 402\nclick 406\nclick 407\nclick 409\n");
    EXPECT_FALSE(platform::fileExists("/company.fil"));
    EXPECT_FALSE(platform::fileExists("/report.txt"));
    EXPECT_FALSE(has(r.errors, "AddressSanitizer"));
}

}  // namespace
