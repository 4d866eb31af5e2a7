// The import stopped at every change it makes on disk: the process ended there (as a pulled plug
// or a killed program ends it), or the change failed (as a full disk fails it). After the next
// opening the register is wholly the old one or wholly the new one, no work file is left, and a
// failure is never reported as done. Also what an import killed before its journal leaves: the
// new register's work files, which the next command clears away.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "arguments.h"
#include "cli_backend.h"
#include "commands.h"
#include "platform/files.h"
#include "register/client.h"
#include "register/unfinished_work.h"
#include "sample_client.h"
#include "veldro_test_util.h"

namespace {

namespace fs = std::filesystem;
using dptest::TempClient;

std::string registerFiles(const TempClient& c) {
    const std::vector<unsigned char> fil = c.bytes("depr.fil"), idx = c.bytes("depr.idx");
    return std::string(fil.begin(), fil.end()) + "|" + std::string(idx.begin(), idx.end());
}

// Whatever the module or the tool writes only while it works.
std::vector<std::string> workLeft(const TempClient& c) {
    std::vector<std::string> left;
    for (const auto& e : fs::directory_iterator(c.code())) {
        const std::string n = e.path().filename().string();
        if (dp::isWorkFileName(n) || n.rfind(platform::kReplaceJournalName, 0) == 0) left.push_back(n);
    }
    return left;
}

class ImportStopped : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sample::writeSampleClient(client.code()));
        std::ofstream(scratch.path("in.csv"), std::ios::binary)
            << "asset_number,description,date_acquired,book_method,book_rate,book_cost\r\n"
               "N1,New press,03/15/2004,SL,5,1000\r\nN2,Second press,2004-04-01,D200,7,2500.50\r\n";
        arguments.command = veldro::Command::Import;
        arguments.client = client.code();
        arguments.file = scratch.path("in.csv");
        old = registerFiles(client);
    }
    void TearDown() override {
        platform::injectFileFault(-1);
        platform::setBackend(nullptr);
    }

    int import() {
        platform::setBackend(veldro::makeCommandLineBackend());
        const int status = veldro::runCommand(arguments);
        platform::closeAllFiles();
        return status;
    }

    // The import in a process of its own that ends at the change numbered step.
    int killedAt(int step) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            platform::injectFileFault(step, platform::FileError::DiskFull, platform::FaultAction::Exit);
            ::_exit(import());
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // What the next user finds: the opening finishes or clears away what was left.
    void reopen() {
        veldrotest::Installed<veldrotest::GoingAhead> quiet;
        EXPECT_TRUE(dp::Client::open(client.code(), "next user")) << quiet->messages.str();
    }

    void restore() {
        for (const auto& e : fs::directory_iterator(client.code())) fs::remove_all(e.path());
        ASSERT_TRUE(sample::writeSampleClient(client.code()));
    }

    TempClient client, scratch;
    veldro::Arguments arguments;
    std::string old;
};

TEST_F(ImportStopped, AtEveryWriteRenameAndFlushTheRegisterIsWhollyOldOrWhollyNew) {
    platform::injectFileFault(-1);
    ASSERT_EQ(import(), veldro::kDone);
    const int changes = platform::changingOperations();
    const std::string added = registerFiles(client);
    ASSERT_NE(added, old);
    int sawOld = 0, sawNew = 0;
    for (int step = 0; step < changes; ++step) {
        for (const platform::FaultAction action : {platform::FaultAction::Exit, platform::FaultAction::Fail}) {
            const bool killed = action == platform::FaultAction::Exit;
            SCOPED_TRACE((killed ? "killed at change " : "change failed: ") + std::to_string(step) + " of " +
                         std::to_string(changes));
            restore();
            int status = 0;
            if (killed) {
                ASSERT_EQ(status = killedAt(step), platform::kFaultExitStatus);
            } else {
                platform::injectFileFault(step, platform::FileError::DiskFull);
                status = import();
                platform::injectFileFault(-1);
            }
            reopen();
            const std::string seen = registerFiles(client);
            EXPECT_TRUE(seen == old || seen == added);
            EXPECT_FALSE(seen == old && status == veldro::kDone) << "a failed import reported as done";
            sawOld += seen == old;
            sawNew += seen == added;
            EXPECT_EQ(workLeft(client), std::vector<std::string>{});
        }
    }
    EXPECT_GT(sawOld, 0);
    EXPECT_GT(sawNew, 0);
}

TEST_F(ImportStopped, TheWorkFilesOfAnImportKilledBeforeItsJournalAreClearedAwayByTheNextCommand) {
    client.writeBytes("depr.fil.new", {'h', 'a', 'l', 'f'});
    client.writeBytes("DEPR.IDX.new", {'h'});
    arguments.command = veldro::Command::Export;
    arguments.output = scratch.path("out.csv");
    EXPECT_EQ(import(), veldro::kDone);
    EXPECT_EQ(workLeft(client), std::vector<std::string>{});
    EXPECT_EQ(registerFiles(client), old);
}

}  // namespace
