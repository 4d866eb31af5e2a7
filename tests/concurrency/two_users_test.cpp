// Two copies of the program on one client, as two users of a shared drive run them: real
// processes, each with its own scripted user. Whatever the timing, every asset is in the
// register exactly once afterwards, or the second user was told the client is in use.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <chrono>
#include <fstream>
#include <functional>
#include <thread>
#include <sstream>

#include "entry/procedures.h"
#include "platform/backend.h"
#include "register/asset_files.h"
#include "register/index_check.h"
#include "support/client_dir.h"

using dptest::TempClient;

namespace {

// The scripted user, who stops when the first dialog is shown (the procedure then holds the
// client) until the test lets it go on.
class HeldUser final : public platform::Backend {
public:
    HeldUser(const std::string& script, std::ostream* out, int readyFd, int goFd)
        : inner_(platform::makeScriptedBackend(script, out)), readyFd_(readyFd), goFd_(goFd) {}
    void runModal(platform::Dialog& d) override {
        if (readyFd_ >= 0) {
            const char c = 'r';
            (void)!::write(readyFd_, &c, 1);
            char g = 0;
            (void)!::read(goFd_, &g, 1);
            readyFd_ = -1;
        }
        inner_->runModal(d);
    }
    platform::MsgResult message(const std::string& t, const std::string& ti, platform::MsgIcon i,
                                platform::MsgButtons b, platform::MsgDefault d) override {
        return inner_->message(t, ti, i, b, d);
    }
    int runAndWait(const std::string& c) override { return inner_->runAndWait(c); }
    std::optional<std::string> scriptedPrinterReply() override { return inner_->scriptedPrinterReply(); }
    bool printsForReal() const override { return false; }
    void transcript(const std::string& line) override { inner_->transcript(line); }
    bool wait(const std::string& note, int milliseconds) override { return inner_->wait(note, milliseconds); }

private:
    std::unique_ptr<platform::Backend> inner_;
    int readyFd_, goFd_;
};

// One user in a process of its own: runs the procedure on the script and leaves its transcript
// in a file. With hold, it waits at its first dialog until released.
class User {
public:
    // startFd: the user starts when it can read a byte from that pipe (many users starting together).
    User(void (*procedure)(const std::string&), const std::string& client, const std::string& script,
         const std::string& transcriptFile, bool hold, int startFd = -1,
         std::function<std::unique_ptr<platform::Backend>(std::ostream*)> backend = nullptr) {
        int ready[2] = {-1, -1}, go[2] = {-1, -1};
        if (hold && (::pipe(ready) != 0 || ::pipe(go) != 0)) throw std::runtime_error("no pipe");
        pid_ = ::fork();
        if (pid_ == 0) {
            int code = 0;
            try {
                char c = 0;
                if (startFd >= 0) (void)!::read(startFd, &c, 1);
                std::ofstream out(transcriptFile);
                if (backend) platform::setBackend(backend(&out));
                else platform::setBackend(std::make_unique<HeldUser>(script, &out, ready[1], go[0]));
                procedure(client);
                platform::setBackend(nullptr);
            } catch (...) {
                code = 1;
            }
            ::_exit(code);
        }
        readyFd_ = ready[0];
        goFd_ = go[1];
    }
    // Waits until the user holds the client (its first dialog is shown).
    void waitUntilHolding() {
        char c = 0;
        ASSERT_EQ(::read(readyFd_, &c, 1), 1);
    }
    void letGo() {
        const char c = 'g';
        ASSERT_EQ(::write(goFd_, &c, 1), 1);
    }
    int finish() {
        int status = 0;
        ::waitpid(pid_, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_ = -1;
    int readyFd_ = -1, goFd_ = -1;
};

std::string readText(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

bool refusedAsInUse(const std::string& transcript) {
    return transcript.find("is in use by another user") != std::string::npos &&
           transcript.find("Try again when they have finished.") != std::string::npos;
}

class TwoUsers : public ::testing::Test {
protected:
    TempClient client;
    TempClient scratch;  // transcripts
    std::filesystem::path previous = std::filesystem::current_path();

    void SetUp() override {
        std::filesystem::current_path(std::filesystem::path(DP_SOURCE_DIR) / "data");
        // A user who finds the client held waits this long before being refused (the users
        // below are held far longer).
        dp::setClientWaitMilliseconds(300);
        std::vector<dp::AssetRecord> recs;
        for (int i = 1; i <= 40; ++i) {
            dp::AssetRecord r = dptest::makeAsset("A" + std::to_string(i), "Asset " + std::to_string(i), "010198");
            r.Tax.Method = "SL  ";
            r.Tax.Rate = 5;
            r.Tax.Cost = 1000 * i;
            recs.push_back(r);
        }
        client.writeRegister(recs);
        client.writeCompany(dptest::makeCompany("Acme", "12312003", "12312003"));
    }
    void TearDown() override {
        dp::setClientWaitMilliseconds(-1);
        std::filesystem::current_path(previous);
    }
    std::string log(const char* name) const { return scratch.path(name); }

    // The register is sound: a trusted index, and each asset number present exactly once.
    void expectEveryAssetOnce(const std::vector<std::string>& numbers) {
        EXPECT_TRUE(dp::checkIndex(client.bytes("depr.idx"), client.bytes("depr.fil")).trusted());
        std::map<std::string, int> seen;
        for (const dp::AssetRecord& r : client.readRecords())
            if (dp::isLiveRecord(r)) ++seen[dp::trimRight(r.AssetNumber)];
        for (const std::string& n : numbers) EXPECT_EQ(seen[n], 1) << n;
        for (const auto& [n, count] : seen) EXPECT_EQ(count, 1) << n;
    }
    std::vector<std::string> startNumbers() const {
        std::vector<std::string> n;
        for (int i = 1; i <= 40; ++i) n.push_back("A" + std::to_string(i));
        return n;
    }
};

TEST_F(TwoUsers, ACloseWhileAReportRunsIsRefusedAndNothingIsMixed) {
    User report(dp::RunDepreciationReport, client.code(), "click 301\nprinter cancel\n", log("report"), true);
    report.waitUntilHolding();
    User close(dp::RunClosePeriod, client.code(), "answer ok\n", log("close"), false);
    EXPECT_EQ(close.finish(), 0);
    EXPECT_TRUE(refusedAsInUse(readText(log("close")))) << readText(log("close"));
    report.letGo();
    EXPECT_EQ(report.finish(), 0);
    expectEveryAssetOnce(startNumbers());
    // Now the close can run, once, on the figures the report stored.
    User again(dp::RunClosePeriod, client.code(), "answer ok\n", log("again"), false);
    EXPECT_EQ(again.finish(), 0);
    EXPECT_FALSE(refusedAsInUse(readText(log("again"))));
    expectEveryAssetOnce(startNumbers());
    dp::CompanyRecord company;
    dp::readCompanyFile(client.code(), company);
    EXPECT_EQ(dp::date6cToText(company.FiscalYearEnd), "12312004");
    EXPECT_DOUBLE_EQ(client.readRecords()[0].Tax.PriorDepr, 200.0);
}

TEST_F(TwoUsers, TwoAdditionsNeverShareARecord) {
    const std::string add = "type 201 %s\nclick 194\ntype 202 New\nclick 196\nclick 199\n";
    auto script = [&add](const char* n) {
        char buf[128];
        std::snprintf(buf, sizeof buf, add.c_str(), n);
        return std::string(buf);
    };
    User first(dp::RunAssetMaintenance, client.code(), script("X1"), log("first"), true);
    first.waitUntilHolding();
    User second(dp::RunAssetMaintenance, client.code(), script("X2"), log("second"), false);
    EXPECT_EQ(second.finish(), 0);
    EXPECT_TRUE(refusedAsInUse(readText(log("second"))));
    first.letGo();
    EXPECT_EQ(first.finish(), 0);
    User retry(dp::RunAssetMaintenance, client.code(), script("X2"), log("retry"), false);
    EXPECT_EQ(retry.finish(), 0);
    std::vector<std::string> numbers = startNumbers();
    numbers.push_back("X1");
    numbers.push_back("X2");
    expectEveryAssetOnce(numbers);
}

TEST_F(TwoUsers, APackWhileAnotherUserAddsLosesNothing) {
    User pack(dp::RunAssetMaintenance, client.code(),
              "type 201 A7\nclick 194\nclick 193\nanswer yes\nclick 199\n", log("pack"), true);
    pack.waitUntilHolding();
    User add(dp::RunAssetMaintenance, client.code(), "type 201 X9\nclick 194\ntype 202 New\nclick 196\nclick 199\n",
             log("add"), false);
    EXPECT_EQ(add.finish(), 0);
    EXPECT_TRUE(refusedAsInUse(readText(log("add"))));
    pack.letGo();
    EXPECT_EQ(pack.finish(), 0);
    std::vector<std::string> numbers = startNumbers();
    numbers.erase(numbers.begin() + 6);  // A7 was deleted and packed away
    expectEveryAssetOnce(numbers);
    EXPECT_EQ(client.readRecords().size(), 39u);
}

// No holding: both users go as fast as they can, many times. Each addition either lands once
// or is refused; the register never loses or doubles one.
TEST_F(TwoUsers, RacingAdditionsEachLandOnceOrAreRefused) {
    std::vector<std::string> landed = startNumbers();
    for (int round = 0; round < 12; ++round) {
        const std::string a = "R" + std::to_string(round) + "A", b = "R" + std::to_string(round) + "B";
        User ua(dp::RunAssetMaintenance, client.code(), "type 201 " + a + "\nclick 194\ntype 202 Race\nclick 196\nclick 199\n",
                log("a"), false);
        User ub(dp::RunAssetMaintenance, client.code(), "type 201 " + b + "\nclick 194\ntype 202 Race\nclick 196\nclick 199\n",
                log("b"), false);
        EXPECT_EQ(ua.finish(), 0);
        EXPECT_EQ(ub.finish(), 0);
        if (!refusedAsInUse(readText(log("a")))) landed.push_back(a);
        if (!refusedAsInUse(readText(log("b")))) landed.push_back(b);
    }
    expectEveryAssetOnce(landed);
    EXPECT_EQ(client.readIndex().size(), landed.size());
}

// A user who stops waiting (Esc) is refused at once.
class StopsWaiting final : public platform::Backend {
public:
    explicit StopsWaiting(std::ostream* out) : inner_(platform::makeScriptedBackend("", out)) {}
    void runModal(platform::Dialog& d) override { inner_->runModal(d); }
    platform::MsgResult message(const std::string& t, const std::string& ti, platform::MsgIcon i,
                                platform::MsgButtons b, platform::MsgDefault d) override {
        return inner_->message(t, ti, i, b, d);
    }
    int runAndWait(const std::string& c) override { return inner_->runAndWait(c); }
    void transcript(const std::string& line) override { inner_->transcript(line); }
    bool wait(const std::string& note, int) override {
        if (note.empty()) return true;
        inner_->transcript("wait: " + note);
        return false;
    }

private:
    std::unique_ptr<platform::Backend> inner_;
};

TEST_F(TwoUsers, ASecondUserWaitsUntilTheFirstHasFinished) {
    dp::setClientWaitMilliseconds(-1);  // the usual few seconds
    User report(dp::RunDepreciationReport, client.code(), "click 301\nprinter cancel\n", log("report"), true);
    report.waitUntilHolding();
    User close(dp::RunClosePeriod, client.code(), "answer ok\n", log("close"), false);
    // Once the close says it waits, the report is let go.
    for (int i = 0; i < 400 && readText(log("close")).find("wait: ") == std::string::npos; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(readText(log("close")).rfind("wait: Waiting (Esc stops): " + client.code() + " is in use by ", 0), 0u) << readText(log("close"));
    report.letGo();
    EXPECT_EQ(report.finish(), 0);
    EXPECT_EQ(close.finish(), 0);
    EXPECT_FALSE(refusedAsInUse(readText(log("close")))) << readText(log("close"));
    dp::CompanyRecord company;
    dp::readCompanyFile(client.code(), company);
    EXPECT_EQ(dp::date6cToText(company.FiscalYearEnd), "12312004");
    expectEveryAssetOnce(startNumbers());
}

TEST_F(TwoUsers, AUserWhoStopsWaitingIsRefusedAtOnce) {
    dp::setClientWaitMilliseconds(-1);
    User report(dp::RunDepreciationReport, client.code(), "click 301\nprinter cancel\n", log("report"), true);
    report.waitUntilHolding();
    const auto start = std::chrono::steady_clock::now();
    User close(dp::RunClosePeriod, client.code(), "", log("close"), false, -1,
               [](std::ostream* out) { return std::make_unique<StopsWaiting>(out); });
    EXPECT_EQ(close.finish(), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    EXPECT_TRUE(refusedAsInUse(readText(log("close")))) << readText(log("close"));
    report.letGo();
    EXPECT_EQ(report.finish(), 0);
}

// Many users start on one client at the same moment, each with the usual wait: seven additions
// and a report, twelve times. Every one of them is done, none is turned away, nothing is lost.
TEST_F(TwoUsers, ManyUsersStartingTogetherAreAllServed) {
    dp::setClientWaitMilliseconds(-1);
    std::vector<std::string> landed = startNumbers();
    int done = 0, refused = 0;
    std::chrono::steady_clock::duration longest{};
    for (int round = 0; round < 12; ++round) {
        int start[2];
        ASSERT_EQ(::pipe(start), 0);
        std::vector<std::unique_ptr<User>> users;
        std::vector<std::string> numbers;
        for (int u = 0; u < 8; ++u) {
            const std::string n = "M" + std::to_string(round) + "_" + std::to_string(u);
            const bool report = u == 7;
            users.push_back(std::make_unique<User>(
                report ? dp::RunDepreciationReport : dp::RunAssetMaintenance, client.code(),
                report ? std::string("click 301\nprinter cancel\n")
                       : "type 201 " + n + "\nclick 194\ntype 202 Many\nclick 196\nclick 199\n",
                log(("u" + std::to_string(u)).c_str()), false, start[0]));
            if (!report) numbers.push_back(n);
        }
        const auto t0 = std::chrono::steady_clock::now();
        const std::string go(users.size(), 'g');
        ASSERT_EQ(::write(start[1], go.data(), go.size()), static_cast<ssize_t>(go.size()));  // all start now
        for (std::size_t u = 0; u < users.size(); ++u) {
            EXPECT_EQ(users[u]->finish(), 0);
            const std::string t = readText(log(("u" + std::to_string(u)).c_str()));
            if (refusedAsInUse(t)) ++refused;
            else ++done;
            if (u < 7 && !refusedAsInUse(t)) landed.push_back(numbers[u]);
        }
        longest = std::max(longest, std::chrono::steady_clock::now() - t0);
        ::close(start[0]);
        ::close(start[1]);
    }
    EXPECT_EQ(refused, 0);
    expectEveryAssetOnce(landed);
    EXPECT_EQ(client.readIndex().size(), landed.size());
    std::cout << "[          ] 12 rounds of 8 users starting together: " << done << " done, " << refused
              << " refused; the slowest round took "
              << std::chrono::duration_cast<std::chrono::milliseconds>(longest).count() << " ms\n";
}

}  // namespace
