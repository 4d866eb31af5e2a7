#include "register/reorganise.h"

#include <algorithm>

#include "platform/files.h"
#include "platform/message.h"
#include "register/index_repair.h"
#include "register/unfinished_work.h"

namespace dp {
namespace {

const char* const kTitle = "Asset File Reorganisation";

void tell(const std::string& text) { platform::messageBox(text, kTitle, platform::MsgIcon::Error); }

std::string reason() { return platform::describeFileError(platform::lastFileError()); }

void removeWorkFiles(const Client& client) {
    for (const char* name : {"temp.fil", "temp.idx", "ODEPR.IDX.new", "ODEPR.FIL.new"})
        if (platform::fileExists(client.path(name))) platform::removeFile(client.path(name));
}

// The packed register: surviving records renumbered from 1, written to the work files.
bool writePackedFiles(Client& client, MaintenanceState& state, std::size_t n, std::vector<IndexBytes>& packed) {
    platform::RecordFile tIdx, tFil;
    bool ok = tIdx.open(client.path("temp.idx"), kIndexEntryLength, true) &&
              tFil.open(client.path("temp.fil"), kAssetRecordLength, true);
    std::int16_t k = 0;
    packed.assign(1, IndexBytes{});
    for (std::size_t i = 1; ok && i <= n; ++i) {
        // An entry without a record has nothing to carry over; the record read before it
        // must not be written again under this entry's number.
        const std::int64_t r = indexRecordNumber(client.AssetIndex[i]);
        if (r < 1 || r > client.fil.recordCount()) continue;
        if (!readAssetRecord(client.fil, r, state.WorkingRecord)) {
            ok = false;
            break;
        }
        // Only what every reader skips as deleted goes; a blank asset number is still counted.
        if (state.WorkingRecord.markedDeleted()) continue;
        ++k;
        const IndexBytes entry = makeIndexBytes(indexKey(client.AssetIndex[i]), k);
        ok = tIdx.write(k, entry.data()) && putAssetRecord(tFil, k, state.WorkingRecord);
        packed.push_back(entry);
    }
    return ok && tIdx.finish() && tFil.finish();
}

bool pack(Client& client, MaintenanceState& state, std::size_t n) {
    std::vector<IndexBytes> packed;
    const bool ok = writePackedFiles(client, state, n, packed);
    const std::string why = reason();
    client.closeFiles();
    if (!ok) {
        removeWorkFiles(client);
        tell("The packed asset file could not be written: " + why +
             ".\r\ndepr.fil and depr.idx are unchanged; deleted records stay in them until the next reorganisation.");
        return false;
    }

    // The copies of the files before packing are made beside their places and take them in the
    // same step as the packed files, so a failure leaves the earlier copies as they were.
    const char* const kCopies[][2] = {{"DEPR.IDX", "ODEPR.IDX"}, {"DEPR.FIL", "ODEPR.FIL"}};
    for (const auto& [from, to] : kCopies) {
        if (platform::copyFile(client.path(from), client.path(to) + ".new")) continue;
        const std::string copyWhy = reason();
        removeWorkFiles(client);
        tell("ODEPR.FIL and ODEPR.IDX could not be written (" + copyWhy +
             "), so the asset file was not packed. depr.fil and depr.idx are unchanged.");
        return false;
    }

    std::string placeWhy;
    switch (placeTogether(client.code(),
                       {{"ODEPR.IDX.new", "ODEPR.IDX"}, {"ODEPR.FIL.new", "ODEPR.FIL"}, {"temp.fil", "DEPR.FIL"},
                        {"temp.idx", "DEPR.IDX"}},
                       placeWhy)) {
        case Placed::Done:
            // The index held in memory now describes the packed files.
            client.AssetIndex = std::move(packed);
            client.entryCount = static_cast<std::int16_t>(client.AssetIndex.size() - 1);
            return true;
        case Placed::Unchanged:
            tell("The packed asset file could not be put in place (" + placeWhy +
                 "). depr.fil and depr.idx are unchanged.");
            return false;
        case Placed::Pending:
            tell("The packed asset file could not be put in place completely. It will be completed the "
                 "next time the asset files are opened.");
            return false;
    }
    return false;
}

// The index on disk in sorted order; entries on disk beyond the in-memory ones keep their place.
bool writeSortedIndex(Client& client, std::size_t n, std::size_t onDisk) {
    bool ok;
    {
        platform::RecordFile tIdx;
        ok = tIdx.open(client.path("temp.idx"), kIndexEntryLength, true);
        for (std::size_t i = 1; ok && i <= onDisk; ++i) {
            IndexBytes e = i <= n ? client.AssetIndex[i] : IndexBytes{};
            if (i > n && !client.idx.read(static_cast<std::int64_t>(i), e.data())) ok = false;
            ok = ok && tIdx.write(static_cast<std::int64_t>(i), e.data());
        }
        ok = ok && tIdx.finish();
    }
    std::string why = reason();
    client.closeFiles();
    if (ok && placeTogether(client.code(), {{"temp.idx", "DEPR.IDX"}}, why) != Placed::Unchanged) return true;
    if (!ok) platform::removeFile(client.path("temp.idx"));
    tell("The sorted index could not be put in place (" + why +
         "). depr.idx keeps its previous order; every asset is in it.");
    return false;
}

}  // namespace

void sortIndexEntries(std::vector<IndexBytes>& index, std::size_t n) {
    n = std::min(n, index.empty() ? 0 : index.size() - 1);
    // std::array compares its unsigned bytes in order: asset number first, then the record
    // number's bytes.
    std::sort(index.begin() + 1, index.begin() + 1 + static_cast<std::ptrdiff_t>(n));
}

bool ReorganiseAssetFiles(Client& client, MaintenanceState& state) {
    if (state.changeFlag == ChangeFlag::Deleted) {
        // Packing rewrites every record through the index: a damaged one is refused first.
        const IndexVerdict verdict = verifyAssetIndex(client, kTitle, "the packing of the asset file");
        if (verdict != IndexVerdict::Trusted) return false;
    }
    if (!LoadAssetIndex(client) && state.changeFlag != ChangeFlag::None) {
        // Files that cannot be read must not be replaced by what little could be read of them.
        client.closeFiles();
        tell("The asset files could not be read (" + reason() + "), so they were not reorganised.");
        return false;
    }
    // The entries added or loaded last; never more than the index file holds, so that unused
    // elements of a larger array are not sorted in among the real ones.
    const std::size_t onDisk = static_cast<std::size_t>(std::max<std::int64_t>(client.idx.recordCount(), 0));
    const std::size_t n = std::min(client.AssetIndex.size() - 1, onDisk);
    sortIndexEntries(client.AssetIndex, n);
    bool ok = true;
    if (state.changeFlag == ChangeFlag::Deleted) ok = pack(client, state, n);
    else if (state.changeFlag == ChangeFlag::Added) ok = writeSortedIndex(client, n, onDisk);
    client.closeFiles();
    // The flag stays: every later closing of the maintenance dialog tidies again.
    return ok;
}

}  // namespace dp
