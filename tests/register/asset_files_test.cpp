#include <gtest/gtest.h>

#include "entry/session.h"
#include "platform/files.h"
#include "register/asset_files.h"
#include "support/client_dir.h"

using namespace dp;
using dptest::makeAsset;
using dptest::ScriptRun;
using dptest::TempClient;

namespace {

struct RegisterTest : ::testing::Test {
    TempClient client;
    void SetUp() override {
        session().clientCode = client.code();
        resetRegisterState();
    }
    void TearDown() override { CloseAllFiles(); }

    void add(const std::string& number, const std::string& description) {
        RegisterState& s = reg();
        s.assetNumberText = number;
        s.WorkingRecord = AssetRecord{};
        s.WorkingRecord.Description = fixedText(description, 35);
        s.dateAcquiredText = "010198";
        s.dateSoldText = "";
        WriteAssetRecord("ADD");
    }
};

}  // namespace

TEST_F(RegisterTest, EmptyOrMissingIndexFindsNothing) {
    EXPECT_EQ(FindAsset("AB1"), 0);
    EXPECT_EQ(reg().entryCount, 0);
    // Opening creates the four files empty.
    EXPECT_EQ(platform::fileSize(client.path("depr.fil")), 0);
    EXPECT_EQ(platform::fileSize(client.path("NEW.FIL")), 0);
    EXPECT_EQ(platform::fileSize(client.path("NEW.IDX")), 0);
}

TEST_F(RegisterTest, AddAppendsRecordAndIndexEntry) {
    add("ab3", "Third");
    add("AB1", "First");
    EXPECT_EQ(reg().ChangeFlag, 2);
    auto idx = client.readIndex();
    ASSERT_EQ(idx.size(), 2u);
    EXPECT_EQ(idx[0].AssetNumber, "AB3   ");
    EXPECT_EQ(idx[0].RecordNumber, 1);
    EXPECT_EQ(idx[1].AssetNumber, "AB1   ");
    EXPECT_EQ(idx[1].RecordNumber, 2);
    auto recs = client.readRecords();
    ASSERT_EQ(recs.size(), 2u);
    EXPECT_EQ(recs[0].AssetNumber, "AB3   ");
    EXPECT_EQ(trimRight(recs[1].Description), "First");
    EXPECT_EQ(date6ToText(recs[1].DateAcquired, false), "010198");
    // Look-ups upper-case and compare the first six characters.
    EXPECT_EQ(FindAsset("ab1"), 2);
    EXPECT_EQ(FindAsset("AB1XYZ"), 0);
    EXPECT_EQ(FindAsset("ab3"), 1);
}

TEST_F(RegisterTest, LongNumberIsCutToSixCharacters) {
    add("abcdefgh", "Long");
    EXPECT_EQ(client.readIndex()[0].AssetNumber, "ABCDEF");
    EXPECT_EQ(FindAsset("ABCDEFXX"), 1);
}

TEST_F(RegisterTest, ChangeRewritesOnlyItsRecord) {
    add("A1", "One");
    add("A2", "Two");
    RegisterState& s = reg();
    s.assetNumberText = "A1";
    s.WorkingRecord.Description = fixedText("One changed", 35);
    s.dateAcquiredText = "";
    WriteAssetRecord("CHG");
    auto recs = client.readRecords();
    EXPECT_EQ(trimRight(recs[0].Description), "One changed");
    EXPECT_EQ(trimRight(recs[1].Description), "Two");
    // A number that is not on file writes nothing.
    s.assetNumberText = "ZZ";
    WriteAssetRecord("CHG");
    EXPECT_EQ(client.readRecords().size(), 2u);
}

TEST_F(RegisterTest, DeleteMarksOnlyAfterYes) {
    add("A1", "One");
    {
        ScriptRun run("answer no\n");
        reg().assetNumberText = "A1";
        WriteAssetRecord("DEL");
        EXPECT_EQ(run.transcript(), "message: Delete Asset Record | Are you Sure ?\n");
    }
    EXPECT_EQ(trimRight(client.readRecords()[0].Description), "One");
    {
        ScriptRun run("answer yes\n");
        reg().assetNumberText = "A1";
        WriteAssetRecord("DEL");
    }
    EXPECT_EQ(trimRight(client.readRecords()[0].Description), "***DELETED***");
    EXPECT_EQ(reg().ChangeFlag, 1);
    // The marked record is still found until the files are packed.
    EXPECT_EQ(FindAsset("A1"), 1);
}

TEST_F(RegisterTest, DuplicateKeysFindTheFirst) {
    add("D1", "First");
    add("D1", "Second");
    EXPECT_EQ(FindAsset("D1"), 1);
    reg().assetNumberText = "D1";
    reg().WorkingRecord.Description = fixedText("Changed", 35);
    WriteAssetRecord("CHG");
    EXPECT_EQ(trimRight(client.readRecords()[0].Description), "Changed");
    EXPECT_EQ(trimRight(client.readRecords()[1].Description), "Second");
}

TEST_F(RegisterTest, IndexPointingOutsideTheFileIsNeverWrittenThrough) {
    add("A1", "One");
    // Entry for B2 points at record 0, C3 past the end.
    auto idx = client.bytes("depr.idx");
    auto b2 = makeIndexBytes("B2", 0), c3 = makeIndexBytes("C3", 7);
    idx.insert(idx.end(), b2.begin(), b2.end());
    idx.insert(idx.end(), c3.begin(), c3.end());
    client.writeBytes("depr.idx", idx);
    for (const char* n : {"B2", "C3"}) {
        reg().assetNumberText = n;
        reg().WorkingRecord.Description = fixedText("Wrong", 35);
        WriteAssetRecord("CHG");
    }
    ASSERT_EQ(client.readRecords().size(), 1u);
    EXPECT_EQ(trimRight(client.readRecords()[0].Description), "One");
    AssetRecord out = makeAsset("KEEP", "kept", "010101");
    OpenAssetFiles();
    EXPECT_FALSE(readAssetRecord(reg().fil, 0, out));
    EXPECT_FALSE(readAssetRecord(reg().fil, 7, out));
    EXPECT_FALSE(readAssetRecord(reg().fil, -3, out));
    EXPECT_EQ(trimRight(out.Description), "kept");
}

TEST_F(RegisterTest, AddIsRefusedWhenTheFileIsFull) {
    // A depr.fil of 32767 records (sparse, all zero bytes).
    {
        platform::RecordFile f;
        ASSERT_TRUE(f.open(client.path("depr.fil"), kAssetRecordLength));
        AssetRecord::Bytes zero{};
        ASSERT_TRUE(f.write(kMaxRecords, zero.data()));
    }
    ScriptRun run("");
    add("NEW", "One too many");
    EXPECT_NE(run.transcript().find("message: Add Asset Record | The asset file is full"), std::string::npos);
    EXPECT_EQ(platform::fileSize(client.path("depr.fil")), static_cast<std::int64_t>(kMaxRecords) * 219);
    EXPECT_EQ(platform::fileSize(client.path("depr.idx")), 0);
}

TEST_F(RegisterTest, UpperCaseFilesCopiedFromElsewhereAreTheSameFiles) {
    client.writeRegister({makeAsset("U1", "Upper", "010199")});
    // Rename the files to upper case, as a directory copied from another system holds them.
    ASSERT_TRUE(platform::renameFile(client.path("depr.fil"), client.path("DEPR.FIL")));
    ASSERT_TRUE(platform::renameFile(client.path("depr.idx"), client.path("DEPR.IDX")));
    EXPECT_EQ(FindAsset("U1"), 1);
    add("U2", "Second");
    EXPECT_FALSE(platform::fileExists(client.path("depr.fil")));
    EXPECT_FALSE(platform::fileExists(client.path("depr.idx")));
    EXPECT_EQ(platform::fileSize(client.path("DEPR.FIL")), 2 * 219);
    EXPECT_EQ(dataPath(client.code(), "depr.fil"), client.path("DEPR.FIL"));
}

TEST_F(RegisterTest, CompanyFileShorterThanThreeRecords) {
    CompanyRecord c = dptest::makeCompany("Acme", "12312003", "12312003");
    auto r1 = c.encodeRecord(1);
    client.writeBytes("company.fil", std::vector<unsigned char>(r1.begin(), r1.end()));
    CompanyRecord got;
    EXPECT_EQ(readCompanyFile(client.code(), got), 1);
    EXPECT_EQ(trimRight(got.CompanyName), "Acme");
    EXPECT_EQ(got.Activity, std::string(50, ' '));
    EXPECT_EQ(got.CurrentPeriod.year, 0);
    OpenAssetFiles();
    EXPECT_EQ(reg().fiscalYearEndText, "12312003");
}

TEST_F(RegisterTest, MissingDirectoryIsHarmless) {
    session().clientCode = client.code() + "/no/such/dir";
    EXPECT_EQ(FindAsset("A1"), 0);
    reg().assetNumberText = "A1";
    WriteAssetRecord("ADD");
    EXPECT_FALSE(platform::directoryExists(client.code() + "/no"));
}
