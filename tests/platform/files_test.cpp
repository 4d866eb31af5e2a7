#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "platform/files.h"
#include "support/client_dir.h"

using dptest::TempClient;

TEST(ResolvePath, FindsAnyLetterCaseAndCreatesAsAsked) {
    TempClient dir;
    EXPECT_EQ(platform::resolvePath(dir.code(), "depr.fil"), dir.path("depr.fil"));
    dir.writeBytes("DEPR.FIL", {1});
    EXPECT_EQ(platform::resolvePath(dir.code(), "depr.fil"), dir.path("DEPR.FIL"));
    EXPECT_EQ(platform::resolvePath(dir.code(), "Depr.Fil"), dir.path("DEPR.FIL"));
#ifndef _WIN32  // Windows keeps one file under every spelling of its name
    // The exact spelling wins when two spellings exist.
    dir.writeBytes("depr.fil", {2});
    EXPECT_EQ(platform::resolvePath(dir.code(), "depr.fil"), dir.path("depr.fil"));
    EXPECT_EQ(platform::resolvePath(dir.code(), "DEPR.FIL"), dir.path("DEPR.FIL"));
#endif
}

TEST(RecordFile, WholeRecordsAndShortTail) {
    TempClient dir;
    platform::RecordFile f;
    ASSERT_TRUE(f.open(dir.path("x.dat"), 4));
    EXPECT_EQ(f.recordCount(), 0);
    ASSERT_TRUE(f.write(2, "BBBB"));
    EXPECT_EQ(f.recordCount(), 2);
    char buf[4] = {'z', 'z', 'z', 'z'};
    ASSERT_TRUE(f.read(1, buf));
    EXPECT_EQ(std::string(buf, 4), std::string(4, '\0'));
    EXPECT_FALSE(f.read(3, buf));
    EXPECT_FALSE(f.read(0, buf));
    f.close();
    dir.writeBytes("x.dat", {'A', 'B', 'C', 'D', 'E', 'F'});
    ASSERT_TRUE(f.open(dir.path("x.dat"), 4));
    EXPECT_EQ(f.recordCount(), 1);
    ASSERT_TRUE(f.read(2, buf));
    EXPECT_EQ(std::string(buf, 4), std::string("EF\0\0", 4));
}

TEST(RecordFile, ReadAllGivesEveryByteOrRefusesAnOversizedFile) {
    TempClient dir;
    // Sizes around the point where a block gets memory of its own, a part of a record at the end.
    for (const std::size_t size : {std::size_t{0}, std::size_t{7}, std::size_t{2} << 20, (std::size_t{5} << 20) + 3}) {
        std::vector<unsigned char> bytes(size);
        for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<unsigned char>(i * 7 + i / 4096);
        dir.writeBytes("x.dat", bytes);
        platform::RecordFile f;
        ASSERT_TRUE(f.open(dir.path("x.dat"), 4));
        platform::ByteBlock block;
        ASSERT_TRUE(f.readAll(block, static_cast<std::int64_t>(size))) << size;
        ASSERT_EQ(block.size(), size);
        EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), block.bytes().begin())) << size;
        if (size == 0) continue;
        platform::ByteBlock kept = std::move(block);
        EXPECT_FALSE(f.readAll(block, static_cast<std::int64_t>(size) - 1));
        EXPECT_EQ(platform::lastFileError(), platform::FileError::TooLarge);
        EXPECT_EQ(kept.size(), size);  // a refused read leaves what was read before
    }
}

TEST(TextFile, ColumnRuleCountsEveryByte) {
    TempClient dir;
    platform::TextFile t;
    ASSERT_TRUE(t.create(dir.path("t.txt")));
    t.write("\x1bj\x1e");  // ESC j 30: three bytes on the line
    t.column(20);
    t.write("X");
    t.crlf();
    t.write("abcdef");
    t.column(3);  // past it: a new line, then two blanks
    t.write("Y");
    t.close();
    auto b = dir.bytes("t.txt");
    EXPECT_EQ(std::string(b.begin(), b.end()),
              "\x1bj\x1e" + std::string(16, ' ') + "X\r\nabcdef\r\n  Y");
}

TEST(ReplaceFilesTogether, EveryInterruptionEndsAllOldOrAllNew) {
    for (int fault = 0; fault < 8; ++fault) {
        TempClient dir;
        dir.writeBytes("a.dat", {'o', 'a'});
        dir.writeBytes("b.dat", {'o', 'b'});
        dir.writeBytes("na.dat", {'n', 'a'});
        dir.writeBytes("nb.dat", {'n', 'b'});
        platform::setReplaceFaultAfter(fault);
        const bool done = platform::replaceFilesTogether(dir.code(), {{"na.dat", "a.dat"}, {"nb.dat", "b.dat"}});
        platform::setReplaceFaultAfter(-1);
        // The next opening of the directory finishes what was started.
        platform::finishPendingReplacement(dir.code());
        const auto a = dir.bytes("a.dat"), b = dir.bytes("b.dat");
        ASSERT_EQ(a.size(), 2u);
        ASSERT_EQ(b.size(), 2u);
        EXPECT_EQ(a[0], b[0]) << "mixed pair after fault " << fault;
        if (done) { EXPECT_EQ(a[0], 'n'); }
        EXPECT_FALSE(platform::fileExists(dir.path(platform::kReplaceJournalName)));
    }
}

namespace {

std::string text(const TempClient& dir, const char* name) {
    const auto b = dir.bytes(name);
    return std::string(b.begin(), b.end());
}

struct TraceGuard {
    explicit TraceGuard(std::vector<std::string>* log) { platform::traceFileChanges(log); }
    ~TraceGuard() { platform::traceFileChanges(nullptr); }
};

}  // namespace

// One replacement, step by step: the journal is flushed and its name made to last before any
// file moves; the renames follow in the journal's order and are made to last before the journal
// goes. A step left out or done out of order could leave a half-moved set that no journal names.
TEST(ReplaceFilesTogether, OneReplacementInTheOrderThatSurvivesAPulledPlug) {
    TempClient dir;
    for (const char* name : {"a.dat", "b.dat", "na.dat", "nb.dat"}) dir.writeBytes(name, {'x'});
    std::vector<std::string> log;
    {
        TraceGuard trace(&log);
        ASSERT_TRUE(platform::replaceFilesTogether(dir.code(), {{"na.dat", "a.dat"}, {"nb.dat", "b.dat"}}));
    }
    const std::string folder = dir.code().substr(dir.code().find_last_of("/\\") + 1);
    const std::vector<std::string> expected = {
        "create REPLACE.JNL.tmp", "write REPLACE.JNL.tmp", "sync REPLACE.JNL.tmp", "rename REPLACE.JNL.tmp REPLACE.JNL",
        "syncdir " + folder,      "rename na.dat a.dat",   "rename nb.dat b.dat",  "syncdir " + folder,
        "remove REPLACE.JNL",     "syncdir " + folder};
    EXPECT_EQ(log, expected);
}

// A single file is put in place by its rename alone, made to last with its folder; interrupted
// anywhere, the old file or the new one is there whole.
TEST(ReplaceFilesTogether, ASingleFileTakesItsRenameAlone) {
    TempClient dir;
    for (const char* name : {"a.dat", "na.dat"}) dir.writeBytes(name, {'x'});
    std::vector<std::string> log;
    {
        TraceGuard trace(&log);
        ASSERT_TRUE(platform::replaceFilesTogether(dir.code(), {{"na.dat", "a.dat"}}));
    }
    const std::string folder = dir.code().substr(dir.code().find_last_of("/\\") + 1);
    EXPECT_EQ(log, (std::vector<std::string>{"rename na.dat a.dat", "syncdir " + folder}));
    for (int fault = 0; fault < 3; ++fault) {
        TempClient d;
        d.writeBytes("a.dat", {'o'});
        d.writeBytes("na.dat", {'n'});
        platform::setReplaceFaultAfter(fault);
        const bool done = platform::replaceFilesTogether(d.code(), {{"na.dat", "a.dat"}});
        platform::setReplaceFaultAfter(-1);
        EXPECT_EQ(text(d, "a.dat"), done ? "n" : "o") << fault;
        EXPECT_FALSE(platform::fileExists(d.path(platform::kReplaceJournalName)));
    }
}

// The renames are done in the journal's order, whether the replacement runs through or an
// interrupted one is finished at the next opening: a chain (a to b, then c to a) ends with the
// old a in b and c in a, where the reverse order would lose the old a.
TEST(ReplaceFilesTogether, RenamesFollowTheJournalsOrder) {
    for (const bool interrupted : {false, true}) {
        SCOPED_TRACE(interrupted ? "finished at the next opening" : "run through");
        TempClient dir;
        dir.writeBytes("a", {'A'});
        dir.writeBytes("c", {'C'});
        if (interrupted) {
            dir.writeBytes(platform::kReplaceJournalName, {'a', '\t', 'b', '\n', 'c', '\t', 'a', '\n', 'E', 'N', 'D', '\n'});
            EXPECT_EQ(platform::finishPendingReplacement(dir.code()).state, platform::PendingReplacement::State::Finished);
        } else {
            ASSERT_TRUE(platform::replaceFilesTogether(dir.code(), {{"a", "b"}, {"c", "a"}}));
        }
        EXPECT_EQ(text(dir, "b"), "A");
        EXPECT_EQ(text(dir, "a"), "C");
        EXPECT_FALSE(platform::fileExists(dir.path("c")));
    }
}

namespace {

bool onlyDataNames(const std::string& name) { return name == "company.fil" || name == "x.new" || name == "x"; }

}  // namespace

// A journal that names anything but bare names of its own folder (or names the caller does not
// write) is not acted on at all: nothing moves, nothing is made, and it stays to be looked at.
TEST(ReplaceFilesTogether, AJournalNamingOtherFilesIsRefusedWhole) {
    const struct {
        const char* journal;
        const char* problem;
    } cases[] = {
        {"x.new\tx\n../outside.txt\tx\nEND\n", "\"../outside.txt\" is not a file it may rename"},
        {"company.fil\t../company.fil\nEND\n", "\"../company.fil\" is not a file it may rename"},
        {"x.new\t/tmp/x\nEND\n", "\"/tmp/x\" is not a file it may rename"},
        {"x.new\tsub\\x\nEND\n", "\"sub\\x\" is not a file it may rename"},
        {"x.new\tC:x\nEND\n", "\"C:x\" is not a file it may rename"},
        {"x.new\t..\nEND\n", "\"..\" is not a file it may rename"},
        {"x.new\tother.txt\nEND\n", "\"other.txt\" is not a file it may rename"},
        {"x.new x\nEND\n", "a line of it is not a rename"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.journal);
        TempClient dir;
        dir.writeBytes("x.new", {'n'});
        dir.writeBytes("x", {'o'});
        dir.writeBytes("company.fil", {'c'});
        const std::string j = c.journal;
        dir.writeBytes(platform::kReplaceJournalName, std::vector<unsigned char>(j.begin(), j.end()));
        const platform::PendingReplacement p = platform::finishPendingReplacement(dir.code(), onlyDataNames);
        EXPECT_EQ(p.state, platform::PendingReplacement::State::Refused);
        EXPECT_EQ(p.problem, c.problem);
        EXPECT_EQ(text(dir, "x"), "o");
        EXPECT_EQ(text(dir, "x.new"), "n");
        EXPECT_EQ(text(dir, "company.fil"), "c");
        EXPECT_TRUE(platform::fileExists(dir.path(platform::kReplaceJournalName)));
        // A new replacement is not written over it either.
        EXPECT_FALSE(platform::replaceFilesTogether(dir.code(), {{"x.new", "x"}}, onlyDataNames));
        EXPECT_EQ(text(dir, "x"), "o");
    }
    // A journal that is no file, or larger than any journal, is refused the same way.
    TempClient dir;
    std::filesystem::create_directory(dir.path(platform::kReplaceJournalName));
    EXPECT_EQ(platform::finishPendingReplacement(dir.code()).problem, "it cannot be read: it is not an ordinary file");
    std::filesystem::remove(dir.path(platform::kReplaceJournalName));
    dir.writeBytes(platform::kReplaceJournalName, std::vector<unsigned char>(platform::kMaxJournalBytes + 1, 'x'));
    EXPECT_EQ(platform::finishPendingReplacement(dir.code()).state, platform::PendingReplacement::State::Refused);
}
