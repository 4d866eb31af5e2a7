#include <algorithm>
#include <map>

#include "fixture.h"
#include "close/close_period.h"
#include "register/reorganise.h"

using namespace dp;
using mt::asset;
using mt::ClientTest;

namespace {

using ReorganiseTest = ClientTest;

// Every index entry names a record of the file holding that asset number.
::testing::AssertionResult matchingPair(const std::vector<AssetRecord>& recs, const std::vector<IndexEntry>& idx) {
    for (const IndexEntry& e : idx) {
        if (e.RecordNumber < 1 || static_cast<std::size_t>(e.RecordNumber) > recs.size())
            return ::testing::AssertionFailure() << e.AssetNumber << " points to record " << e.RecordNumber;
        if (recs[static_cast<std::size_t>(e.RecordNumber - 1)].AssetNumber != e.AssetNumber)
            return ::testing::AssertionFailure() << e.AssetNumber << " holds record "
                                                 << recs[static_cast<std::size_t>(e.RecordNumber - 1)].AssetNumber;
    }
    return ::testing::AssertionSuccess();
}

std::vector<std::string> numbers(const std::vector<IndexEntry>& idx) {
    std::vector<std::string> out;
    for (const auto& e : idx) out.push_back(trimRight(e.AssetNumber));
    return out;
}

}  // namespace

TEST(IndexSort, ByteOrderOfTheWholeEntry) {
    std::vector<IndexBytes> index(1);
    const std::pair<const char*, int> entries[] = {{"9", 1}, {"10", 2}, {"A1", 3}, {"a1", 4}, {"B", 5}, {"A1", 2}, {"1", 300}, {"1", 2}};
    for (const auto& [n, r] : entries) index.push_back(makeIndexBytes(n, static_cast<std::int16_t>(r)));
    sortIndexEntries(index, index.size() - 1);
    std::vector<std::pair<std::string, int>> got;
    for (std::size_t i = 1; i < index.size(); ++i) got.emplace_back(trimRight(indexKey(index[i])), indexRecordNumber(index[i]));
    // Equal numbers follow the bytes of the record number: 2 (02 00) before 300 (2C 01).
    const std::vector<std::pair<std::string, int>> want = {{"1", 2}, {"1", 300}, {"10", 2}, {"9", 1},
                                                           {"A1", 2}, {"A1", 3}, {"B", 5}, {"a1", 4}};
    EXPECT_EQ(got, want);
}

TEST(IndexSort, OnlyTheGivenEntriesMove) {
    std::vector<IndexBytes> index(1);
    for (const char* n : {"C", "B", "A"}) index.push_back(makeIndexBytes(n, 1));
    sortIndexEntries(index, 2);
    EXPECT_EQ(trimRight(indexKey(index[1])), "B");
    EXPECT_EQ(trimRight(indexKey(index[2])), "C");
    EXPECT_EQ(trimRight(indexKey(index[3])), "A");
}

TEST_F(ReorganiseTest, UnusedIndexElementsAreNotSortedIn) {
    client.writeRegister({asset("AB2", "Two"), asset("AB1", "One")});
    LoadAssetIndex(cl());
    cl().AssetIndex.resize(5001);  // room left by the dialog's set-up
    state().changeFlag = dp::ChangeFlag::Added;
    dptest::ScriptRun run("");
    EXPECT_TRUE(ReorganiseAssetFiles(cl(), state()));
    EXPECT_EQ(numbers(client.readIndex()), (std::vector<std::string>{"AB1", "AB2"}));
}

TEST_F(ReorganiseTest, NothingToTidyLeavesTheFiles) {
    client.writeRegister({asset("AB2", "Two"), asset("AB1", "One")});
    const auto idx = client.bytes("depr.idx");
    LoadAssetIndex(cl());
    dptest::ScriptRun run("");
    EXPECT_TRUE(ReorganiseAssetFiles(cl(), state()));
    EXPECT_EQ(client.bytes("depr.idx"), idx);
}

// The pack removes only what every reader skips as deleted: a record the close (or the report,
// or Form 4562) still counts stays, whatever its description or asset number.
TEST_F(ReorganiseTest, PackRemovesOnlyWhatEveryReaderSkipsAsDeleted) {
    const struct {
        const char* number;
        std::string description;
        bool kept;
    } rows[] = {
        {"AB1", "One", true},
        {"AB2", "***DELETED***", false},
        {"AB3", "***DELETED*** TRUCK", true},  // the report and the close count it
        {"AB4", " ***DELETED***", true},       // a leading blank: the close counts it
        {"AB5", std::string("***DELETED***") + std::string(22, '\0'), true},  // NUL padding: the close counts it
        {"AB6", "***deleted***", true},
        {"", "A blank asset number", true},    // the close carries it
        {"", "***DELETED***", false},
    };
    std::vector<AssetRecord> recs;
    std::vector<std::string> keptNumbers;
    for (const auto& r : rows) {
        AssetRecord a = asset(r.number, "x");
        a.Description = fixedText(r.description, 35);
        recs.push_back(a);
        if (r.kept) keptNumbers.push_back(r.number);
        // One meaning: what the pack keeps is what the close carries.
        EXPECT_EQ(isDeletedForClose(a), !r.kept) << r.number << " " << r.description;
    }
    client.writeRegister(recs);
    LoadAssetIndex(cl());
    state().changeFlag = dp::ChangeFlag::Deleted;
    dptest::ScriptRun run("");
    EXPECT_TRUE(ReorganiseAssetFiles(cl(), state()));
    const auto packed = client.readRecords();
    const auto idx = client.readIndex();
    std::sort(keptNumbers.begin(), keptNumbers.end());
    EXPECT_EQ(numbers(idx), keptNumbers);
    EXPECT_EQ(packed.size(), keptNumbers.size());
    EXPECT_TRUE(matchingPair(packed, idx));
    EXPECT_EQ(idx[0].RecordNumber, 1);
    EXPECT_EQ(state().changeFlag, dp::ChangeFlag::Deleted);  // the flag is never cleared
    // Packing again keeps the packed files as the copies.
    EXPECT_TRUE(ReorganiseAssetFiles(cl(), state()));
    EXPECT_EQ(client.bytes("ODEPR.FIL"), client.bytes("depr.fil"));
}

TEST_F(ReorganiseTest, DanglingEntryDoesNotRepeatTheRecordBefore) {
    client.writeRegister({asset("AB1", "One")});
    auto idx = client.bytes("depr.idx");
    const auto extra = makeIndexBytes("AB2", 40);
    idx.insert(idx.end(), extra.begin(), extra.end());
    client.writeBytes("depr.idx", idx);
    LoadAssetIndex(cl());
    state().changeFlag = dp::ChangeFlag::Deleted;
    {
        // The damaged index is refused; with No nothing changes.
        dptest::ScriptRun run("answer no\n");
        EXPECT_FALSE(ReorganiseAssetFiles(cl(), state()));
        EXPECT_EQ(mt::countPrefix(run.transcript(), "message: Asset File Reorganisation | The asset index depr.idx does not match"), 1);
        EXPECT_EQ(client.bytes("depr.idx"), idx);
    }
    {
        // With Yes the index is rebuilt from the asset file; the pack waits for the next time.
        dptest::ScriptRun run("answer yes\nanswer ok\n");
        EXPECT_FALSE(ReorganiseAssetFiles(cl(), state()));
        EXPECT_EQ(numbers(client.readIndex()), (std::vector<std::string>{"AB1"}));
        EXPECT_EQ(client.bytes("BADDEPR.IDX"), idx);
        EXPECT_EQ(client.readRecords().size(), 1u);
    }
}

TEST_F(ReorganiseTest, BackupThatCannotBeWrittenStopsThePack) {
    client.writeRegister({asset("AB1", "One"), asset("AB2", "***DELETED***")});
    const auto fil = client.bytes("depr.fil");
    const auto idx = client.bytes("depr.idx");
    platform::makeDirectory(client.path("ODEPR.FIL"));
    LoadAssetIndex(cl());
    state().changeFlag = dp::ChangeFlag::Deleted;
    dptest::ScriptRun run("");
    EXPECT_FALSE(ReorganiseAssetFiles(cl(), state()));
    EXPECT_EQ(mt::countPrefix(run.transcript(), "message: Asset File Reorganisation | The packed asset file could not be "
                                                "put in place (it is not an ordinary file)"),
              1)
        << run.transcript();
    EXPECT_EQ(client.bytes("depr.fil"), fil);
    EXPECT_EQ(client.bytes("depr.idx"), idx);
    EXPECT_FALSE(platform::fileExists(client.path("temp.fil")));
    EXPECT_FALSE(platform::fileExists(client.path("temp.idx")));
}

TEST_F(ReorganiseTest, UnopenableFilesAreNotReplaced) {
    client.writeRegister({asset("AB1", "One"), asset("AB2", "***DELETED***")});
    LoadAssetIndex(cl());
    cl().closeFiles();  // on Windows an open file keeps its name until it is closed; the index stays
    // The asset file is replaced by something that cannot be opened as a file.
    ASSERT_EQ(std::remove(client.path("depr.fil").c_str()), 0);
    ASSERT_TRUE(platform::makeDirectory(client.path("depr.fil")));
    state().changeFlag = dp::ChangeFlag::Deleted;
    dptest::ScriptRun run("");
    EXPECT_FALSE(ReorganiseAssetFiles(cl(), state()));
    EXPECT_EQ(mt::countPrefix(run.transcript(), "message: Asset File Reorganisation"), 1);
    EXPECT_TRUE(platform::directoryExists(client.path("depr.fil")));
    EXPECT_EQ(client.readIndex().size(), 2u);
}

// The pack is interrupted after each step of putting the new files in place, as if the process
// had died there. When the files are next opened the client has either the old pair or the new
// one, complete and matching, and the copies of the old files are there whenever the new pair is.
TEST_F(ReorganiseTest, InterruptedPackAlwaysLeavesAMatchingPair) {
    const std::vector<AssetRecord> start = {asset("AB3", "Three"), asset("AB1", "One"), asset("AB2", "***DELETED***"),
                                            asset("AB0", "Zero")};
    const std::vector<std::string> oldNumbers = {"AB3", "AB1", "AB2", "AB0"};
    const std::vector<std::string> newNumbers = {"AB0", "AB1", "AB3"};
    std::map<std::string, int> outcomes;
    for (int faultAfter = 0; faultAfter <= 5; ++faultAfter) {
        SCOPED_TRACE("fault after " + std::to_string(faultAfter) + " steps");
        dptest::TempClient c;
        dp::MaintenanceState st;
        c.writeRegister(start);
        const auto oldFil = c.bytes("depr.fil");
        std::string transcript;
        bool done;
        {
            std::unique_ptr<dp::Client> cc = dp::Client::open(c.code(), "test");
            ASSERT_TRUE(cc);
            LoadAssetIndex(*cc);
            st.changeFlag = dp::ChangeFlag::Deleted;
            dptest::ScriptRun run("");
            platform::setReplaceFaultAfter(faultAfter);
            done = ReorganiseAssetFiles(*cc, st);
            platform::setReplaceFaultAfter(-1);
            transcript = run.transcript();
        }
        // A failure is always told.
        if (!done) {
            EXPECT_EQ(mt::countPrefix(transcript, "message: Asset File Reorganisation"), 1);
        }
        // The next opening of the client finishes what was committed.
        ASSERT_TRUE(dp::Client::open(c.code(), "test"));
        const auto recs = c.readRecords();
        const auto idx = c.readIndex();
        EXPECT_TRUE(matchingPair(recs, idx));
        const auto got = numbers(idx);
        if (got == oldNumbers) {
            EXPECT_EQ(c.bytes("depr.fil"), oldFil);
            EXPECT_FALSE(done);
            ++outcomes["old"];
        } else {
            EXPECT_EQ(got, newNumbers);
            EXPECT_EQ(recs.size(), 3u);
            EXPECT_EQ(c.bytes("ODEPR.FIL"), oldFil);
            EXPECT_EQ(c.bytes("ODEPR.IDX").size(), 32u);
            ++outcomes["new"];
        }
        EXPECT_FALSE(platform::fileExists(c.path(platform::kReplaceJournalName)));
        EXPECT_FALSE(platform::fileExists(platform::resolvePath(c.code(), "temp.fil")));
        EXPECT_FALSE(platform::fileExists(platform::resolvePath(c.code(), "temp.idx")));
    }
    // Both outcomes occur: interruptions before the commit keep the old pair, later ones the new.
    EXPECT_GT(outcomes["old"], 0);
    EXPECT_GT(outcomes["new"], 0);
}

TEST_F(ReorganiseTest, InterruptedIndexSortKeepsAUsableIndex) {
    client.writeRegister({asset("AB3", "Three"), asset("AB1", "One")});
    for (int faultAfter = 0; faultAfter <= 3; ++faultAfter) {
        SCOPED_TRACE(faultAfter);
        LoadAssetIndex(cl());
        state().changeFlag = dp::ChangeFlag::Added;
        {
            dptest::ScriptRun run("");
            platform::setReplaceFaultAfter(faultAfter);
            ReorganiseAssetFiles(cl(), state());
            platform::setReplaceFaultAfter(-1);
        }
        release();
        cl();  // the next opening of the client finishes what was committed
        const auto idx = client.readIndex();
        ASSERT_EQ(idx.size(), 2u);
        EXPECT_TRUE(matchingPair(client.readRecords(), idx));
        // Write the unsorted order back for the next round.
        client.writeRegister({asset("AB3", "Three"), asset("AB1", "One")});
    }
}
