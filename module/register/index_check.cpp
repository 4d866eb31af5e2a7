#include "register/index_check.h"

#include <algorithm>
#include <cstring>

namespace dp {
namespace {

constexpr std::size_t kShownProblems = 8;

// An asset number as compared: NULs read as blanks, upper case, six characters.
std::string comparable(std::string_view number) {
    std::string s(number);
    std::replace(s.begin(), s.end(), '\0', ' ');
    return assetKey(s);
}

AssetRecord recordAt(const std::vector<unsigned char>& assetBytes, std::int64_t r) {
    AssetRecord::Bytes b{};
    std::memcpy(b.data(), assetBytes.data() + static_cast<std::size_t>(r - 1) * kAssetRecordLength, b.size());
    return AssetRecord::decode(b);
}

IndexBytes entryAt(const std::vector<unsigned char>& indexBytes, std::int64_t i) {
    IndexBytes e{};
    std::memcpy(e.data(), indexBytes.data() + static_cast<std::size_t>(i - 1) * kIndexEntryLength, e.size());
    return e;
}

void note(IndexCheck& check, IndexProblem problem) {
    if (check.problems.size() < kShownProblems) check.problems.push_back(std::move(problem));
    ++check.problemCount;
}

std::string shown(const std::string& number) {
    std::string s = trimRight(comparable(number));
    return s.empty() ? std::string("(blank)") : s;
}

std::string describeOne(const IndexProblem& p) {
    const std::string entry = "entry " + std::to_string(p.entry);
    const std::string record = "record " + std::to_string(p.record);
    switch (p.kind) {
        case IndexProblem::Kind::PartialEntry: return "depr.idx ends in part of an entry";
        case IndexProblem::Kind::OutOfRange:
            return entry + " (" + shown(p.assetNumber) + ") points to " + record + ", which depr.fil does not hold";
        case IndexProblem::Kind::WrongRecord:
            return entry + " names " + shown(p.assetNumber) + " but its " + record + " holds another asset";
        case IndexProblem::Kind::SharedRecord:
            return entry + " (" + shown(p.assetNumber) + ") points to " + record + ", as an earlier entry does";
        case IndexProblem::Kind::MissingEntry: return "asset " + shown(p.assetNumber) + " in " + record + " has no entry";
        case IndexProblem::Kind::TooManyEntries: return "depr.idx holds more entries than the register can address";
    }
    return {};
}

}  // namespace

bool isLiveRecord(const AssetRecord& rec) {
    return trimRight(comparable(rec.AssetNumber)) != "" &&
           rec.Description.compare(0, kDeletedMark.size(), kDeletedMark) != 0;
}

std::string IndexCheck::describe() const {
    std::string text;
    for (const IndexProblem& p : problems) text += (text.empty() ? "" : "\r\n") + describeOne(p);
    if (problemCount > static_cast<std::int64_t>(problems.size()))
        text += "\r\nand " + std::to_string(problemCount - static_cast<std::int64_t>(problems.size())) + " more.";
    return text;
}

IndexCheck checkIndex(const std::vector<unsigned char>& indexBytes, const std::vector<unsigned char>& assetBytes) {
    IndexCheck check;
    const auto records = static_cast<std::int64_t>(assetBytes.size() / kAssetRecordLength);
    const auto entries = static_cast<std::int64_t>(indexBytes.size() / kIndexEntryLength);
    if (indexBytes.size() % kIndexEntryLength != 0) note(check, {IndexProblem::Kind::PartialEntry, entries + 1, 0, {}});
    if (entries > kMaxRecords) note(check, {IndexProblem::Kind::TooManyEntries, entries, 0, {}});
    std::vector<std::int64_t> owner(static_cast<std::size_t>(records) + 1, 0);
    for (std::int64_t i = 1; i <= entries; ++i) {
        const IndexBytes e = entryAt(indexBytes, i);
        const std::int64_t r = indexRecordNumber(e);
        const std::string key = indexKey(e);
        if (r == 0) continue;  // an empty entry: readers skip it
        if (r < 0 || r > records) {
            note(check, {IndexProblem::Kind::OutOfRange, i, r, key});
            continue;
        }
        if (owner[static_cast<std::size_t>(r)] != 0) {
            note(check, {IndexProblem::Kind::SharedRecord, i, r, key});
            continue;
        }
        owner[static_cast<std::size_t>(r)] = i;
        if (comparable(recordAt(assetBytes, r).AssetNumber) != comparable(key))
            note(check, {IndexProblem::Kind::WrongRecord, i, r, key});
    }
    for (std::int64_t r = 1; r <= records; ++r) {
        if (owner[static_cast<std::size_t>(r)] != 0) continue;
        const AssetRecord rec = recordAt(assetBytes, r);
        if (isLiveRecord(rec)) note(check, {IndexProblem::Kind::MissingEntry, 0, r, rec.AssetNumber});
    }
    return check;
}

std::vector<IndexBytes> rebuildIndex(const std::vector<unsigned char>& assetBytes) {
    const auto records = static_cast<std::int64_t>(assetBytes.size() / kAssetRecordLength);
    std::vector<IndexBytes> index;
    for (std::int64_t r = 1; r <= std::min<std::int64_t>(records, kMaxRecords); ++r) {
        const std::string number = comparable(recordAt(assetBytes, r).AssetNumber);
        if (trimRight(number).empty()) continue;  // an empty slot
        index.push_back(makeIndexBytes(number, static_cast<std::int16_t>(r)));
    }
    std::sort(index.begin(), index.end());
    return index;
}

}  // namespace dp
