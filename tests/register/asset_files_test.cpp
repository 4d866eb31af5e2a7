#include <gtest/gtest.h>

#include <filesystem>

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
    std::unique_ptr<Client> opened = Client::open(client.code(), "test");
    MaintenanceState st;

    Client& cl() { return *opened; }
    void TearDown() override {
        platform::injectFileFault(-1);
        opened.reset();
        platform::closeAllFiles();
    }

    WriteOutcome write(EditMode mode, const std::string& number) {
        st.assetNumberText = number;
        return WriteAssetRecord(cl(), st, mode);
    }
    WriteOutcome add(const std::string& number, const std::string& description) {
        st.WorkingRecord = AssetRecord{};
        st.WorkingRecord.Description = fixedText(description, 35);
        st.dateAcquiredText = "010198";
        st.dateSoldText = "";
        return write(EditMode::Add, number);
    }
};

}  // namespace

TEST_F(RegisterTest, EmptyOrMissingIndexFindsNothing) {
    EXPECT_EQ(FindAsset(cl(), "AB1"), 0);
    EXPECT_EQ(cl().entryCount, 0);
    EXPECT_EQ(platform::fileSize(client.path("depr.fil")), 0);
    // The close's work files are not made by opening the register.
    EXPECT_FALSE(platform::fileExists(client.path("NEW.FIL")));
    EXPECT_FALSE(platform::fileExists(client.path("NEW.IDX")));
}

TEST_F(RegisterTest, AddAppendsRecordAndIndexEntry) {
    EXPECT_EQ(add("ab3", "Third"), WriteOutcome::Written);
    EXPECT_EQ(add("AB1", "First"), WriteOutcome::Written);
    EXPECT_EQ(st.changeFlag, ChangeFlag::Added);
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
    EXPECT_EQ(FindAsset(cl(), "ab1"), 2);
    EXPECT_EQ(FindAsset(cl(), "AB1XYZ"), 0);
    EXPECT_EQ(FindAsset(cl(), "ab3"), 1);
}

TEST_F(RegisterTest, LongNumberIsCutToSixCharacters) {
    add("abcdefgh", "Long");
    EXPECT_EQ(client.readIndex()[0].AssetNumber, "ABCDEF");
    EXPECT_EQ(FindAsset(cl(), "ABCDEFXX"), 1);
}

TEST_F(RegisterTest, ChangeRewritesOnlyItsRecord) {
    add("A1", "One");
    add("A2", "Two");
    FindAsset(cl(), "A1");
    st.WorkingRecord.Description = fixedText("One changed", 35);
    st.dateAcquiredText = "";
    EXPECT_EQ(write(EditMode::Change, "A1"), WriteOutcome::Written);
    auto recs = client.readRecords();
    EXPECT_EQ(trimRight(recs[0].Description), "One changed");
    EXPECT_EQ(trimRight(recs[1].Description), "Two");
    // A number that is not on file writes nothing, and says so.
    ScriptRun run("");
    EXPECT_EQ(write(EditMode::Change, "ZZ"), WriteOutcome::Failed);
    EXPECT_EQ(run.transcript(),
              "message: Save Asset Record | Asset ZZ was not saved: it is no longer in the index depr.idx.\n");
    EXPECT_EQ(client.readRecords().size(), 2u);
}

TEST_F(RegisterTest, DeleteMarksOnlyAfterYes) {
    add("A1", "One");
    {
        ScriptRun run("answer no\n");
        EXPECT_EQ(write(EditMode::Delete, "A1"), WriteOutcome::Unchanged);
        EXPECT_EQ(run.transcript(), "message: Delete Asset Record | Are you Sure ?\n");
    }
    EXPECT_EQ(trimRight(client.readRecords()[0].Description), "One");
    {
        ScriptRun run("answer yes\n");
        EXPECT_EQ(write(EditMode::Delete, "A1"), WriteOutcome::Written);
    }
    EXPECT_EQ(trimRight(client.readRecords()[0].Description), "***DELETED***");
    EXPECT_EQ(st.changeFlag, ChangeFlag::Deleted);
    // The marked record is still found until the files are packed.
    EXPECT_EQ(FindAsset(cl(), "A1"), 1);
}

TEST_F(RegisterTest, DuplicateKeysFindTheFirst) {
    add("D1", "First");
    add("D1", "Second");
    EXPECT_EQ(FindAsset(cl(), "D1"), 1);
    st.WorkingRecord.Description = fixedText("Changed", 35);
    write(EditMode::Change, "D1");
    EXPECT_EQ(trimRight(client.readRecords()[0].Description), "Changed");
    EXPECT_EQ(trimRight(client.readRecords()[1].Description), "Second");
}

TEST_F(RegisterTest, IndexPointingOutsideTheFileIsNeverWrittenThroughAndSaysSo) {
    add("A1", "One");
    // Entry for B2 points at record 0, C3 past the end.
    auto idx = client.bytes("depr.idx");
    auto b2 = makeIndexBytes("B2", 0), c3 = makeIndexBytes("C3", 7);
    idx.insert(idx.end(), b2.begin(), b2.end());
    idx.insert(idx.end(), c3.begin(), c3.end());
    client.writeBytes("depr.idx", idx);
    ScriptRun run("");
    for (const char* n : {"B2", "C3"}) {
        LoadAssetIndex(cl());
        st.WorkingRecord.Description = fixedText("Wrong", 35);
        EXPECT_EQ(write(EditMode::Change, n), WriteOutcome::Failed) << n;
    }
    EXPECT_NE(run.transcript().find("Asset C3 was not saved: its index entry points to record 7, which depr.fil does not hold"),
              std::string::npos);
    ASSERT_EQ(client.readRecords().size(), 1u);
    EXPECT_EQ(trimRight(client.readRecords()[0].Description), "One");
    AssetRecord out = makeAsset("KEEP", "kept", "010101");
    OpenAssetFiles(cl());
    EXPECT_FALSE(readAssetRecord(cl().fil, 0, out));
    EXPECT_FALSE(readAssetRecord(cl().fil, 7, out));
    EXPECT_FALSE(readAssetRecord(cl().fil, -3, out));
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
    EXPECT_EQ(add("NEW", "One too many"), WriteOutcome::Failed);
    EXPECT_NE(run.transcript().find("message: Add Asset Record | The asset file is full"), std::string::npos);
    EXPECT_EQ(platform::fileSize(client.path("depr.fil")), static_cast<std::int64_t>(kMaxRecords) * 219);
    EXPECT_EQ(platform::fileSize(client.path("depr.idx")), 0);
}

// Each change a write makes on disk (opening for writing, writing, flushing) fails once in turn,
// as a full disk would make it fail. Every time, either the write was done whole, or the user
// was told and the register is exactly as before: never a record without its entry or an entry
// without its record.
template <class Write>
void sweepFaults(const TempClient& client, Write write, const std::string& told, const std::string& script = "") {
    const auto fil = client.bytes("depr.fil");
    const auto idx = client.bytes("depr.idx");
    int failed = 0;
    for (int step = 0;; ++step) {
        SCOPED_TRACE("fault at change " + std::to_string(step));
        client.writeBytes("depr.fil", fil);
        client.writeBytes("depr.idx", idx);
        ScriptRun run(script);
        platform::injectFileFault(step, platform::FileError::DiskFull);
        const WriteOutcome outcome = write();
        const bool reached = platform::changingOperations() > step;
        platform::injectFileFault(-1);
        if (!reached) {
            EXPECT_EQ(outcome, WriteOutcome::Written);
            break;
        }
        if (outcome == WriteOutcome::Written) continue;  // a fault the write could live with
        ++failed;
        EXPECT_EQ(outcome, WriteOutcome::Failed);
        EXPECT_NE(run.transcript().find(told), std::string::npos) << run.transcript();
        EXPECT_EQ(client.bytes("depr.fil"), fil);
        EXPECT_EQ(client.bytes("depr.idx"), idx);
        ASSERT_LT(step, 20);
    }
    EXPECT_GE(failed, 2);  // at least the record's write and its flush
}

TEST_F(RegisterTest, FailedAdditionLeavesTheRegisterAsItWas) {
    add("A1", "One");
    sweepFaults(client, [&] { return add("A2", "Two"); }, "Asset A2 was not saved: the disk is full.");
    EXPECT_EQ(client.readIndex().size(), 2u);
    EXPECT_EQ(client.readRecords().size(), 2u);
}

TEST_F(RegisterTest, FailedChangeOrDeletionLeavesTheRecordAsItWas) {
    add("A1", "One");
    sweepFaults(client,
                [&] {
                    st.WorkingRecord.Description = fixedText("Changed", 35);
                    return write(EditMode::Change, "A1");
                },
                "Asset A1 was not saved: the disk is full.");
    sweepFaults(client,
                [&] {
                    st.WorkingRecord.Description = fixedText("One", 35);
                    return write(EditMode::Delete, "A1");
                },
                "Asset A1 was not deleted: the disk is full.", "answer yes\n");
    EXPECT_EQ(trimRight(client.readRecords()[0].Description), "***DELETED***");
}

TEST_F(RegisterTest, AReadOnlyDiskIsNamed) {
    add("A1", "One");
    ScriptRun run("");
    // The asset file opens for reading only; its write then tells why.
    platform::injectFileFault(1, platform::FileError::ReadOnly);
    st.WorkingRecord.Description = fixedText("Changed", 35);
    EXPECT_EQ(write(EditMode::Change, "A1"), WriteOutcome::Failed);
    EXPECT_EQ(run.transcript(), "message: Save Asset Record | Asset A1 was not saved: the disk is read-only.\n");
}

TEST_F(RegisterTest, AnAssetFileThatIsADeviceIsNotWritten) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP();
    std::filesystem::create_symlink("/dev/full", client.path("depr.fil"));
    ScriptRun run("");
    EXPECT_EQ(add("A1", "One"), WriteOutcome::Failed);
    EXPECT_EQ(run.transcript(),
              "message: Save Asset Record | Asset A1 was not saved: the asset files cannot be opened: it is not an "
              "ordinary file.\n");
    EXPECT_EQ(platform::fileSize(client.path("depr.idx")), 0);
}

TEST_F(RegisterTest, UpperCaseFilesCopiedFromElsewhereAreTheSameFiles) {
    client.writeRegister({makeAsset("U1", "Upper", "010199")});
    // Rename the files to upper case, as a directory copied from another system holds them.
    ASSERT_TRUE(platform::renameFile(client.path("depr.fil"), client.path("DEPR.FIL")));
    ASSERT_TRUE(platform::renameFile(client.path("depr.idx"), client.path("DEPR.IDX")));
    EXPECT_EQ(FindAsset(cl(), "U1"), 1);
    add("U2", "Second");
    EXPECT_EQ(platform::fileSize(client.path("DEPR.FIL")), 2 * 219);
#ifndef _WIN32  // on Windows every spelling names the one file, whatever the disk shows
    EXPECT_FALSE(platform::fileExists(client.path("depr.fil")));
    EXPECT_FALSE(platform::fileExists(client.path("depr.idx")));
    EXPECT_EQ(dataPath(client.code(), "depr.fil"), client.path("DEPR.FIL"));
#endif
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
    OpenAssetFiles(cl());
    EXPECT_EQ(cl().fiscalYearEndText, "12312003");
}
