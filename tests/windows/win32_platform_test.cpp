// What the Windows file layer, lock and loading must get right beyond the shared file tests:
// bytes go to disk unchanged, a replacement replaces, names keep their spelling on disk, the
// lock holds between two users, failures name their reason, and DPMENU takes its argument as
// the host passes it.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

#include "format/money.h"
#include "platform/client_lock.h"
#include "platform/files.h"
#include "platform/library.h"
#include "platform/native_text.h"
#include "suite_host.h"
#include "support/client_dir.h"

using dptest::TempClient;
using platform::FileError;

TEST(Win32Files, RecordBytesReachTheDiskUnchanged) {
    TempClient dir;
    platform::RecordFile f;
    ASSERT_TRUE(f.open(dir.path("NEW.IDX"), 8));
    // Line ends and the old end-of-file mark are data in a record file.
    const char a[8] = {'\n', '\r', 0x1A, '\n', 0, '\r', '\n', 'x'};
    for (int i = 1; i <= 14; ++i) ASSERT_TRUE(f.write(i, a));
    ASSERT_TRUE(f.finish());
    EXPECT_EQ(platform::fileSize(dir.path("NEW.IDX")), 112);
    ASSERT_TRUE(f.open(dir.path("NEW.IDX"), 8));
    char b[8] = {};
    ASSERT_TRUE(f.read(14, b));
    EXPECT_EQ(std::string(b, 8), std::string(a, 8));
}

TEST(Win32Files, RenameAndReplacementReplaceExistingFiles) {
    TempClient dir;
    dir.writeBytes("depr.fil", {'o'});
    dir.writeBytes("depr.idx", {'o'});
    dir.writeBytes("NEW.FIL", {'n'});
    dir.writeBytes("NEW.IDX", {'n'});
    ASSERT_TRUE(platform::replaceFilesTogether(dir.code(), {{"NEW.FIL", "depr.fil"}, {"NEW.IDX", "depr.idx"}}));
    EXPECT_EQ(dir.bytes("depr.fil"), std::vector<unsigned char>{'n'});
    EXPECT_EQ(dir.bytes("depr.idx"), std::vector<unsigned char>{'n'});
    EXPECT_FALSE(platform::fileExists(dir.path("NEW.FIL")));
    EXPECT_FALSE(platform::fileExists(dir.path(platform::kReplaceJournalName)));
    dir.writeBytes("a.txt", {'a'});
    dir.writeBytes("b.txt", {'b'});
    ASSERT_TRUE(platform::renameFile(dir.path("a.txt"), dir.path("b.txt")));
    EXPECT_EQ(dir.bytes("b.txt"), std::vector<unsigned char>{'a'});
}

TEST(Win32Files, NamesKeepTheirSpellingOnDisk) {
    TempClient dir;
    dir.writeBytes("DEPR.FIL", {1});
    EXPECT_EQ(platform::resolvePath(dir.code(), "depr.fil"), dir.code() + "/DEPR.FIL");
    EXPECT_EQ(platform::resolvePath(dir.code(), "company.fil"), dir.code() + "/company.fil");
    // A replacement onto a name spelt otherwise keeps the spelling on disk.
    dir.writeBytes("new.fil", {2});
    ASSERT_TRUE(platform::replaceFilesTogether(dir.code(), {{"new.fil", "depr.fil"}}));
    EXPECT_EQ(platform::resolvePath(dir.code(), "depr.fil"), dir.code() + "/DEPR.FIL");
    EXPECT_EQ(dir.bytes("DEPR.FIL"), std::vector<unsigned char>{2});
}

TEST(Win32Files, FailuresNameTheirReason) {
    TempClient dir;
    platform::RecordFile f;
    EXPECT_FALSE(f.open(dir.path("missing/x.dat"), 4));
    EXPECT_EQ(platform::lastFileError(), FileError::NotFound);
    ASSERT_TRUE(platform::makeDirectory(dir.path("sub")));
    EXPECT_FALSE(f.open(dir.path("sub"), 4));
    EXPECT_EQ(platform::lastFileError(), FileError::NotAFile);
    // A file that another program holds open for reading only, sharing no writes, opens for
    // reading; its writes say why they fail. (The read-only attribute would do on Windows, but
    // Wine run by root writes such files anyway.)
    dir.writeBytes("ro.dat", {'A', 'B', 'C', 'D'});
    const HANDLE holder = CreateFileW(platform::widen(dir.path("ro.dat")).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(f.open(dir.path("ro.dat"), 4));
    char buf[4];
    EXPECT_TRUE(f.read(1, buf));
    EXPECT_FALSE(f.write(1, "ZZZZ"));
    EXPECT_EQ(platform::lastFileError(), FileError::AccessDenied);
    f.close();
    CloseHandle(holder);
    // An injected fault reports as the real one would.
    platform::injectFileFault(0, FileError::DiskFull);
    EXPECT_FALSE(platform::copyFile(dir.path("ro.dat"), dir.path("copy.dat")));
    EXPECT_EQ(platform::lastFileError(), FileError::DiskFull);
    platform::injectFileFault(-1);
}

// A drive's or a share's root is no client's directory; every folder below one may be.
TEST(Win32Files, DriveAndShareRootsAreRoots) {
    for (const char* root : {"C:\\", "C:/", "c:\\\\", "/", "C:\\users\\..", "\\\\server\\share", "\\\\server\\share\\"})
        EXPECT_TRUE(platform::isFileSystemRoot(root)) << root;
    TempClient dir;
    for (const std::string& folder : {dir.code(), std::string("C:\\users"), std::string("\\\\server\\share\\books"),
                                      std::string("SAMPLE")})
        EXPECT_FALSE(platform::isFileSystemRoot(folder)) << folder;
}

TEST(Win32Lock, OneUserAtATimeAndTheOtherIsToldWho) {
    TempClient dir;
    platform::ClientLock first, second;
    ASSERT_EQ(first.acquire(dir.code(), "ann on desk1: Close Current Period"), platform::LockOutcome::Acquired);
    EXPECT_EQ(second.acquire(dir.code(), "bob on desk2"), platform::LockOutcome::InUse);
    EXPECT_EQ(second.holder(), "ann on desk1: Close Current Period");
    first.release();
    EXPECT_EQ(second.acquire(dir.code(), "bob on desk2"), platform::LockOutcome::Acquired);
    EXPECT_FALSE(platform::lockHolderName().empty());
}

// The lock file is the program's own ordinary file: a folder, a second name of depr.fil (a hard
// link) or a link (a reparse point) in its place is refused, and nothing is written to it.
TEST(Win32Lock, OnlyItsOwnOrdinaryFileIsTheLockFile) {
    TempClient dir;
    const std::vector<unsigned char> books(219, 'B');
    dir.writeBytes("depr.fil", books);
    const std::string lock = dir.path(platform::kClientLockName);
    platform::ClientLock l;
    ASSERT_TRUE(CreateDirectoryW(platform::widen(lock).c_str(), nullptr));
    EXPECT_EQ(l.acquire(dir.code(), "x"), platform::LockOutcome::Unavailable);
    EXPECT_EQ(l.error(), FileError::NotAFile);
    RemoveDirectoryW(platform::widen(lock).c_str());
    ASSERT_TRUE(CreateHardLinkW(platform::widen(lock).c_str(), platform::widen(dir.path("depr.fil")).c_str(), nullptr));
    EXPECT_EQ(l.acquire(dir.code(), "x"), platform::LockOutcome::Unavailable);
    EXPECT_EQ(l.error(), FileError::NotAFile);
    DeleteFileW(platform::widen(lock).c_str());
    // Where links can be made (Wine says it made one and makes none).
    const bool linked = CreateSymbolicLinkW(platform::widen(lock).c_str(), platform::widen(dir.path("depr.fil")).c_str(),
                                            SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE);
    const DWORD attributes = GetFileAttributesW(platform::widen(lock).c_str());
    if (linked && attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        EXPECT_EQ(l.acquire(dir.code(), "x"), platform::LockOutcome::Unavailable);
        DeleteFileW(platform::widen(lock).c_str());
    }
    EXPECT_EQ(dir.bytes("depr.fil"), books);
    EXPECT_EQ(l.acquire(dir.code(), "x"), platform::LockOutcome::Acquired);
}

// A data file that is a folder is no file: refused before anything reads it.
TEST(Win32Files, OnlyOrdinaryFilesAreRead) {
    TempClient dir;
    ASSERT_TRUE(CreateDirectoryW(platform::widen(dir.path("depr.idx")).c_str(), nullptr));
    std::vector<unsigned char> bytes;
    EXPECT_FALSE(platform::readWholeFile(dir.path("depr.idx"), bytes, 1000));
    EXPECT_EQ(platform::lastFileError(), FileError::NotAFile);
    EXPECT_EQ(platform::checkOrdinaryFile(dir.path("depr.idx"), 1000), FileError::NotAFile);
    dir.writeBytes("company.fil", std::vector<unsigned char>(300, 'c'));
    EXPECT_EQ(platform::checkOrdinaryFile(dir.path("company.fil"), 243), FileError::TooLarge);
    platform::RecordFile f;
    EXPECT_FALSE(f.open(dir.path("depr.idx"), 8));
    EXPECT_EQ(platform::lastFileError(), FileError::NotAFile);
}

namespace {

// A second program on the same client: this test program run again with DP_LOCK_PROBE set to
// "try DIR" (take the lock, write who holds it to DIR\probe.txt, exit 0 taken, 1 in use,
// 2 unavailable) or "hold DIR" (take it as soon as it is free and wait to be ended).
constexpr const char* kProbe = "DP_LOCK_PROBE";

[[noreturn]] void runLockProbe(const std::string& probe) {
    const std::size_t space = probe.find(' ');
    const std::string mode = probe.substr(0, space), dir = probe.substr(space + 1);
    platform::ClientLock lock;
    platform::LockOutcome got = lock.acquire(dir, "carl on desk3: Depreciation Report");
    if (mode == "hold") {  // the test may hold it a moment while it looks for this one
        while (got == platform::LockOutcome::InUse) {
            Sleep(20);
            got = lock.acquire(dir, "carl on desk3: Depreciation Report");
        }
        if (got == platform::LockOutcome::Acquired) Sleep(INFINITE);
    }
    std::ofstream(dir + "\\probe.txt", std::ios::binary) << lock.holder();
    std::exit(got == platform::LockOutcome::Acquired ? 0 : got == platform::LockOutcome::InUse ? 1 : 2);
}

HANDLE startProbe(const std::string& mode, const std::string& dir) {
    SetEnvironmentVariableA(kProbe, (mode + " " + dir).c_str());
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring cmd = L"\"" + std::wstring(self) + L"\" --gtest_filter=Win32Lock.ASecondProgramIsRefusedUntilTheFirstEnds";
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    const HANDLE quiet = CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited,
                                     OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;  // its test report would only repeat ours
    si.hStdInput = si.hStdOutput = si.hStdError = quiet;
    PROCESS_INFORMATION pi{};
    const BOOL started = CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
    SetEnvironmentVariableA(kProbe, nullptr);
    CloseHandle(quiet);
    if (!started) return nullptr;
    CloseHandle(pi.hThread);
    return pi.hProcess;
}

DWORD probeExitCode(const std::string& dir) {
    const HANDLE p = startProbe("try", dir);
    if (!p) return 99;
    DWORD code = 98;
    if (WaitForSingleObject(p, 60000) == WAIT_OBJECT_0) GetExitCodeProcess(p, &code);
    CloseHandle(p);
    return code;
}

}  // namespace

// Two programs on one client: the second is refused and told who works there, until the first
// releases the lock or ends, however it ends.
TEST(Win32Lock, ASecondProgramIsRefusedUntilTheFirstEnds) {
    if (const char* probe = std::getenv(kProbe); probe && *probe) runLockProbe(probe);
    TempClient dir;
    {
        platform::ClientLock mine;
        ASSERT_EQ(mine.acquire(dir.code(), "ann on desk1: Close Current Period"), platform::LockOutcome::Acquired);
        EXPECT_EQ(probeExitCode(dir.code()), 1u);
        const std::vector<unsigned char> told = dir.bytes("probe.txt");
        EXPECT_EQ(std::string(told.begin(), told.end()), "ann on desk1: Close Current Period");
    }
    EXPECT_EQ(probeExitCode(dir.code()), 0u);
    // A holder that is killed leaves no lock behind.
    const HANDLE holder = startProbe("hold", dir.code());
    ASSERT_NE(holder, nullptr);
    platform::ClientLock mine;
    platform::LockOutcome got = platform::LockOutcome::Acquired;
    for (int i = 0; i < 600 && got != platform::LockOutcome::InUse; ++i) {  // until the holder has it
        mine.release();
        Sleep(100);
        got = mine.acquire(dir.code(), "ann");
    }
    EXPECT_EQ(got, platform::LockOutcome::InUse);
    EXPECT_EQ(mine.holder(), "carl on desk3: Depreciation Report");
    TerminateProcess(holder, 9);
    WaitForSingleObject(holder, 60000);
    CloseHandle(holder);
    EXPECT_EQ(mine.acquire(dir.code(), "ann"), platform::LockOutcome::Acquired);
}

// Money rounds ties in extended precision. A Windows thread starts with the x87 unit at double
// precision, where 185.145 (a little above the tie in binary) loses that little and rounds to
// even, 185.14; the module's entry holds extended precision, as on Linux: 185.15, and then
// gives the host back its own setting.
TEST(Win32Arithmetic, MoneyRoundsAsOnLinuxWhateverTheHostsPrecision) {
    auto controlWord = [] {
        unsigned short cw;
        __asm__ volatile("fnstcw %0" : "=m"(cw));
        return cw;
    };
    auto setControlWord = [](unsigned short cw) { __asm__ volatile("fldcw %0" : : "m"(cw)); };
    const unsigned short before = controlWord();
    const unsigned short hostDouble = static_cast<unsigned short>((before & ~0x300) | 0x200);
    setControlWord(hostDouble);
    volatile double tie = 185.145;
    EXPECT_EQ(dp::roundTiesEven(tie, 2), 185.14);
    {
        const dp::ExtendedPrecision money;
        EXPECT_EQ(dp::roundTiesEven(tie, 2), 185.15);
        EXPECT_EQ(dp::Cents::fromDouble(tie).units, 18515);
    }
    EXPECT_EQ(controlWord(), hostDouble);
    setControlWord(before);
}

TEST(Win32Loading, LibrariesAndTheProgramItself) {
    platform::Library missing;
    EXPECT_FALSE(missing.open("C:\\no\\such\\LIBRARY.DLL"));
    EXPECT_FALSE(missing.error().empty());
    const platform::LoadedModule self = platform::moduleContaining(reinterpret_cast<const void*>(&platform::resolvePath));
    ASSERT_GE(self.path.size(), 4u);
    EXPECT_EQ(self.path.substr(self.path.size() - 4), ".exe");
    EXPECT_NE(self.base, nullptr);
    EXPECT_EQ(platform::directoryOf("C:\\a\\b/c.dll"), "C:\\a\\b");
    EXPECT_EQ(platform::splitSearchList("C:\\x;;D:\\y"), (std::vector<std::string>{"C:\\x", "D:\\y"}));
}

// DPMENU takes the address of the host's text variable; the text keeps its blanks, a null text
// is empty, the variable is left as it was, the result is 0.
TEST(Win32Module, DpmenuTakesTheClientCodeByReference) {
    TempClient dir;
    const std::string script = dir.path("script.txt"), transcript = dir.path("transcript.txt");
    { std::ofstream(script) << "close\nclose\n"; }
    _putenv(("DP_SCRIPT=" + script).c_str());
    _putenv(("DP_TRANSCRIPT=" + transcript).c_str());
    platform::Library module;
    ASSERT_TRUE(module.open(std::string(DP_BINARY_DIR) + "/bin/VELDRO.dll")) << module.error();
    auto dpmenu = reinterpret_cast<DpmenuFunction>(module.symbol(SUITE_DPMENU_ENTRY));
    ASSERT_NE(dpmenu, nullptr);
    const char* code = "ACME  ";
    const char* const before = code;
    unsigned short hostWord = 0x27F, after = 0;  // a Windows thread's x87 setting: double precision
    __asm__ volatile("fnstcw %0" : "=m"(after));
    const unsigned short own = after;
    __asm__ volatile("fldcw %0" : : "m"(hostWord));
    EXPECT_EQ(dpmenu(&code), 0);
    __asm__ volatile("fnstcw %0" : "=m"(after));
    __asm__ volatile("fldcw %0" : : "m"(own));
    EXPECT_EQ(after, hostWord) << "DPMENU gives the host back its x87 setting";
    EXPECT_EQ(code, before);
    const char* none = nullptr;
    EXPECT_EQ(dpmenu(&none), 0);
    std::ifstream in(transcript, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), "dialog: Depreciation/Amortization Menu (ACME)\ndialog: Depreciation/Amortization Menu ()\n");
    _putenv("DP_SCRIPT=");
    _putenv("DP_TRANSCRIPT=");
}
