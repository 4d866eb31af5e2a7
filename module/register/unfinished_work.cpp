#include "register/unfinished_work.h"

#include <algorithm>
#include <cstring>

#include "client_files.h"
#include "format/text.h"
#include "platform/files.h"

namespace dp {
namespace {

constexpr std::size_t kAddMarkerBytes = 4 + kIndexEntryLength;

std::string notSavedText(const std::string& assetNumber) {
    const std::string shown = trimRight(controlsToBlanks(assetNumber));
    return "Asset " + (shown.empty() ? std::string("(blank)") : shown) +
           " was not saved: the program was stopped while it was being saved. Enter it again.";
}

// The addition a marker names: its index entry and the entry's number. False when the marker was
// cut off while it was written (then nothing else of the addition was).
bool readAddMarker(const std::string& marker, std::int64_t& n, IndexBytes& entry) {
    std::vector<unsigned char> bytes;
    if (!platform::readWholeFile(marker, bytes, 64) || bytes.size() != kAddMarkerBytes) return false;
    n = getInt32(bytes.data());
    std::memcpy(entry.data(), bytes.data() + 4, entry.size());
    return true;
}

// Whether the index holds the entry anywhere (a later sort may have moved it).
bool indexHolds(const platform::RecordFile& idx, const IndexBytes& entry) {
    std::vector<IndexBytes> all(static_cast<std::size_t>(std::max<std::int64_t>(idx.recordCount(), 0)));
    if (all.empty() || !idx.readRecords(1, static_cast<std::int64_t>(all.size()), all.data())) return false;
    return std::find(all.begin(), all.end(), entry) != all.end();
}

// Takes back the record (when it is the last of depr.fil) and a partial index entry of an
// addition that never got its entry. False when the files could not be cut back.
bool takeBack(platform::RecordFile& idx, platform::RecordFile& fil, std::int64_t n, const IndexBytes& entry) {
    const std::int64_t r = indexRecordNumber(entry), length = static_cast<std::int64_t>(kAssetRecordLength);
    AssetRecord::Bytes rec{};
    const bool recordIsOurs = fil.sizeBytes() > (r - 1) * length && fil.sizeBytes() <= r * length &&
                              fil.read(r, rec.data()) && std::memcmp(rec.data(), entry.data(), 6) == 0;
    bool ok = !recordIsOurs || (fil.truncateRecords(r - 1) && fil.flush());
    const std::int64_t entryStart = (n - 1) * static_cast<std::int64_t>(kIndexEntryLength);
    if (idx.sizeBytes() > entryStart && idx.sizeBytes() < entryStart + static_cast<std::int64_t>(kIndexEntryLength))
        ok = idx.truncateRecords(n - 1) && idx.flush() && ok;
    return ok;
}

// An addition whose marker is still there: complete when the index holds its entry, else taken
// back. The text for the user when one was taken back; empty otherwise.
std::string takeBackCutOffAdd(const std::string& dir) {
    const std::string marker = platform::resolvePath(dir, kAddMarkerName);
    if (!platform::fileExists(marker)) return {};
    std::int64_t n = 0;
    IndexBytes entry{};
    if (!readAddMarker(marker, n, entry)) {
        platform::removeFile(marker);
        return {};
    }
    platform::RecordFile idx, fil;
    if (!idx.open(platform::resolvePath(dir, "depr.idx"), kIndexEntryLength, false, kMaxIndexFileBytes) ||
        !fil.open(platform::resolvePath(dir, "depr.fil"), kAssetRecordLength, false, kMaxAssetFileBytes))
        return {};  // the checks that follow tell what is wrong
    if (indexHolds(idx, entry)) {
        platform::removeFile(marker);
        return {};
    }
    if (!takeBack(idx, fil, n, entry)) return {};  // the marker stays: taken back at the next opening
    platform::removeFile(marker);
    return notSavedText(indexKey(entry));
}

std::string refusedJournalText(const std::string& dir, const platform::PendingReplacement& pending) {
    const std::string where = platform::resolvePath(dir, platform::kReplaceJournalName);
    if (pending.state == platform::PendingReplacement::State::Refused)
        return "The replacement journal " + where + " cannot be carried out: " + pending.problem +
               ".\r\nNothing was moved. Have it looked at and removed; until then the client's files stay as they are.";
    return "A replacement of the client's files left unfinished (" + where + ") cannot be completed now: " +
           platform::describeFileError(platform::lastFileError()) + ".\r\nNothing else was done; try again.";
}

}  // namespace

bool isPlacedFileName(const std::string& name) { return clientfiles::isPlacedName(name); }

bool isWorkFileName(const std::string& name) { return clientfiles::isWorkName(name); }

bool isJournalName(const std::string& name) { return isPlacedFileName(name) || isWorkFileName(name); }

Placed placeTogether(const std::string& dir, const std::vector<std::pair<std::string, std::string>>& renames,
                     std::string& why) {
    if (platform::replaceFilesTogether(dir, renames, isJournalName)) return Placed::Done;
    why = platform::describeFileError(platform::lastFileError());
    // Once the journal is in place the replacement is as good as done: finish it now if possible.
    platform::finishPendingReplacement(dir, isJournalName);
    if (platform::fileExists(platform::resolvePath(dir, platform::kReplaceJournalName))) return Placed::Pending;
    bool started = true;
    for (const auto& rename : renames)
        if (platform::fileExists(platform::resolvePath(dir, rename.first))) started = false;
    if (started) return Placed::Done;  // finished on the second try
    for (const auto& rename : renames) platform::removeFile(platform::resolvePath(dir, rename.first));
    return Placed::Unchanged;
}

bool writeAddMarker(const std::string& dir, std::int64_t entryNumber, const IndexBytes& entry) {
    unsigned char bytes[kAddMarkerBytes];
    putInt32(bytes, static_cast<std::int32_t>(entryNumber));
    std::memcpy(bytes + 4, entry.data(), entry.size());
    platform::RecordFile f;
    return f.open(platform::resolvePath(dir, kAddMarkerName), kAddMarkerBytes, true) && f.write(1, bytes) &&
           f.finish() && platform::syncDirectory(dir);
}

void removeAddMarker(const std::string& dir) {
    const std::string path = platform::resolvePath(dir, kAddMarkerName);
    if (platform::fileExists(path)) platform::removeFile(path);
}

Recovery recoverUnfinishedWork(const std::string& dir) {
    Recovery out;
    const platform::PendingReplacement pending = platform::finishPendingReplacement(dir, isJournalName);
    using State = platform::PendingReplacement::State;
    if (pending.state == State::Refused || pending.state == State::Unfinished) {
        out.refused = true;
        out.message = refusedJournalText(dir, pending);
        return out;
    }
    for (const std::string& name : platform::listDirectory(dir)) {
        if (!isWorkFileName(name)) continue;
        if (platform::removeFile(dir + "/" + name)) out.removed.push_back(name);
    }
    out.message = takeBackCutOffAdd(dir);
    return out;
}

}  // namespace dp
