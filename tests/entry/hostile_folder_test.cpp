// A client folder on a drive many people can write, tried as a careful attacker would: links,
// devices and pipes where the program's files belong, a journal that names other files, work left
// behind by a killed program, records described or numbered to confuse the readers, and stored
// text that would drive the printer. One group of tests per finding; each runs the procedures as
// a user would and checks what the books hold afterwards.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <new>

#include "entry/menu.h"
#include "entry/procedures.h"
#include "platform/client_lock.h"
#include "platform/files.h"
#include "register/asset_files.h"
#include "register/client.h"
#include "register/index_check.h"
#include "register/index_repair.h"
#include "register/unfinished_work.h"
#include "procedure_list.h"
#include "support/client_dir.h"

namespace fs = std::filesystem;
using dptest::ScriptRun;
using dptest::TempClient;
using Bytes = std::vector<unsigned char>;

namespace {

const char* const kReport = "type 201 12312003\nclick 301\nprinter cancel\n";

class HostileFolder : public ::testing::Test {
protected:
    void SetUp() override {
        dp::maintenanceState() = dp::MaintenanceState{};
        std::vector<dp::AssetRecord> recs;
        for (const char* n : {"A1", "B2", "C3"}) recs.push_back(dptest::makeSlAsset(n, std::string("Asset ") + n, 1000));
        client.writeRegister(recs);
        client.writeCompany(dptest::makeCompany("Acme", "12312003", "12312003"));
        fil = client.bytes("depr.fil");
        idx = client.bytes("depr.idx");
        company = client.bytes("company.fil");
    }
    std::string run(void (*procedure)(const std::string&), const std::string& script) {
        ScriptRun r(script);
        procedure(client.code());
        return r.transcript();
    }
    void expectBooksUnchanged() {
        EXPECT_EQ(client.bytes("depr.fil"), fil);
        EXPECT_EQ(client.bytes("depr.idx"), idx);
        EXPECT_EQ(client.bytes("company.fil"), company);
    }
    TempClient client, outside;
    Bytes fil, idx, company;
};

std::string lockPath(const TempClient& c) { return c.path(platform::kClientLockName); }

}  // namespace

// 1. The lock file is never followed, emptied or written before it is known to be the program's
//    own ordinary file; whatever else stands there is refused with a message naming it.
TEST_F(HostileFolder, TheLockFileIsNeverFollowedOrEmptied) {
    outside.writeBytes("secret.txt", {'k', 'e', 'e', 'p'});
    const struct {
        const char* what;
        void (*make)(const TempClient&, const TempClient&);
    } cases[] = {
        {"a link to depr.fil", [](const TempClient& c, const TempClient&) { fs::create_symlink(c.path("depr.fil"), lockPath(c)); }},
        {"a link to company.fil", [](const TempClient& c, const TempClient&) { fs::create_symlink("company.fil", lockPath(c)); }},
        {"a link outside", [](const TempClient& c, const TempClient& o) { fs::create_symlink(o.path("secret.txt"), lockPath(c)); }},
        {"a dangling link", [](const TempClient& c, const TempClient& o) { fs::create_symlink(o.path("made.txt"), lockPath(c)); }},
        {"a hard link to depr.fil", [](const TempClient& c, const TempClient&) { fs::create_hard_link(c.path("depr.fil"), lockPath(c)); }},
        {"a link to /dev/zero", [](const TempClient& c, const TempClient&) { fs::create_symlink("/dev/zero", lockPath(c)); }},
        {"a pipe", [](const TempClient& c, const TempClient&) { ASSERT_EQ(::mkfifo(lockPath(c).c_str(), 0600), 0); }},
        {"a folder", [](const TempClient& c, const TempClient&) { fs::create_directory(lockPath(c)); }},
    };
    for (const auto& c : cases) {
        fs::remove(lockPath(client));
        c.make(client, outside);
        for (const Procedure& p : kProcedures) {
            SCOPED_TRACE(std::string(c.what) + ", " + p.name);
            const auto start = std::chrono::steady_clock::now();
            const std::string t = run(p.run, "");
            EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));  // no waiting on a pipe
            EXPECT_EQ(t, "message: " + std::string(p.title) + " | The client's lock file " + lockPath(client) +
                             " cannot be used: it is not an ordinary file.\\nNothing was changed.\n");
            expectBooksUnchanged();
            EXPECT_EQ(outside.bytes("secret.txt"), (Bytes{'k', 'e', 'e', 'p'}));
            EXPECT_FALSE(fs::exists(outside.path("made.txt")));
        }
        std::error_code ec;
        fs::remove(lockPath(client), ec);
    }
    // Its own lock file, left by an earlier run, is used as ever: the close reaches its first
    // question (this register has no figures for the year: whether to close anyway).
    client.writeBytes(platform::kClientLockName, {'o', 'l', 'd'});
    EXPECT_NE(run(dp::RunClosePeriod, "answer no\n").find("Close aborted"), std::string::npos);
}

// 2. A data file that is not a file (a device, a pipe) or is larger than its layout allows is
//    refused at once with a message naming it; nothing reads without end or waits.
TEST_F(HostileFolder, DataFilesThatAreNotFilesAreRefusedAtOnce) {
    const struct {
        const char* file;
        const char* device;  // nullptr: a pipe
        const char* why;
    } cases[] = {
        {"depr.idx", "/dev/zero", "it is not an ordinary file"},
        {"depr.fil", "/dev/zero", "it is not an ordinary file"},
        {"depr.fil", "/dev/full", "it is not an ordinary file"},
        {"company.fil", "/dev/zero", "it is not an ordinary file"},
        {"depr.idx", nullptr, "it is not an ordinary file"},
        {"depr.fil", nullptr, "it is not an ordinary file"},
    };
    for (const auto& c : cases) {
        const std::string path = client.path(c.file);
        const Bytes before = client.bytes(c.file);
        fs::remove(path);
        if (c.device) fs::create_symlink(c.device, path);
        else ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
        for (const Procedure& p : kProcedures) {
            SCOPED_TRACE(std::string(c.file) + " " + (c.device ? c.device : "pipe") + ", " + p.name);
            const auto start = std::chrono::steady_clock::now();
            const std::string t = run(p.run, "");
            EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
            EXPECT_EQ(t, "message: " + std::string(p.title) + " | The client's file " + path + " cannot be used: " + c.why +
                             ".\\nNothing was changed.\n");
        }
        fs::remove(path);
        client.writeBytes(c.file, before);
    }
    // Larger than the register can hold: damaged, refused, left as it is.
    Bytes huge(static_cast<std::size_t>(dp::kMaxAssetFileBytes) + 1, ' ');
    client.writeBytes("depr.fil", huge);
    const std::string t = run(dp::RunDepreciationReport, "");
    EXPECT_NE(t.find("depr.fil cannot be used: it is larger than such a file can be, so it is damaged."),
              std::string::npos)
        << t;
    EXPECT_EQ(platform::fileSize(client.path("depr.fil")), static_cast<std::int64_t>(huge.size()));
    // An index with more entries than records can be numbered is offered its rebuild.
    client.writeBytes("depr.fil", fil);
    client.writeBytes("depr.idx", Bytes(static_cast<std::size_t>(dp::kMaxIndexFileBytes) + 8, 'x'));
    const std::string r = run(dp::RunDepreciationReport, "type 201 12312003\nclick 301\nanswer no\n");
    EXPECT_NE(r.find("depr.idx holds more entries than the register can address"), std::string::npos) << r;
}

// 2. A rate table that is not an ordinary file stops the report before anything is read or
//    changed, with the table named.
TEST_F(HostileFolder, ARateTableThatIsNoFileStopsTheReport) {
    const fs::path previous = fs::current_path();
    for (const auto& e : fs::directory_iterator(fs::path(DP_SOURCE_DIR) / "data"))
        if (e.path().extension() == ".tbl") fs::copy_file(e.path(), outside.path(e.path().filename().string()));
    fs::remove(outside.path("ACRS7.tbl"));
    ASSERT_EQ(::mkfifo(outside.path("ACRS7.tbl").c_str(), 0600), 0);
    fs::current_path(outside.code());
    const std::string t = run(dp::RunDepreciationReport, kReport);
    fs::current_path(previous);
    EXPECT_NE(t.find("message: Depreciation Report | These rate tables cannot be used:\\nACRS7.tbl: it is not an "
                     "ordinary file\\nThe report stops; no asset was changed."),
              std::string::npos)
        << t;
    expectBooksUnchanged();
}

// 2. Running out of memory in a procedure is told, never a silent end.
TEST(OutOfMemory, AProcedureThatRunsOutSaysSoAndTheMenuGoesOn) {
    ScriptRun r("");
    dp::runProcedure([](const std::string&) { throw std::bad_alloc(); }, "C1");
    EXPECT_EQ(r.transcript(), "message: Out of memory | There is not enough memory to go on, so the work stopped. What "
                              "was saved before is whole; nothing half done was kept.\n");
}

// 3. One meaning of "deleted": the pack after a deletion keeps every record that the report and
//    the close still count, whatever its description or asset number.
TEST_F(HostileFolder, ThePackKeepsEveryAssetTheReadersCount) {
    const dp::AssetRecord truck = dptest::makeSlAsset("T1", "***DELETED*** TRUCK", 5000);
    dp::AssetRecord blank = dptest::makeAsset("", "No number", "010198");
    std::vector<dp::AssetRecord> recs = client.readRecords();
    recs.push_back(truck);
    recs.push_back(blank);
    client.writeRegister(recs);
    // Delete B2 and close the dialog: the pack runs.
    run(dp::RunAssetMaintenance, "type 201 B2\nclick 194\nclick 193\nanswer yes\nclick 199\n");
    std::map<std::string, int> kept;
    for (const dp::AssetRecord& r : client.readRecords()) ++kept[dp::trimRight(r.AssetNumber)];
    EXPECT_EQ(kept, (std::map<std::string, int>{{"", 1}, {"A1", 1}, {"C3", 1}, {"T1", 1}}));
    // The report still prints the truck.
    run(dp::RunDepreciationReport, kReport);
    const Bytes report = client.bytes("report.txt");
    EXPECT_NE(std::string(report.begin(), report.end()).find("***DELETED*** TRUCK"), std::string::npos);
}

// 5. What a killed procedure leaves is cleared away at the next opening: the module's own work
//    files go (nothing else of the folder), and an addition cut off before its index entry is
//    taken back, the user told once which asset was not saved.
TEST_F(HostileFolder, UnfinishedWorkIsClearedAtTheNextOpening) {
    const char* const work[] = {"NEW.FIL", "NEW.IDX", "NEWCOMP.FIL", "temp.idx", "ODEPR.FIL.new",
                                "ODEPR.IDX.new", "report.txt.new", "T4562.FRM.new", "depr.idx.new", "depr.fil.new",
                                "DEPR2003.FIL.new", "COMP2003.FIL.new", "company.fil.new", "REPLACE.JNL.tmp"};
    const char* const users[] = {"notes.new", "temp.txt", "report.txt", "ODEPR.FIL", "DEPR2003.FIL", "mine.fil"};
    for (const char* name : work) client.writeBytes(name, {'w'});
    for (const char* name : users) client.writeBytes(name, {'u'});
    fs::create_symlink(client.path("depr.fil"), client.path("temp.fil"));  // the link goes, not what it names
    ASSERT_TRUE(dp::Client::open(client.code(), "next user"));
    for (const char* name : work) EXPECT_FALSE(fs::exists(client.path(name))) << name;
    EXPECT_FALSE(fs::is_symlink(client.path("temp.fil")));
    for (const char* name : users) EXPECT_EQ(client.bytes(name), Bytes{'u'}) << name;
    expectBooksUnchanged();

    // An addition cut off after its record went into depr.fil, before its entry: the marker
    // and the record are there, the entry is not.
    dp::AssetRecord x9 = dptest::makeAsset("X9", "Never seen saved", "010198");
    const dp::IndexBytes entry = dp::makeIndexBytes("X9", 4);
    ASSERT_TRUE(dp::writeAddMarker(client.code(), 4, entry));
    Bytes cut = fil;
    const auto rec = x9.encode();
    cut.insert(cut.end(), rec.begin(), rec.end());
    client.writeBytes("depr.fil", cut);
    std::string t = run(dp::RunDepreciationReport, kReport);
    EXPECT_EQ(t.rfind("message: Depreciation Report | Asset X9 was not saved: the program was stopped while it was "
                      "being saved. Enter it again.\n",
                      0),
              0u)
        << t;
    EXPECT_EQ(t.find("does not match"), std::string::npos) << t;  // no rebuild offered for it
    EXPECT_EQ(client.readRecords().size(), 3u);
    EXPECT_FALSE(fs::exists(client.path(dp::kAddMarkerName)));
    t = run(dp::RunDepreciationReport, kReport);
    EXPECT_EQ(t.find("was not saved"), std::string::npos) << t;  // told once
    // An addition whose entry was written before the program stopped is kept as saved.
    run(dp::RunAssetMaintenance, "type 201 Y1\nclick 194\ntype 202 Kept\nclick 196\nclick 199\n");
    ASSERT_TRUE(dp::writeAddMarker(client.code(), 4, dp::makeIndexBytes("Y1", 4)));
    t = run(dp::RunDepreciationReport, kReport);
    EXPECT_EQ(t.find("was not saved"), std::string::npos) << t;
    EXPECT_EQ(client.readRecords().size(), 4u);
}

// 6. The journal only renames the module's own files of the client's folder: one that names
//    anything else is refused and named, nothing is moved and nothing is made anew.
TEST_F(HostileFolder, AJournalNamingOtherFilesIsRefused) {
    const std::string outsideName = "../" + fs::path(outside.code()).filename().string() + "/outside.txt";
    const std::string journals[] = {
        "depr.fil\t" + outsideName + "\nEND\n",
        "company.fil\t../company.fil\nEND\n",
        "notes.txt\tdepr.fil\nEND\n",
    };
    for (const std::string& j : journals) {
        SCOPED_TRACE(j);
        client.writeBytes(platform::kReplaceJournalName, Bytes(j.begin(), j.end()));
        for (const Procedure& p : kProcedures) {
            const std::string t = run(p.run, "");
            EXPECT_EQ(t.rfind("message: " + std::string(p.title) + " | The replacement journal " +
                                  client.path(platform::kReplaceJournalName) + " cannot be carried out: ",
                              0),
                      0u)
                << t;
            EXPECT_NE(t.find("Nothing was moved."), std::string::npos) << t;
        }
        expectBooksUnchanged();
        EXPECT_FALSE(fs::exists(outside.path("outside.txt")));
        EXPECT_FALSE(fs::exists(fs::path(client.code()).parent_path() / "company.fil"));
    }
}

// 7. The rebuild of a damaged index lists every live record: a blank number, NULs in a number and
//    a number two records share included, named in its message.
TEST_F(HostileFolder, TheRebuildLosesNoLiveRecord) {
    std::vector<dp::AssetRecord> recs = client.readRecords();
    recs.push_back(dptest::makeAsset("", "Blank number", "010198"));
    dp::AssetRecord nul = dptest::makeAsset("N", "NUL number", "010198");
    nul.AssetNumber = std::string("N\0\0\0\0\0", 6);
    recs.push_back(nul);
    recs.push_back(dptest::makeAsset("A1", "Second A1", "010198"));
    client.writeRegister(recs);
    const Bytes whole = client.bytes("depr.idx");
    client.writeBytes("depr.idx", Bytes(whole.begin(), whole.begin() + 8));  // damaged: one entry of six
    const std::string t = run(dp::RunDepreciationReport, "type 201 12312003\nclick 301\nanswer yes\nprinter cancel\n");
    EXPECT_NE(t.find("depr.idx was rebuilt from depr.fil: it now lists 6 assets"), std::string::npos) << t;
    EXPECT_NE(t.find("record 4 has a blank asset number"), std::string::npos) << t;
    EXPECT_NE(t.find("record 5 (N) has NUL bytes in its asset number"), std::string::npos) << t;
    EXPECT_NE(t.find("record 6 has the same asset number as record 1 (A1)"), std::string::npos) << t;
    EXPECT_EQ(client.readIndex().size(), 6u);
    EXPECT_TRUE(dp::checkIndex(client.bytes("depr.idx"), client.bytes("depr.fil")).trusted());
}

// 9. Stored text never acts as a printer command: control bytes in a description, an asset
//    number or the company name reach the report as blanks.
TEST_F(HostileFolder, StoredControlBytesArePrintedAsBlanks) {
    std::vector<dp::AssetRecord> recs = client.readRecords();
    recs[0].Description = dp::fixedText("Bold\x1b" "E page\x0c" "X\x1bX\x1e\x14 end\x7f", 35);
    recs[1].AssetNumber = dp::fixedText("B\x1b" "E", 6);
    recs[2].Description = dp::fixedText("Heading\x1b" "E", 35);
    recs[2].DateAcquired = {'H', ' ', ' ', ' ', ' ', ' '};
    client.writeRegister(recs);
    dp::CompanyRecord c = dptest::makeCompany("Acme\x1b" "E", "12312003", "12312003");
    client.writeCompany(c);
    run(dp::RunDepreciationReport, kReport);
    const Bytes b = client.bytes("report.txt");
    const std::string report(b.begin(), b.end());
    EXPECT_NE(report.find("Bold E page X X   end "), std::string::npos);
    EXPECT_NE(report.find("B E"), std::string::npos);
    EXPECT_NE(report.find("Heading E"), std::string::npos);
    EXPECT_NE(report.find("Acme E"), std::string::npos);
    // The report's own printer commands are there; no stored byte added another.
    EXPECT_EQ(report.find("Bold\x1b"), std::string::npos);
    EXPECT_EQ(report.find("\x1b" "E page"), std::string::npos);
    EXPECT_EQ(report.find('\x7f'), std::string::npos);
}

// 7. A rebuild whose new index cannot be written says so and leaves the damaged index as it was;
//    one that says it was done has put a trusted index in place. Each change fails once in turn.
TEST_F(HostileFolder, ARebuildIsReportedDoneOnlyWhenItWasDone) {
    const Bytes damaged(idx.begin(), idx.begin() + 8);
    int refused = 0;
    for (int step = 0;; ++step) {
        SCOPED_TRACE("fault at change " + std::to_string(step));
        client.writeBytes("depr.idx", damaged);
        std::string t;
        bool done, reached;
        {
            std::unique_ptr<dp::Client> c = dp::Client::open(client.code(), "test");
            ASSERT_TRUE(c);
            ScriptRun r("");
            platform::injectFileFault(step, platform::FileError::DiskFull);
            done = dp::rebuildAssetIndex(*c, "Rebuild");
            reached = platform::changingOperations() > step;
            platform::injectFileFault(-1);
            t = r.transcript();
        }
        const bool trusted = dp::checkIndex(client.bytes("depr.idx"), client.bytes("depr.fil")).trusted();
        if (done) {
            EXPECT_NE(t.find("depr.idx was rebuilt from depr.fil"), std::string::npos) << t;
            EXPECT_TRUE(trusted);
            if (!reached) break;
            continue;
        }
        ++refused;
        EXPECT_NE(t.find("depr.idx could not be rebuilt: the disk is full.\\nNothing was changed."), std::string::npos) << t;
        EXPECT_EQ(client.bytes("depr.idx"), damaged);
        ASSERT_LT(step, 30);
    }
    EXPECT_GE(refused, 6);  // the copy kept aside and the new index: each made, written, flushed
}
