// What the file layer tells when the disk refuses: injected faults, a full device, a lock held by
// another user.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
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

// A write the system takes only in part (here: the file size limit of the process, as a quota
// or a full disk would cut it) is a failed write, never a done one. In a child process, whose
// limit does not reach the test.
TEST(FileFaults, AShortWriteIsAFailureNotASuccess) {
    TempClient dir;
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);  // the write is cut short instead of the process ended
        const rlimit limit{1000, 1000};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(10);
        int failures = 0;
        // A record file: 10 records of 219 bytes in one transfer cross the limit part way.
        platform::RecordFile f;
        if (!f.open(dir.path("depr.fil"), 219)) ::_exit(11);
        const std::vector<unsigned char> records(10 * 219, 'r');
        if (f.writeRecords(1, 10, records.data())) ++failures;
        else if (platform::lastFileError() != FileError::DiskFull) ++failures;
        if (f.sizeBytes() % 219 != 0) ++failures;  // no record left half written
        f.close();
        // A file written whole and put in place: the old content stays.
        if (!platform::writeWholeFile(dir.path("company.fil"), std::vector<unsigned char>(10, 'o'))) ++failures;
        if (platform::writeWholeFile(dir.path("company.fil"), std::vector<unsigned char>(5000, 'n'))) ++failures;
        std::vector<unsigned char> kept;
        if (!platform::readWholeFile(dir.path("company.fil"), kept, 100) || kept.size() != 10) ++failures;
        // A report file: the buffered text is more than the limit.
        platform::TextFile t;
        if (!t.createReplacing(dir.path("report.txt"))) ::_exit(12);
        t.write(std::string(3000, 'x'));
        if (t.commit() || t.error() != FileError::DiskFull) ++failures;
        if (platform::fileExists(dir.path("report.txt")) || platform::fileExists(dir.path("report.txt.new"))) ++failures;
        ::_exit(failures);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "failures in the child (10-12: it could not start)";
}

// What stands where a file is written or read must be an ordinary file: a link to a device, a
// pipe or a folder is refused, nothing is written through a link, and nothing waits on a pipe.
TEST(FileFaults, OnlyOrdinaryFilesAreReadOrWritten) {
    TempClient dir;
    dir.writeBytes("target", {'k', 'e', 'e', 'p'});
    std::filesystem::create_symlink(dir.path("target"), dir.path("link"));
    ASSERT_EQ(::mkfifo(dir.path("fifo").c_str(), 0600), 0);
    std::filesystem::create_directory(dir.path("folder"));
    const char* devices[] = {"/dev/zero", "/dev/full", "/dev/null"};
    for (const char* d : devices)
        if (std::filesystem::exists(d)) std::filesystem::create_symlink(d, dir.path(std::string("to") + (d + 5)));
    std::vector<std::string> notFiles = {"fifo", "folder"};
    for (const char* d : devices)
        if (std::filesystem::exists(d)) notFiles.push_back(std::string("to") + (d + 5));
    for (const std::string& name : notFiles) {
        SCOPED_TRACE(name);
        std::vector<unsigned char> bytes;
        EXPECT_FALSE(platform::readWholeFile(dir.path(name), bytes, 1 << 20));
        EXPECT_EQ(platform::lastFileError(), FileError::NotAFile);
        platform::RecordFile f;
        EXPECT_FALSE(f.open(dir.path(name), 8));
        EXPECT_EQ(platform::lastFileError(), FileError::NotAFile);
        EXPECT_EQ(platform::checkOrdinaryFile(dir.path(name), 1 << 20), FileError::NotAFile);
        platform::TextFile t;
        EXPECT_FALSE(t.create(dir.path(name)));
        EXPECT_FALSE(platform::copyFile(dir.path("target"), dir.path(name)));
    }
    // A file that is emptied or made is never reached through a link; one that is only read is.
    platform::TextFile t;
    EXPECT_FALSE(t.create(dir.path("link")));
    platform::RecordFile f;
    EXPECT_FALSE(f.open(dir.path("link"), 4, true));
    EXPECT_FALSE(platform::copyFile(dir.path("target"), dir.path("link")));
    EXPECT_EQ(dir.bytes("target"), (std::vector<unsigned char>{'k', 'e', 'e', 'p'}));
    std::vector<unsigned char> read;
    EXPECT_TRUE(platform::readWholeFile(dir.path("link"), read, 100));
    // A dangling link does not make its target.
    std::filesystem::create_symlink(dir.path("nowhere"), dir.path("dangling"));
    EXPECT_FALSE(f.open(dir.path("dangling"), 4));
    EXPECT_FALSE(std::filesystem::exists(dir.path("nowhere")));
    // Larger than allowed: refused before it is read.
    EXPECT_FALSE(platform::readWholeFile(dir.path("target"), read, 3));
    EXPECT_EQ(platform::lastFileError(), FileError::TooLarge);
    EXPECT_FALSE(f.open(dir.path("target"), 1, false, 3));
    EXPECT_EQ(platform::lastFileError(), FileError::TooLarge);
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
