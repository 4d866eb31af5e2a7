#include <gtest/gtest.h>

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
