#include "register/reorganise.h"

#include <algorithm>

#include "entry/session.h"
#include "platform/files.h"
#include "platform/message.h"

namespace dp {
namespace {

const char* const kTitle = "Asset File Reorganisation";

void tell(const std::string& text) { platform::messageBox(text, kTitle, platform::MsgIcon::Error); }

std::string fileOf(const std::string& name) { return dataPath(session().clientCode, name); }

void removeWorkFiles() {
    platform::removeFile(fileOf("temp.fil"));
    platform::removeFile(fileOf("temp.idx"));
}

enum class Placed { Done, Unchanged, Pending };

// Puts the finished work files in place by renaming. When the renames were interrupted after
// the replacement was committed, it is completed now if possible, else at the next opening of
// the asset files; when it never started, the old files stand and the work files go.
Placed putInPlace(const std::vector<std::pair<std::string, std::string>>& renames) {
    const std::string& client = session().clientCode;
    if (platform::replaceFilesTogether(client, renames)) return Placed::Done;
    platform::finishPendingReplacement(client);
    if (platform::fileExists(fileOf(platform::kReplaceJournalName))) return Placed::Pending;
    bool started = true;
    for (const auto& [from, to] : renames) {
        (void)to;
        if (platform::fileExists(fileOf(from))) started = false;
    }
    if (started) return Placed::Done;  // finished on the second try
    for (const auto& [from, to] : renames) {
        (void)to;
        platform::removeFile(fileOf(from));
    }
    return Placed::Unchanged;
}

bool isDroppedOnPack(const AssetRecord& rec) {
    return rec.AssetNumber == std::string(6, ' ') || rec.Description.compare(0, kDeletedMark.size(), kDeletedMark) == 0;
}

bool pack(std::size_t n) {
    RegisterState& s = reg();
    std::vector<IndexBytes> packed;
    bool ok;
    {
        platform::RecordFile tIdx, tFil;
        ok = tIdx.open(fileOf("temp.idx"), kIndexEntryLength, true) &&
             tFil.open(fileOf("temp.fil"), kAssetRecordLength, true);
        std::int16_t k = 0;
        packed.assign(1, IndexBytes{});
        for (std::size_t i = 1; ok && i <= n; ++i) {
            // An entry without a record has nothing to carry over; the record read before it
            // must not be written again under this entry's number.
            const std::int64_t r = indexRecordNumber(s.AssetIndex[i]);
            if (r < 1 || r > s.fil.recordCount()) continue;
            if (!readAssetRecord(s.fil, r, s.WorkingRecord)) {
                ok = false;
                break;
            }
            if (isDroppedOnPack(s.WorkingRecord)) continue;
            ++k;
            const IndexBytes entry = makeIndexBytes(indexKey(s.AssetIndex[i]), k);
            ok = tIdx.write(k, entry.data()) && writeAssetRecord(tFil, k, s.WorkingRecord);
            packed.push_back(entry);
        }
        ok = ok && tIdx.flush() && tFil.flush();
    }
    CloseAllFiles();
    if (!ok) {
        removeWorkFiles();
        tell("The packed asset file could not be written. depr.fil and depr.idx are unchanged; "
             "deleted records stay in them until the next reorganisation.");
        return false;
    }

    // The copies of the files before packing are complete on disk before anything is replaced.
    if (!platform::copyFile(fileOf("DEPR.IDX"), fileOf("ODEPR.IDX")) ||
        !platform::copyFile(fileOf("DEPR.FIL"), fileOf("ODEPR.FIL")) || !platform::syncDirectory(session().clientCode)) {
        removeWorkFiles();
        tell("ODEPR.FIL and ODEPR.IDX could not be written, so the asset file was not packed. "
             "depr.fil and depr.idx are unchanged.");
        return false;
    }

    switch (putInPlace({{"temp.fil", "DEPR.FIL"}, {"temp.idx", "DEPR.IDX"}})) {
        case Placed::Done:
            // The index held in memory now describes the packed files.
            s.AssetIndex = std::move(packed);
            s.entryCount = static_cast<std::int16_t>(s.AssetIndex.size() - 1);
            return true;
        case Placed::Unchanged:
            tell("The packed asset file could not be put in place. depr.fil and depr.idx are unchanged.");
            return false;
        case Placed::Pending:
            tell("The packed asset file could not be put in place completely. It will be completed the "
                 "next time the asset files are opened.");
            return false;
    }
    return false;
}

// The index on disk in sorted order; entries on disk beyond the in-memory ones keep their place.
bool writeSortedIndex(std::size_t n, std::size_t onDisk) {
    RegisterState& s = reg();
    bool ok;
    {
        platform::RecordFile tIdx;
        ok = tIdx.open(fileOf("temp.idx"), kIndexEntryLength, true);
        for (std::size_t i = 1; ok && i <= onDisk; ++i) {
            IndexBytes e = i <= n ? s.AssetIndex[i] : IndexBytes{};
            if (i > n && !s.idx.read(static_cast<std::int64_t>(i), e.data())) ok = false;
            ok = ok && tIdx.write(static_cast<std::int64_t>(i), e.data());
        }
        ok = ok && tIdx.flush();
    }
    CloseAllFiles();
    if (ok && putInPlace({{"temp.idx", "DEPR.IDX"}}) != Placed::Unchanged) return true;
    if (!ok) platform::removeFile(fileOf("temp.idx"));
    tell("The sorted index could not be put in place. depr.idx keeps its previous order.");
    return false;
}

}  // namespace

void sortIndexEntries(std::vector<IndexBytes>& index, std::size_t n) {
    n = std::min(n, index.empty() ? 0 : index.size() - 1);
    // std::array compares its unsigned bytes in order: asset number first, then the record
    // number's bytes.
    std::sort(index.begin() + 1, index.begin() + 1 + static_cast<std::ptrdiff_t>(n));
}

bool ReorganiseAssetFiles() {
    RegisterState& s = reg();
    OpenAssetFiles();
    // The entries added or loaded last; never more than the index file holds, so that unused
    // elements of a larger array are not sorted in among the real ones.
    const std::size_t onDisk = static_cast<std::size_t>(std::max<std::int64_t>(s.idx.recordCount(), 0));
    const std::size_t n = std::min(s.AssetIndex.size() - 1, onDisk);
    sortIndexEntries(s.AssetIndex, n);
    if (s.ChangeFlag > 0 && (!s.idx.isOpen() || !s.fil.isOpen())) {
        // Files that cannot be read must not be replaced by what little could be read of them.
        CloseAllFiles();
        tell("The asset files could not be opened, so they were not reorganised.");
        return false;
    }
    bool ok = true;
    if (s.ChangeFlag == 1) ok = pack(n);
    else if (s.ChangeFlag == 2) ok = writeSortedIndex(n, onDisk);
    CloseAllFiles();
    // The flag stays: every later closing of the maintenance dialog tidies again.
    return ok;
}

}  // namespace dp
