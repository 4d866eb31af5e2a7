#include "fixture.h"
#include "register/asset_picker.h"

using namespace dp;
using mt::asset;
using mt::ClientTest;

namespace {
using PickerTest = ClientTest;

std::string pick(dp::Client& client, std::int32_t pickMarker, const std::string& script,
                 std::string* transcript = nullptr) {
    dptest::ScriptRun run(script);
    LoadAssetIndex(client);
    std::string unused;
    const std::string r = PickAsset(client, pickMarker, unused, 5);
    if (transcript) *transcript = run.transcript();
    return r;
}
}  // namespace

TEST(PickerLayout, ListHeightRule) {
    const struct {
        std::size_t entries;
        int height;
    } cases[] = {{0, 100}, {10, 100}, {11, 100}, {12, 107}, {15, 133}, {19, 167}, {20, 170}, {30, 170}, {5000, 170}};
    for (const auto& c : cases) EXPECT_EQ(pickerListHeight(c.entries), c.height) << c.entries;
}

TEST(PickerLayout, OkOnlyWhenOffered) {
    const auto withOk = buildPickerDialog("  C1  ", 133, true);
    EXPECT_EQ(withOk.caption, "Asset Listing (C1)");
    EXPECT_EQ(withOk.x, 40);
    EXPECT_EQ(withOk.y, 30);
    EXPECT_EQ(withOk.width, 150);
    EXPECT_EQ(withOk.height, 165);
    ASSERT_EQ(withOk.controls.size(), 4u);
    EXPECT_EQ(withOk.controls[1].kind, platform::ControlKind::ListBox);
    EXPECT_EQ(withOk.controls[1].height, 133);
    EXPECT_TRUE(withOk.controls[1].style & platform::StyleFixedFont);
    EXPECT_EQ(withOk.controls[2].id, 602);
    EXPECT_EQ(withOk.controls[2].x, 30);
    EXPECT_EQ(withOk.controls[2].y, 149);
    EXPECT_EQ(withOk.controls[3].text, "&Cancel");
    EXPECT_EQ(withOk.controls[3].x, 75);
    const auto viewOnly = buildPickerDialog("C1", 100, false);
    ASSERT_EQ(viewOnly.controls.size(), 3u);
    EXPECT_EQ(viewOnly.controls[2].id, 603);
    EXPECT_EQ(viewOnly.controls[2].x, 55);
}

TEST_F(PickerTest, LinesFollowTheIndexAndShowDeletedRecords) {
    client.writeRegister({asset("AB1", "Truck"), asset("AB2", "***DELETED***"), asset("7", "Lathe")});
    state().pickMarker = 201;
    std::string t;
    EXPECT_EQ(pick(cl(), state().pickMarker, "select 601 1\nclick 602\n", &t), "AB2   ");
    EXPECT_TRUE(mt::hasLine(t, "dialog: Asset Listing (" + code() + ")"));
    LoadAssetIndex(cl());
    const auto lines = pickerLines(cl());
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "AB1     " + fixedText("Truck", 35));
    EXPECT_EQ(lines[1].substr(0, 21), "AB2     ***DELETED***");
    EXPECT_EQ(lines[2].substr(0, 13), "7       Lathe");
}

TEST_F(PickerTest, EmptyOrUnchosenListingReturnsNothing) {
    state().pickMarker = 201;
    EXPECT_EQ(pick(cl(), state().pickMarker, "click 602\n"), "");
    client.writeRegister({asset("AB1", "Truck")});
    EXPECT_EQ(pick(cl(), state().pickMarker, "click 602\n"), "");
    EXPECT_EQ(pick(cl(), state().pickMarker, "select 601 0\nclick 603\n"), "");
}

TEST_F(PickerTest, CloseBoxKeepsTheChoice) {
    client.writeRegister({asset("AB1", "Truck")});
    state().pickMarker = 201;
    EXPECT_EQ(pick(cl(), state().pickMarker, "select 601 0\nclose\n"), "AB1   ");
}

TEST_F(PickerTest, NothingReturnedUnlessTheNumberBoxWasLast) {
    client.writeRegister({asset("AB1", "Truck")});
    for (int marker : {0, 200}) {
        state().pickMarker = marker;
        EXPECT_EQ(pick(cl(), state().pickMarker, "click 603\n"), "") << marker;
    }
}

TEST_F(PickerTest, MoreThan1001AssetsAreAllListed) {
    std::vector<AssetRecord> recs;
    for (int i = 0; i < 1500; ++i) recs.push_back(asset("N" + std::to_string(i), "Asset " + std::to_string(i)));
    client.writeRegister(recs);
    state().pickMarker = 201;
    LoadAssetIndex(cl());
    const auto lines = pickerLines(cl());
    ASSERT_EQ(lines.size(), 1500u);
    EXPECT_EQ(lines[1499].substr(0, 18), "N1499   Asset 1499");
    EXPECT_EQ(pick(cl(), state().pickMarker, "select 601 1400\nclick 602\n"), "N1400 ");
}

TEST_F(PickerTest, UnreadableRecordListsThePreviousDescription) {
    client.writeRegister({asset("AB1", "Truck")});
    // A second entry pointing past the end of the asset file.
    auto idx = client.bytes("depr.idx");
    const auto extra = makeIndexBytes("ZZ", 9);
    idx.insert(idx.end(), extra.begin(), extra.end());
    client.writeBytes("depr.idx", idx);
    LoadAssetIndex(cl());
    const auto lines = pickerLines(cl());
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], "ZZ      " + fixedText("Truck", 35));
}
