#include "register/index_check.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>

namespace dp {
namespace {

constexpr std::size_t kShownProblems = 8;

// An asset number as compared: NULs read as blanks, upper case, six characters.
std::string comparable(std::string_view number) {
    std::string s(number);
    std::replace(s.begin(), s.end(), '\0', ' ');
    return assetKey(s);
}

// The two fields the check reads, straight from the record's bytes: the asset number (0-5) and
// the start of the description (6-40), where the deletion mark stands.
std::string_view numberAt(const std::vector<unsigned char>& assetBytes, std::int64_t r) {
    const char* p = reinterpret_cast<const char*>(assetBytes.data()) + static_cast<std::size_t>(r - 1) * kAssetRecordLength;
    return std::string_view(p, 6);
}

bool markedDeletedAt(const std::vector<unsigned char>& assetBytes, std::int64_t r) {
    const char* p = reinterpret_cast<const char*>(assetBytes.data()) + static_cast<std::size_t>(r - 1) * kAssetRecordLength;
    return isMarkedDeleted(std::string_view(p + 6, 35));
}

// One character of an asset number as compared: a NUL reads as a blank, letters as capitals.
char comparedChar(char c) {
    if (c == '\0') return ' ';
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

// Whether two stored asset numbers name the same asset (without building strings: the check
// runs over every record at every opening).
bool sameNumber(std::string_view a, std::string_view b) {
    for (std::size_t i = 0; i < 6; ++i)
        if (comparedChar(i < a.size() ? a[i] : ' ') != comparedChar(i < b.size() ? b[i] : ' ')) return false;
    return true;
}

bool blankNumber(std::string_view n) { return sameNumber(n, "      "); }

bool liveAt(const std::vector<unsigned char>& assetBytes, std::int64_t r) { return !markedDeletedAt(assetBytes, r); }

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
    std::string s = trimRight(controlsToBlanks(comparable(number)));
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

bool isLiveRecord(const AssetRecord& rec) { return !rec.markedDeleted(); }

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
        if (!sameNumber(numberAt(assetBytes, r), key))
            note(check, {IndexProblem::Kind::WrongRecord, i, r, key});
    }
    for (std::int64_t r = 1; r <= records; ++r) {
        if (owner[static_cast<std::size_t>(r)] != 0) continue;
        if (liveAt(assetBytes, r)) note(check, {IndexProblem::Kind::MissingEntry, 0, r, std::string(numberAt(assetBytes, r))});
    }
    return check;
}

RebuiltIndex rebuildIndex(const std::vector<unsigned char>& assetBytes) {
    const auto records = static_cast<std::int64_t>(assetBytes.size() / kAssetRecordLength);
    RebuiltIndex out;
    std::map<std::string, std::int64_t> firstWith;
    auto note = [&out](std::string text) {
        if (out.notes.size() < kShownProblems) out.notes.push_back(std::move(text));
        ++out.noteCount;
    };
    for (std::int64_t r = 1; r <= std::min<std::int64_t>(records, kMaxRecords); ++r) {
        if (!liveAt(assetBytes, r)) continue;
        const std::string_view stored = numberAt(assetBytes, r);
        const std::string number = comparable(stored);
        const std::string where = "record " + std::to_string(r);
        if (blankNumber(stored)) note(where + " has a blank asset number");
        else if (stored.find('\0') != std::string_view::npos) note(where + " (" + shown(number) + ") has NUL bytes in its asset number");
        if (const auto [it, first] = firstWith.emplace(number, r); !first && !blankNumber(stored))
            note(where + " has the same asset number as record " + std::to_string(it->second) + " (" + shown(number) + ")");
        out.entries.push_back(makeIndexBytes(number, static_cast<std::int16_t>(r)));
    }
    std::sort(out.entries.begin(), out.entries.end());
    return out;
}

}  // namespace dp
