#include <gtest/gtest.h>

#include "engine_test_util.h"
#include "register/asset_files.h"

namespace {

using enginetest::Asset;

class WriteBack : public ::testing::Test {
protected:
    enginetest::TempDir dir{"writeback"};
    void SetUp() override {
        ASSERT_TRUE(dp::reg().fil.open((dir.path() / "depr.fil").string(), dp::kAssetRecordLength, true));
        Asset a;
        for (int r = 1; r <= 3; ++r) {
            a.current = 11.0 * r;
            ASSERT_TRUE(dp::writeAssetRecord(dp::reg().fil, r, a.record()));
        }
    }
    void TearDown() override { dp::reg().fil.close(); }
    dp::AssetRecord stored(int r) {
        dp::AssetRecord rec;
        EXPECT_TRUE(dp::readAssetRecord(dp::reg().fil, r, rec));
        return rec;
    }
};

TEST_F(WriteBack, ComputedRecordGoesToItsOwnRecordNumber) {
    Asset a;
    a.salvage = 1000;
    a.sold = 12312005;
    auto f = dp::computeAssetDepreciation(a.record(), 2, enginetest::inputs());
    EXPECT_DOUBLE_EQ(f.amounts.CurrentDepr, 1500.00);
    dp::AssetRecord two = stored(2);
    EXPECT_DOUBLE_EQ(two.Tax.CurrentDepr, 1500.00);
    EXPECT_DOUBLE_EQ(two.Tax.Cancelled, 1500.00);
    EXPECT_DOUBLE_EQ(two.Tax.Salvage, 1000.00);
    EXPECT_EQ(two.Book.CurrentDepr, 0);
    EXPECT_DOUBLE_EQ(stored(1).Tax.CurrentDepr, 11.0);
    EXPECT_DOUBLE_EQ(stored(3).Tax.CurrentDepr, 33.0);
}

TEST_F(WriteBack, ManualRowsAreNotWritten) {
    Asset a;
    a.manual = 'Y';
    a.current = 99.5;
    auto f = dp::computeAssetDepreciation(a.record(), 2, enginetest::inputs("12312004", "12312004", "Y"));
    EXPECT_DOUBLE_EQ(f.amounts.CurrentDepr, 100.0);
    EXPECT_DOUBLE_EQ(stored(2).Tax.CurrentDepr, 22.0);
    EXPECT_FALSE(dp::storeDepreciation(f, 2));
}

}  // namespace
