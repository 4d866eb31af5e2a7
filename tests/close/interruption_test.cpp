// A close stopped at any moment leaves the client either wholly in the old year or wholly in the
// new one once its files are next opened: the complete old register with the old fiscal year end,
// or the complete new register with the new fiscal year end, never a mixture.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <sstream>
#include <thread>

#include "close/close_period.h"
#include "platform/backend.h"
#include "platform/files.h"
#include "support/client_dir.h"

namespace dp {
namespace {

using dptest::makeAsset;
using dptest::makeCompany;
using dptest::ScriptRun;
using dptest::TempClient;
using Bytes = std::vector<unsigned char>;

struct State {
    Bytes fil, idx, company;
    bool operator==(const State&) const = default;
};

// A register of n assets with current-year amounts to carry, every seventh one marked deleted.
std::vector<AssetRecord> largeRegister(int n) {
    std::vector<AssetRecord> out;
    out.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        AssetRecord r = makeAsset("A" + std::to_string(i), i % 7 == 3 ? "***DELETED***" : "Asset " + std::to_string(i),
                                  "010198");
        r.Book.Cost = 1000 + i;
        r.Book.PriorDepr = 10.25 + i;
        r.Book.CurrentDepr = i % 50 == 0 ? 5.126 : 5.25;  // a few sums to round to cents
        r.Tax.PriorDepr = i;
        r.Tax.CurrentDepr = 0.5;
        out.push_back(std::move(r));
    }
    return out;
}

struct InterruptionTest : ::testing::Test {
    TempClient client;
    State old;

    void TearDown() override { platform::setReplaceFaultAfter(-1); }

    void writeOld(int assets) {
        client.writeRegister(largeRegister(assets));
        client.writeCompany(makeCompany("Acme Tools", "12312003", "12312003"));
        old = current();
    }
    // Back to the old year, with no work files or journal left over.
    void restoreOld() const {
        for (const char* name : {"NEW.FIL", "NEW.IDX", kNewCompanyName, platform::kReplaceJournalName})
            std::filesystem::remove(client.path(name));
        client.writeBytes("depr.fil", old.fil);
        client.writeBytes("depr.idx", old.idx);
        client.writeBytes("company.fil", old.company);
    }
    State current() const { return {readAll("depr.fil"), readAll("depr.idx"), readAll("company.fil")}; }
    Bytes readAll(const char* name) const {
        Bytes out(static_cast<std::size_t>(std::max<std::int64_t>(platform::fileSize(client.path(name)), 0)));
        if (std::FILE* f = std::fopen(client.path(name).c_str(), "rb")) {
            out.resize(std::fread(out.data(), 1, out.size(), f));
            std::fclose(f);
        }
        return out;
    }
    // What the next operation on the client sees: it finishes a pending replacement first.
    State afterReopen() const {
        EXPECT_TRUE(Client::open(client.code(), "next user"));
        return current();
    }
};

TEST_F(InterruptionTest, StoppedAtEveryReplacementStep) {
    writeOld(50);
    {
        ScriptRun s("answer ok");
        RunClosePeriod(client.code());
    }
    const State next = current();
    ASSERT_FALSE(next == old);
    EXPECT_EQ(next.fil.size(), 43u * kAssetRecordLength);  // 7 of the 50 were deleted

    // The replacement counts eight steps: journal, three copies of the old year and the three
    // new files renamed, journal removal.
    for (int step = 0; step <= 9; ++step) {
        SCOPED_TRACE("stopped after step " + std::to_string(step));
        restoreOld();
        platform::setReplaceFaultAfter(step);
        std::string transcript;
        {
            ScriptRun s("answer ok");
            RunClosePeriod(client.code());
            transcript = s.transcript();
        }
        platform::setReplaceFaultAfter(-1);
        const State seen = afterReopen();
        // Before the journal is in place nothing has moved; from then on the new year is certain.
        EXPECT_TRUE(step == 0 ? seen == old : seen == next);
        EXPECT_FALSE(platform::fileExists(client.path(platform::kReplaceJournalName)));
        // A stop before the journal is reported; a replacement the close could finish itself is not.
        const bool reported = transcript.find("message:  8 | Error  75 has occurred") != std::string::npos;
        if (step == 0) {
            EXPECT_TRUE(reported) << transcript;
        }
        if (step >= 8) {
            EXPECT_FALSE(reported) << transcript;
        }
    }
}

TEST_F(InterruptionTest, NextCloseFinishesTheInterruptedOneFirst) {
    writeOld(20);
    platform::setReplaceFaultAfter(2);  // journal in place, the index already moved
    {
        ScriptRun s("answer ok");
        RunClosePeriod(client.code());
    }
    platform::setReplaceFaultAfter(-1);
    ASSERT_TRUE(platform::fileExists(client.path(platform::kReplaceJournalName)));
    // The new year's register holds no figures yet: that is asked first.
    ScriptRun s("answer yes\nanswer cancel");
    RunClosePeriod(client.code());
    // The register it would close is the new year's, complete.
    EXPECT_NE(s.transcript().find("message: DEPRECIATION - CLOSE YEAR | Current Year END Date:12312004\\n"),
              std::string::npos)
        << s.transcript();
    EXPECT_EQ(client.readRecords().size(), 17u);
    EXPECT_EQ(client.readIndex().size(), 17u);
}

// Runs a close in a child process; returns its pid.
pid_t startClose(const std::string& clientCode) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        // The child never returns into the test program.
        try {
            std::ostringstream transcript;
            platform::setBackend(platform::makeScriptedBackend("answer ok", &transcript));
            RunClosePeriod(clientCode);
            ::_exit(transcript.str().find("Error") == std::string::npos ? 0 : 2);
        } catch (...) {
            ::_exit(1);
        }
    }
    return pid;
}

TEST_F(InterruptionTest, KilledAtRandomMoments) {
    writeOld(3000);
    // One uninterrupted close gives the new year and how long a close takes.
    const auto t0 = std::chrono::steady_clock::now();
    const pid_t first = startClose(client.code());
    ASSERT_GT(first, 0);
    int status = 0;
    ASSERT_EQ(::waitpid(first, &status, 0), first);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const auto full = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - t0);
    const State next = current();
    ASSERT_FALSE(next == old);

    std::mt19937 random(20031231);
    int sawOld = 0, sawNew = 0, pending = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (int round = 0; round < 30 && std::chrono::steady_clock::now() < deadline; ++round) {
        restoreOld();
        const pid_t pid = startClose(client.code());
        ASSERT_GT(pid, 0);
        std::chrono::microseconds delay;
        const auto childRunning = [&] { return ::waitpid(pid, &status, WNOHANG) == 0; };
        if (round % 3 == 0) {
            // Anywhere in the close.
            const double share = std::uniform_real_distribution<double>(0.0, 1.1)(random);
            delay = std::chrono::microseconds(static_cast<long long>(share * static_cast<double>(full.count())));
        } else if (round % 3 == 1) {
            // While the company work file is written and the journal prepared.
            while (!platform::fileExists(client.path(kNewCompanyName)) && childRunning())
                std::this_thread::sleep_for(std::chrono::microseconds(50));
            delay = std::chrono::microseconds(std::uniform_int_distribution<int>(0, 12000)(random));
        } else {
            // While the files move: the journal is in place.
            while (!platform::fileExists(client.path(platform::kReplaceJournalName)) && childRunning()) {
            }
            delay = std::chrono::microseconds(std::uniform_int_distribution<int>(0, 500)(random));
        }
        std::this_thread::sleep_for(delay);
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
        pending += platform::fileExists(client.path(platform::kReplaceJournalName));
        const State seen = afterReopen();
        const bool isOld = seen == old, isNew = seen == next;
        EXPECT_TRUE(isOld || isNew) << "round " << round << " killed after " << delay.count() << " us";
        sawOld += isOld;
        sawNew += isNew;
    }
    std::cout << "[          ] close of 3000 assets: " << full.count() << " us; after the kills " << sawOld
              << " old, " << sawNew << " new (" << pending
              << " finished on reopening)\n";
}

}  // namespace
}  // namespace dp
