// The close reads and writes the register in one transfer per file.
#include <gtest/gtest.h>

#include <array>

#include "platform/files.h"
#include "support/client_dir.h"

namespace {

TEST(RecordTransferTest, ManyRecordsAtOnce) {
    dptest::TempClient dir;
    platform::RecordFile f;
    ASSERT_TRUE(f.open(dir.path("t.fil"), 3));
    const char text[] = "aaabbbcccddd";
    ASSERT_TRUE(f.writeRecords(2, 4, text));  // records 2..5; record 1 becomes NULs
    EXPECT_EQ(f.recordCount(), 5);
    std::array<char, 15> all{};
    ASSERT_TRUE(f.readRecords(1, 5, all.data()));
    EXPECT_EQ(std::string(all.data(), 3), std::string(3, '\0'));
    EXPECT_EQ(std::string(all.data() + 3, 12), "aaabbbcccddd");
    std::array<char, 6> two{};
    ASSERT_TRUE(f.readRecords(4, 2, two.data()));
    EXPECT_EQ(std::string(two.data(), 6), "cccddd");
    EXPECT_FALSE(f.readRecords(5, 2, two.data()));  // one record short
    EXPECT_TRUE(f.readRecords(1, 0, two.data()));
    EXPECT_FALSE(f.readRecords(0, 1, two.data()));
}

}  // namespace
