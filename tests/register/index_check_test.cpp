// The index is checked against the asset file before it is trusted, and rebuilt from it.
#include <gtest/gtest.h>

#include "register/index_check.h"
#include "support/client_dir.h"

using namespace dp;

namespace {

using Bytes = std::vector<unsigned char>;

Bytes assetFile(const std::vector<AssetRecord>& records) {
    Bytes out;
    for (const AssetRecord& r : records) {
        const auto b = r.encode();
        out.insert(out.end(), b.begin(), b.end());
    }
    return out;
}

Bytes indexFile(const std::vector<std::pair<std::string, int>>& entries) {
    Bytes out;
    for (const auto& [number, record] : entries) {
        const IndexBytes e = makeIndexBytes(number, static_cast<std::int16_t>(record));
        out.insert(out.end(), e.begin(), e.end());
    }
    return out;
}

const std::vector<AssetRecord> kThree = {dptest::makeAsset("A1", "One", "010198"),
                                         dptest::makeAsset("B2", "Two", "010198"),
                                         dptest::makeAsset("C3", "***DELETED***", "010198")};

}  // namespace

TEST(IndexCheck, WhatIsTrustedAndWhatIsNot) {
    using K = IndexProblem::Kind;
    const Bytes fil = assetFile(kThree);
    Bytes cutShort = indexFile({{"A1", 1}, {"B2", 2}});
    cutShort.resize(cutShort.size() - 3);
    Bytes garbage(64);
    for (std::size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<unsigned char>(i * 37 + 11);
    const struct {
        const char* what;
        Bytes idx;
        Bytes fil;
        std::vector<K> problems;  // the kinds found, in order
    } cases[] = {
        {"matching", indexFile({{"A1", 1}, {"B2", 2}, {"C3", 3}}), fil, {}},
        {"sorted differently", indexFile({{"C3", 3}, {"A1", 1}, {"B2", 2}}), fil, {}},
        {"lower case and NULs", indexFile({{"a1", 1}, {"B2", 2}, {"C3", 3}}), fil, {}},
        {"empty entries are accepted", indexFile({{"A1", 1}, {"ZZ", 0}, {"B2", 2}, {"C3", 3}}), fil, {}},
        {"a deleted record needs no entry", indexFile({{"A1", 1}, {"B2", 2}}), fil, {}},
        {"new client", {}, {}, {}},
        {"empty index", {}, fil, {K::MissingEntry, K::MissingEntry}},
        {"one byte", {0x41}, fil, {K::PartialEntry, K::MissingEntry, K::MissingEntry}},
        {"entry cut short", cutShort, fil, {K::PartialEntry, K::MissingEntry}},
        {"every entry on record 1", indexFile({{"A1", 1}, {"B2", 1}, {"C3", 1}}), fil,
         {K::SharedRecord, K::SharedRecord, K::MissingEntry}},
        {"swapped record numbers", indexFile({{"A1", 2}, {"B2", 1}}), fil, {K::WrongRecord, K::WrongRecord}},
        {"past the end", indexFile({{"A1", 1}, {"B2", 2}, {"C3", 4}}), fil, {K::OutOfRange}},
        {"negative", indexFile({{"A1", 1}, {"B2", -2}}), fil, {K::OutOfRange, K::MissingEntry}},
    };
    for (const auto& c : cases) {
        const IndexCheck check = checkIndex(c.idx, c.fil);
        std::vector<K> kinds;
        for (const IndexProblem& p : check.problems) kinds.push_back(p.kind);
        EXPECT_EQ(kinds, c.problems) << c.what << ": " << check.describe();
        EXPECT_EQ(check.trusted(), c.problems.empty()) << c.what;
    }
    // Garbage: whatever it says, it is not trusted.
    EXPECT_FALSE(checkIndex(garbage, fil).trusted());
}

TEST(IndexCheck, TheMessageNamesTheFirstFewProblemsAndCountsTheRest) {
    std::vector<AssetRecord> records;
    std::vector<std::pair<std::string, int>> entries;
    for (int i = 1; i <= 60; ++i) {
        records.push_back(dptest::makeAsset("N" + std::to_string(i), "Asset", "010198"));
        entries.push_back({"N" + std::to_string(i), 1});
    }
    const IndexCheck check = checkIndex(indexFile(entries), assetFile(records));
    EXPECT_EQ(check.problemCount, 59 + 59);  // 59 shared records, 59 records without an entry
    const std::string text = check.describe();
    EXPECT_EQ(text.rfind("entry 2 names N2 but its record 1 holds another asset", 0), std::string::npos);
    EXPECT_NE(text.find("entry 2 (N2) points to record 1, as an earlier entry does"), std::string::npos) << text;
    EXPECT_NE(text.find("and 110 more."), std::string::npos) << text;
}

TEST(IndexCheck, RebuildListsEveryLiveRecordWhateverItsNumber) {
    AssetRecord nulNumber = dptest::makeAsset("N", "Nul-holding number", "010198");
    nulNumber.AssetNumber = std::string("N\0\0\0\0\0", 6);
    AssetRecord leadingBlank = dptest::makeAsset("L1", " ***DELETED***", "010198");  // the close counts it
    std::vector<AssetRecord> records = kThree;          // A1, B2, C3 (deleted)
    records.push_back(AssetRecord{});                   // 4: a blank number
    records.push_back(dptest::makeAsset("A0", "Zero", "010198"));
    records.push_back(nulNumber);                       // 6
    records.push_back(dptest::makeAsset("A1", "Same number as record 1", "010198"));
    records.push_back(leadingBlank);                    // 8
    const Bytes fil = assetFile(records);
    const RebuiltIndex rebuilt = rebuildIndex(fil);
    // Every record a reader counts is listed; only the record marked deleted is not.
    std::vector<std::pair<std::string, int>> listed;
    for (const IndexBytes& e : rebuilt.entries) listed.emplace_back(indexKey(e), indexRecordNumber(e));
    const std::vector<std::pair<std::string, int>> expected = {
        {"      ", 4}, {"A0    ", 5}, {"A1    ", 1}, {"A1    ", 7}, {"B2    ", 2}, {"L1    ", 8}, {"N     ", 6}};
    EXPECT_EQ(listed, expected);
    std::int64_t live = 0;
    for (const AssetRecord& r : records) live += isLiveRecord(r);
    EXPECT_EQ(static_cast<std::int64_t>(rebuilt.entries.size()), live);
    // The message names the records whose numbers need a look.
    const std::vector<std::string> notes = {"record 4 has a blank asset number",
                                            "record 6 (N) has NUL bytes in its asset number",
                                            "record 7 has the same asset number as record 1 (A1)"};
    EXPECT_EQ(rebuilt.notes, notes);
    Bytes idx;
    for (const IndexBytes& e : rebuilt.entries) idx.insert(idx.end(), e.begin(), e.end());
    EXPECT_TRUE(checkIndex(idx, fil).trusted()) << checkIndex(idx, fil).describe();
}
