// What the file layer tells when the disk refuses: injected faults, a full device, a lock held by
// another user.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "platform/client_lock.h"
#include "platform/files.h"
#include "support/client_dir.h"

using dptest::TempClient;
using platform::FileError;

namespace {

struct NoFaults {
    ~NoFaults() { platform::injectFileFault(-1); }
};

}  // namespace

TEST(FileFaults, EachKindOfChangeCanFailWithItsReason) {
    TempClient dir;
    NoFaults guard;
    platform::RecordFile f;
    ASSERT_TRUE(f.open(dir.path("x.dat"), 4));
    platform::injectFileFault(0, FileError::DiskFull);
    EXPECT_FALSE(f.write(1, "AAAA"));
    EXPECT_EQ(platform::lastFileError(), FileError::DiskFull);
    EXPECT_EQ(f.recordCount(), 0);
    platform::injectFileFault(0, FileError::ReadOnly);
    EXPECT_FALSE(f.flush());
    EXPECT_EQ(platform::lastFileError(), FileError::ReadOnly);
    platform::injectFileFault(1, FileError::IoError);  // the first change passes, the second fails
    EXPECT_TRUE(f.write(1, "AAAA"));
    EXPECT_EQ(platform::lastFileError(), FileError::None);
    EXPECT_FALSE(platform::renameFile(dir.path("x.dat"), dir.path("y.dat")));
    EXPECT_EQ(platform::lastFileError(), FileError::IoError);
    EXPECT_TRUE(platform::fileExists(dir.path("x.dat")));
    EXPECT_EQ(platform::describeFileError(FileError::DiskFull), "the disk is full");
}

TEST(FileFaults, ReplacingTextFileLeavesThePreviousFileUntilCommitted) {
    TempClient dir;
    NoFaults guard;
    dir.writeBytes("report.txt", {'o', 'l', 'd'});
    // Every changing step of writing a replacement fails once in turn; the old file stays whole
    // each time, and no work file is left behind.
    for (int step = 0;; ++step) {
        platform::injectFileFault(step, FileError::DiskFull);
        platform::TextFile t;
        bool ok = t.createReplacing(dir.path("report.txt"));
        if (ok) {
            t.write(std::string(100000, 'x'));  // more than one buffer
            t.line("end");
            ok = t.commit();
        }
        if (ok) {
            EXPECT_GT(step, 2);
            EXPECT_EQ(dir.bytes("report.txt").size(), 100005u);
            break;
        }
        EXPECT_EQ(platform::lastFileError(), FileError::DiskFull) << "step " << step;
        EXPECT_EQ(dir.bytes("report.txt"), (std::vector<unsigned char>{'o', 'l', 'd'})) << "step " << step;
        EXPECT_FALSE(platform::fileExists(dir.path("report.txt.new"))) << "step " << step;
        ASSERT_LT(step, 20);
    }
}

TEST(FileFaults, AbandonedReplacementKeepsTheOldFile) {
    TempClient dir;
    dir.writeBytes("report.txt", {'o'});
    {
        platform::TextFile t;
        ASSERT_TRUE(t.createReplacing(dir.path("report.txt")));
        t.write("new");
        platform::closeAllFiles();  // as when a procedure leaves without finishing
        EXPECT_FALSE(t.commit());
    }
    EXPECT_EQ(dir.bytes("report.txt"), (std::vector<unsigned char>{'o'}));
    EXPECT_FALSE(platform::fileExists(dir.path("report.txt.new")));
}

TEST(FileFaults, AFullDeviceIsReportedAsAFullDisk) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    TempClient dir;
    std::filesystem::create_symlink("/dev/full", dir.path("report.txt"));
    platform::TextFile t;
    ASSERT_TRUE(t.create(dir.path("report.txt")));
    t.line("a line");
    EXPECT_FALSE(t.commit());
    EXPECT_EQ(t.error(), FileError::DiskFull);
    // A record file must be an ordinary file.
    platform::RecordFile f;
    EXPECT_FALSE(f.open(dir.path("report.txt"), 8));
    EXPECT_EQ(platform::lastFileError(), FileError::NotAFile);
}

TEST(FileFaults, RecordWriteCutShortLeavesNoPartialRecord) {
    TempClient dir;
    NoFaults guard;
    platform::RecordFile f;
    ASSERT_TRUE(f.open(dir.path("x.dat"), 4));
    ASSERT_TRUE(f.write(1, "AAAA"));
    ASSERT_TRUE(f.write(2, "BBBB"));
    EXPECT_TRUE(f.truncateRecords(1));
    EXPECT_EQ(f.recordCount(), 1);
    EXPECT_TRUE(f.stillAt(dir.path("x.dat")));
    dir.writeBytes("y.dat", {1, 2, 3, 4});
    ASSERT_TRUE(platform::renameFile(dir.path("y.dat"), dir.path("x.dat")));
    EXPECT_FALSE(f.stillAt(dir.path("x.dat")));
}

TEST(ClientLock, OneHolderAtATimeAndTheRefusedAreToldWho) {
    TempClient dir;
    platform::ClientLock first, second;
    ASSERT_EQ(first.acquire(dir.code(), "ann on desk1: Close Current Period"), platform::LockOutcome::Acquired);
    EXPECT_EQ(second.acquire(dir.code(), "bob on desk2: Depreciation Report"), platform::LockOutcome::InUse);
    EXPECT_EQ(second.holder(), "ann on desk1: Close Current Period");
    EXPECT_FALSE(second.held());
    first.release();
    EXPECT_EQ(second.acquire(dir.code(), "bob"), platform::LockOutcome::Acquired);
    platform::ClientLock moved = std::move(second);
    EXPECT_TRUE(moved.held());
    EXPECT_EQ(first.acquire(dir.code(), "ann"), platform::LockOutcome::InUse);
}

TEST(ClientLock, AMissingDirectoryIsNotAClientInUse) {
    TempClient dir;
    platform::ClientLock lock;
    EXPECT_EQ(lock.acquire(dir.path("nowhere"), "x"), platform::LockOutcome::Unavailable);
    EXPECT_EQ(lock.error(), FileError::NotFound);
}

TEST(ClientLock, AHolderThatDiesLeavesTheClientFree) {
    TempClient dir;
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        platform::ClientLock lock;
        const char c = lock.acquire(dir.code(), "child") == platform::LockOutcome::Acquired ? 'y' : 'n';
        (void)!::write(ready[1], &c, 1);
        ::pause();  // killed while holding the lock
        ::_exit(0);
    }
    char c = 0;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    ASSERT_EQ(c, 'y');
    platform::ClientLock lock;
    EXPECT_EQ(lock.acquire(dir.code(), "parent"), platform::LockOutcome::InUse);
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_EQ(lock.acquire(dir.code(), "parent"), platform::LockOutcome::Acquired);
    ::close(ready[0]);
    ::close(ready[1]);
}
