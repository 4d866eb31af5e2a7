// veldro as a user runs it, from the directory of the rate tables: the round trip of export and
// import, an import refused or tried without changing anything, the client's lock, a damaged
// index, the report's bytes against the menu's, and the exit status of every way it ends.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

#include "sample_client.h"
#include "generated_register.h"
#include "platform/files.h"
#include "register/client.h"
#include "report/depreciation_report.h"
#include "veldro_test_util.h"

namespace {

namespace fs = std::filesystem;
using dptest::TempClient;

struct Outcome {
    int status = -1;
    std::string out, err;
};

std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class Program : public ::testing::Test {
protected:
    TempClient scratch;

    // veldro ARGS from the directory of the rate tables; every argument quoted.
    Outcome veldro(const std::vector<std::string>& args) {
        std::string command = "cd '" + std::string(DP_SOURCE_DIR) + "/data' && ASAN_OPTIONS=detect_leaks=0 '" DP_VELDRO "'";
        for (const std::string& a : args) command += " '" + a + "'";
        command += " >'" + scratch.path("out") + "' 2>'" + scratch.path("err") + "' </dev/null";
        Outcome r;
        const int raw = std::system(command.c_str());
        r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        r.out = readText(scratch.path("out"));
        r.err = readText(scratch.path("err"));
        return r;
    }

    static std::string sample(const TempClient& c) {
        EXPECT_TRUE(sample::writeSampleClient(c.code()));
        return c.code();
    }

    void write(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }
};

// Every file of a client directory with its bytes, but the lock file (which holds who last had
// the client).
std::map<std::string, std::string> filesOf(const TempClient& c) {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::directory_iterator(c.code()))
        if (e.path().filename() != "DEPR.LCK") files[e.path().filename().string()] = readText(e.path().string());
    return files;
}

TEST_F(Program, ExportThenImportIntoAnEmptyClientThenExportGivesTheSameFile) {
    std::vector<std::vector<dp::AssetRecord>> registers = {{}};
    for (unsigned seed : {21u, 22u, 23u}) registers.push_back(veldrotest::generatedRegister(seed, 120).records);
    for (std::size_t i = 0; i < registers.size(); ++i) {
        SCOPED_TRACE(i == 0 ? std::string("the sample") : "generated register " + std::to_string(i));
        TempClient from, into;
        if (i == 0) sample(from);
        else from.writeRegister(registers[i]);
        const Outcome exported = veldro({"export", from.code(), "-o", scratch.path("first.csv"), "--replace"});
        ASSERT_EQ(exported.status, 0) << exported.err;
        const Outcome imported = veldro({"import", into.code(), scratch.path("first.csv")});
        ASSERT_EQ(imported.status, 0) << imported.err;
        const Outcome again = veldro({"export", into.code()});
        ASSERT_EQ(again.status, 0) << again.err;
        EXPECT_EQ(again.out, readText(scratch.path("first.csv")));
        if (i == 0) {
            // The sample's dates are stored in full, so even the files are the same.
            EXPECT_EQ(into.bytes("depr.fil"), from.bytes("depr.fil"));
            EXPECT_EQ(into.bytes("depr.idx"), from.bytes("depr.idx"));
        }
        EXPECT_FALSE(fs::exists(into.path("REPLACE.JNL")));
        EXPECT_FALSE(fs::exists(into.path("depr.fil.new")));
    }
}

TEST_F(Program, ARefusedImportListsEveryProblemAndChangesNoFile) {
    TempClient client;
    sample(client);
    const auto before = filesOf(client);
    write(scratch.path("in.csv"),
          "asset_number,description,date_acquired,book_method,book_rate,book_cost\r\n"
          "N1,Good row,03/15/2004,SL,5,1000\r\n"
          "101,Clash with the sample,03/15/2004,SL,5,1000\r\n"
          "N2,Bad date,02/30/2004,SL,5,1000\r\n"
          "N3,Bad cost,03/15/2004,SL,5,1 000\r\n");
    const Outcome r = veldro({"import", client.code(), scratch.path("in.csv")});
    EXPECT_EQ(r.status, 1);
    const std::string f = scratch.path("in.csv");
    EXPECT_NE(r.err.find(f + ":3: asset_number: \"101\" is already in the register\n"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(f + ":4: date_acquired: \"02/30/2004\" is not a date"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(f + ":5: book_cost: \"1 000\" is not a number"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("veldro: 3 problems in " + f + "; nothing was imported."), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(filesOf(client), before);
}

TEST_F(Program, ADryRunListsWhatWouldBeAddedAndChangesNothing) {
    TempClient client;
    sample(client);
    const auto before = filesOf(client);
    write(scratch.path("in.csv"), "asset_number,description,date_acquired,book_method,book_rate,book_cost\nN1,New press,2004-03-15,SL,5,\"1,000\"\n");
    const Outcome r = veldro({"import", client.code(), scratch.path("in.csv"), "--dry-run"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("    2  N1      New press"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("1 assets would be added to " + client.code() + " (it holds 14 records); nothing was changed."),
              std::string::npos)
        << r.out;
    EXPECT_EQ(filesOf(client), before);
}

TEST_F(Program, AClientInUseIsRefusedAndSaysSo) {
    TempClient client;
    sample(client);
    write(scratch.path("in.csv"), "asset_number\nN1\n");
    const auto before = filesOf(client);
    veldrotest::Installed<veldrotest::GoingAhead> quiet;
    std::unique_ptr<dp::Client> held = dp::Client::open(client.code(), "Close Current Period");
    ASSERT_TRUE(held);
    for (const std::vector<std::string>& args : {std::vector<std::string>{"import", client.code(), scratch.path("in.csv")},
                                                 std::vector<std::string>{"export", client.code()},
                                                 std::vector<std::string>{"project", client.code()}}) {
        std::vector<std::string> noWait = args;
        noWait.insert(noWait.end(), {"--wait", "0"});
        const Outcome r = veldro(noWait);
        EXPECT_EQ(r.status, 3) << args[0];
        EXPECT_NE(r.err.find("is in use by another user"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("Close Current Period"), std::string::npos) << r.err;
    }
    held.reset();
    EXPECT_EQ(filesOf(client), before);
    EXPECT_EQ(veldro({"import", client.code(), scratch.path("in.csv")}).status, 0);
}

// As the menu does, a command waits for a client another user has and goes ahead once it is free.
TEST_F(Program, AClientFreedWhileACommandWaitsIsServed) {
    TempClient client;
    sample(client);
    write(scratch.path("in.csv"), "asset_number\nN1\n");
    veldrotest::Installed<veldrotest::GoingAhead> quiet;
    std::unique_ptr<dp::Client> held = dp::Client::open(client.code(), "Close Current Period");
    ASSERT_TRUE(held);
    // Freed once the command has seen it held: it says so before it waits.
    std::thread colleague([&] {
        for (int i = 0; i < 600 && readText(scratch.path("err")).find("Waiting") == std::string::npos; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        held.reset();
    });
    const Outcome r = veldro({"import", client.code(), scratch.path("in.csv"), "--wait", "60"});
    colleague.join();
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("veldro: Waiting (Ctrl+C stops): " + client.code() + " is in use by"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "1 assets added to " + client.code() + "; the register holds 15 records.\n");
}

TEST_F(Program, ADamagedIndexIsRefusedAndNamed) {
    TempClient client;
    sample(client);
    std::vector<unsigned char> idx = client.bytes("depr.idx");
    idx[6] = 99;  // the first entry points past the end of depr.fil
    client.writeBytes("depr.idx", idx);
    write(scratch.path("in.csv"), "asset_number\nN1\n");
    const auto before = filesOf(client);
    for (const std::vector<std::string>& args : {std::vector<std::string>{"import", client.code(), scratch.path("in.csv")},
                                                 std::vector<std::string>{"export", client.code()},
                                                 std::vector<std::string>{"project", client.code()},
                                                 std::vector<std::string>{"report", client.code(), "--date", "12312004"}}) {
        const Outcome r = veldro(args);
        EXPECT_EQ(r.status, 3) << args[0];
        EXPECT_NE(r.err.find("depr.idx"), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "") << args[0];
    }
    EXPECT_EQ(filesOf(client), before);
}

TEST_F(Program, TheReportIsTheMenusReportByteForByte) {
    const struct {
        std::vector<std::string> options;
        const char* script;  // the same choices in the options dialog
        const char* round;  // what the dialog leaves of the rounding choice
    } cases[] = {
        {{"--date", "12312004"}, "type 201 12312004\nclick 301\nprinter cancel\n", ""},
        {{"--date", "6/30/2004", "--basis", "book"}, "type 201 6/30/2004\ncheck 202\nclick 301\nprinter cancel\n", ""},
        {{"--date", "12/31/04", "--whole-dollars"}, "type 201 12/31/04\ncheck 204\nclick 301\nprinter cancel\n", "Y"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.script);
        TempClient byMenu, byTool;
        sample(byMenu);
        sample(byTool);
        {
            dp::reportOptions().roundWholeDollars = "";
            const std::string cwd = fs::current_path().string();
            fs::current_path(std::string(DP_SOURCE_DIR) + "/data");
            dptest::ScriptRun run(c.script);
            dp::RunDepreciationReport(byMenu.code());
            fs::current_path(cwd);
            EXPECT_EQ(dp::reportOptions().roundWholeDollars, c.round);
        }
        std::vector<std::string> args = {"report", byTool.code()};
        args.insert(args.end(), c.options.begin(), c.options.end());
        args.insert(args.end(), {"-o", scratch.path("copy.txt"), "--replace"});
        const Outcome r = veldro(args);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(byTool.bytes("report.txt"), byMenu.bytes("report.txt"));
        EXPECT_EQ(byTool.bytes("depr.fil"), byMenu.bytes("depr.fil"));
        EXPECT_EQ(readText(scratch.path("copy.txt")), readText(byMenu.path("report.txt")));
    }
}

TEST_F(Program, TheReportsTableAndItsRefusals) {
    TempClient client;
    sample(client);
    Outcome r = veldro({"report", client.code(), "--date", "12312004", "-o", scratch.path("r.csv")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Report written to " + client.path("report.txt") + "\nTable written to " + scratch.path("r.csv") + "\n");
    const std::string csv = readText(scratch.path("r.csv"));
    EXPECT_EQ(csv.substr(0, csv.find('\n')),
              "asset_number,description,date_acquired,cost,salvage,net,method,rate,prior,current,cancelled,ending,sold\r");
    EXPECT_NE(csv.find("\r\n104,Forklift,2004-11-01,18000.00,5000.00,13000.00,B150,7.00,0.00,"), std::string::npos) << csv;
    EXPECT_NE(csv.find(",Y\r\n"), std::string::npos);  // the delivery van was sold
    const auto before = filesOf(client);
    r = veldro({"report", client.code(), "--date", "01312006"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Schedule MUST be within current fiscal year"), std::string::npos) << r.err;
    r = veldro({"report", client.code(), "--date", "13/01/2004"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("--date: \"13/01/2004\" is not a date"), std::string::npos) << r.err;
    EXPECT_EQ(filesOf(client), before);
}

TEST_F(Program, TheProjectionReadsTheClientAndChangesNothing) {
    TempClient client;
    sample(client);
    const auto before = filesOf(client);
    Outcome r = veldro({"project", client.code(), "--format", "csv"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\r\n101,Cash register,2004-12-31,480.00,480.00,1920.00\r\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\r\n101,Cash register,2009-12-31,53.17,2400.00,0.00\r\n"), std::string::npos);
    r = veldro({"project", client.code(), "--basis", "book", "--years", "3"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("BOOK BASIS"), std::string::npos);
    EXPECT_NE(r.out.find("Fiscal years ending 12/31/2004 to 12/31/2006 (years 1 to 3 of 3)"), std::string::npos);
    EXPECT_EQ(filesOf(client), before);
    client.writeCompany(dp::CompanyRecord{});
    r = veldro({"project", client.code()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("no fiscal year end"), std::string::npos);
}

TEST_F(Program, TheExitStatusSaysHowItEnded) {
    TempClient client;
    sample(client);
    const struct {
        std::vector<std::string> args;
        int status;
        const char* says;
    } cases[] = {
        {{}, 2, "name a command"},
        {{"--help"}, 0, "Usage: veldro COMMAND"},
        {{"import", "--help"}, 0, "FILE:LINE: column: what is wrong"},
        {{"export", scratch.path("no such client")}, 2, "does not exist"},
        {{"export", ""}, 2, "invalid Client Code"},
        {{"import", client.code(), scratch.path("missing.csv")}, 2, "cannot be read"},
        {{"project", client.code(), "--years", "0"}, 2, "--years is a number"},
        {{"export", client.code(), "-o", client.path("DEPR.FIL")}, 1, "is a file of a client's books"},
        {{"project", client.code(), "-o", client.code() + "/./company.fil", "--replace"}, 1, "is a file of a client's books"},
        {{"project", client.code(), "-o", client.path("Report.TXT")}, 1, "is one of the client's printer files"},
        {{"export", client.code(), "-o", scratch.path("")}, 1, "is a folder"},
        {{"export", client.code(), "-o", "/dev/null", "--replace"}, 1, "is not an ordinary file"},
        {{"report", client.code(), "--date", "12312004", "-o", scratch.path("kept.txt")}, 1,
         "kept.txt already exists; --replace writes over it. Nothing was done."},
        {{"export", client.code(), "--wait", "x"}, 2, "--wait is a number of seconds from 0 to 3600, not x"},
    };
    write(scratch.path("kept.txt"), "the user's own");
    const auto before = filesOf(client);
    for (const auto& c : cases) {
        const Outcome r = veldro(c.args);
        EXPECT_EQ(r.status, c.status) << ::testing::PrintToString(c.args);
        EXPECT_NE((r.out + r.err).find(c.says), std::string::npos) << r.out << r.err;
    }
    EXPECT_EQ(filesOf(client), before);
    EXPECT_EQ(readText(scratch.path("kept.txt")), "the user's own");
}

// An existing output is written over only when the command says so, and then whole.
TEST_F(Program, AnExistingOutputIsReplacedOnlyWhenAskedTo) {
    TempClient client;
    sample(client);
    const std::string out = scratch.path("assets.csv");
    write(out, "the user's own");
    Outcome r = veldro({"export", client.code(), "-o", out});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(readText(out), "the user's own");
    r = veldro({"export", client.code(), "-o", out, "--replace"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readText(out), veldro({"export", client.code()}).out);
    EXPECT_EQ(readText(out).rfind("row,deleted,asset_number,", 0), 0u);
}

}  // namespace
