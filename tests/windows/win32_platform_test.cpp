// What the Windows file layer, lock and loading must get right beyond the shared file tests:
// bytes go to disk unchanged, a replacement replaces, names keep their spelling on disk, the
// lock holds between two users, failures name their reason, and DPMENU takes its argument as
// the host passes it.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/client_lock.h"
#include "platform/files.h"
#include "platform/library.h"
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
    // A read-only file opens for reading; its writes say why they fail.
    dir.writeBytes("ro.dat", {'A', 'B', 'C', 'D'});
    SetFileAttributesW((std::wstring(dir.code().begin(), dir.code().end()) + L"\\ro.dat").c_str(), FILE_ATTRIBUTE_READONLY);
    ASSERT_TRUE(f.open(dir.path("ro.dat"), 4));
    char buf[4];
    EXPECT_TRUE(f.read(1, buf));
    EXPECT_FALSE(f.write(1, "ZZZZ"));
    EXPECT_EQ(platform::lastFileError(), FileError::AccessDenied);
    f.close();
    SetFileAttributesW((std::wstring(dir.code().begin(), dir.code().end()) + L"\\ro.dat").c_str(), FILE_ATTRIBUTE_NORMAL);
    // An injected fault reports as the real one would.
    platform::injectFileFault(0, FileError::DiskFull);
    EXPECT_FALSE(platform::copyFile(dir.path("ro.dat"), dir.path("copy.dat")));
    EXPECT_EQ(platform::lastFileError(), FileError::DiskFull);
    platform::injectFileFault(-1);
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
    EXPECT_EQ(dpmenu(&code), 0);
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
