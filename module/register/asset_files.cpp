#include "register/asset_files.h"

#include <algorithm>

#include "platform/message.h"
#include "register/unfinished_work.h"

namespace dp {
namespace {

const char* const kSaveTitle = "Save Asset Record";

void tellNotSaved(const std::string& assetNumber, const std::string& why) {
    platform::messageBox("Asset " + trimRight(assetNumber) + " was not saved: " + why + ".", kSaveTitle,
                         platform::MsgIcon::Error);
}

std::string lastReason() { return platform::describeFileError(platform::lastFileError()); }

// The first index element whose asset number is the key; 0 when there is none.
std::size_t findElement(const Client& client, const std::string& key) {
    const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(std::max<int>(client.entryCount, 0)),
                                                client.AssetIndex.size() - 1);
    for (std::size_t i = 1; i <= n; ++i)
        if (indexKey(client.AssetIndex[i]) == key) return i;
    return 0;
}

// The record an existing asset is written to; 0 after telling the user why there is none.
std::int64_t recordOfAsset(Client& client, const std::string& key) {
    const std::size_t i = findElement(client, key);
    if (i == 0) {
        tellNotSaved(key, "it is no longer in the index depr.idx");
        return 0;
    }
    const std::int64_t r = indexRecordNumber(client.AssetIndex[i]);
    if (r < 1 || r > client.fil.recordCount()) {
        tellNotSaved(key, "its index entry points to record " + std::to_string(r) + ", which depr.fil does not hold");
        return 0;
    }
    return r;
}

// An addition: the record goes in first, its index entry after it, so that an entry never points
// at a record that is not there. When the entry cannot be written the record is taken back.
WriteOutcome addRecord(Client& client, MaintenanceState& state, const std::string& key) {
    const std::int64_t r = client.fil.recordCount() + 1;
    const std::int64_t n = client.idx.recordCount() + 1;
    if (r > kMaxRecords || n > kMaxRecords) {
        platform::messageBox("The asset file is full: it holds " + std::to_string(kMaxRecords) +
                                 " records. Close the period or delete assets to make room.",
                             "Add Asset Record", platform::MsgIcon::Error);
        return WriteOutcome::Failed;
    }
    state.WorkingRecord.AssetNumber = fixedText(upperCase(state.assetNumberText), 6);
    const IndexBytes entry = makeIndexBytes(key, static_cast<std::int16_t>(r));
    // The marker says what is being added until its entry is on disk: a program stopped in
    // between has the record taken back at the next opening instead of offered for a rebuild.
    if (!writeAddMarker(client.code(), n, entry)) {
        const std::string why = lastReason();
        removeAddMarker(client.code());
        tellNotSaved(key, why);
        return WriteOutcome::Failed;
    }
    if (!putAssetRecord(client.fil, r, state.WorkingRecord) || !client.fil.flush()) {
        const std::string why = lastReason();
        if (client.fil.truncateRecords(r - 1)) removeAddMarker(client.code());
        tellNotSaved(key, why);
        return WriteOutcome::Failed;
    }
    if (!client.idx.write(n, entry.data()) || !client.idx.flush()) {
        const std::string why = lastReason();
        const bool entryGone = client.idx.sizeBytes() <= (n - 1) * static_cast<std::int64_t>(kIndexEntryLength) ||
                               client.idx.truncateRecords(n - 1);
        if (client.fil.truncateRecords(r - 1) && entryGone) removeAddMarker(client.code());
        tellNotSaved(key, why);
        return WriteOutcome::Failed;
    }
    removeAddMarker(client.code());
    if (client.AssetIndex.size() < static_cast<std::size_t>(n) + 1) client.AssetIndex.resize(static_cast<std::size_t>(n) + 1);
    client.AssetIndex[static_cast<std::size_t>(n)] = entry;
    client.entryCount = static_cast<std::int16_t>(n);
    state.changeFlag = ChangeFlag::Added;
    return WriteOutcome::Written;
}

// Rewrites record r and flushes it; when that fails the record is put back as it was read, so
// that a failure reported is a change not made. False with the reason in why.
bool rewriteRecord(Client& client, std::int64_t r, const AssetRecord& rec, std::string& why) {
    AssetRecord::Bytes before{};
    if (!client.fil.read(r, before.data())) {
        why = lastReason();
        return false;
    }
    if (putAssetRecord(client.fil, r, rec) && client.fil.flush()) return true;
    why = lastReason();
    client.fil.write(r, before.data());
    return false;
}

WriteOutcome changeRecord(Client& client, MaintenanceState& state, const std::string& key) {
    const std::int64_t r = recordOfAsset(client, key);
    if (r == 0) return WriteOutcome::Failed;
    std::string why;
    if (!rewriteRecord(client, r, state.WorkingRecord, why)) {
        tellNotSaved(key, why);
        return WriteOutcome::Failed;
    }
    return WriteOutcome::Written;
}

// The question defaults to No: a stray Enter deletes nothing. The record is marked as it is
// stored; what was typed into the edit that the deletion closes is not saved with it.
WriteOutcome markDeleted(Client& client, MaintenanceState& state, const std::string& key) {
    if (platform::messageBox("Are you Sure ?", "Delete Asset Record", platform::MsgIcon::Question,
                             platform::MsgButtons::YesNo, true, platform::MsgDefault::Second) != platform::MsgResult::Yes)
        return WriteOutcome::Unchanged;
    const std::int64_t r = recordOfAsset(client, key);
    if (r == 0) return WriteOutcome::Failed;
    AssetRecord marked;
    std::string why;
    if (!readAssetRecord(client.fil, r, marked)) {
        platform::messageBox("Asset " + trimRight(key) + " was not deleted: " + lastReason() + ".",
                             "Delete Asset Record", platform::MsgIcon::Error);
        return WriteOutcome::Failed;
    }
    marked.Description = fixedText(kDeletedMark, 35);
    if (!rewriteRecord(client, r, marked, why)) {
        platform::messageBox("Asset " + trimRight(key) + " was not deleted: " + why + ".",
                             "Delete Asset Record", platform::MsgIcon::Error);
        return WriteOutcome::Failed;
    }
    state.WorkingRecord = marked;
    state.changeFlag = ChangeFlag::Deleted;
    return WriteOutcome::Written;
}

}  // namespace

std::string dataPath(const std::string& clientCode, const std::string& fileName) {
    return platform::resolvePath(clientCode, fileName);
}

MaintenanceState& maintenanceState() {
    static MaintenanceState state;
    return state;
}

int readCompanyFile(const std::string& clientCode, CompanyRecord& rec) {
    rec = CompanyRecord{};
    platform::RecordFile f;
    if (!f.openExisting(dataPath(clientCode, "company.fil"), kCompanyRecordLength, kCompanyFileBytes)) return 0;
    int n = 0;
    for (int i = 1; i <= 3; ++i) {
        if (f.recordCount() < i) break;  // a short file: what is missing stays blank
        CompanyRecord::Bytes b{};
        if (!f.read(i, b.data())) break;
        rec.decodeRecord(i, b);
        n = i;
    }
    return n;
}

bool readAssetRecord(const platform::RecordFile& fil, std::int64_t r, AssetRecord& rec) {
    // An index entry pointing nowhere must never hand back the previous record.
    if (r < 1 || r > fil.recordCount()) return false;
    AssetRecord::Bytes b{};
    if (!fil.read(r, b.data())) return false;
    rec = AssetRecord::decode(b);
    return true;
}

bool putAssetRecord(platform::RecordFile& fil, std::int64_t r, const AssetRecord& rec) {
    if (r < 1 || r > kMaxRecords) return false;
    const AssetRecord::Bytes b = rec.encode();
    return fil.write(r, b.data());
}

bool OpenAssetFiles(Client& client) {
    client.closeFiles();
    const bool opened = client.idx.open(client.path("depr.idx"), kIndexEntryLength, false, kMaxIndexFileBytes) &&
                        client.fil.open(client.path("depr.fil"), kAssetRecordLength, false, kMaxAssetFileBytes) &&
                        client.companyFile.open(client.path("company.fil"), kCompanyRecordLength, false, kCompanyFileBytes);
    std::int64_t n = client.idx.recordCount();
    if (n > kMaxRecords) n = kMaxRecords;
    client.entryCount = static_cast<std::int16_t>(n);
    for (int i = 1; i <= 2 && client.companyFile.isOpen(); ++i) {
        CompanyRecord::Bytes b{};
        if (client.companyFile.read(i, b.data())) client.company.decodeRecord(i, b);
    }
    client.companyName = client.company.CompanyName;
    client.fiscalYearEndText = date6cToText(client.company.FiscalYearEnd);
    return opened;
}

bool LoadAssetIndex(Client& client) {
    if (!OpenAssetFiles(client)) return false;
    const int n = client.entryCount;
    if (n <= 0) return true;  // an empty file leaves the array as it was
    std::vector<IndexBytes> index(static_cast<std::size_t>(n) + 1, IndexBytes{});
    if (!client.idx.readRecords(1, n, index.data() + 1)) return false;
    client.AssetIndex = std::move(index);
    return true;
}

std::int16_t FindAsset(Client& client, const std::string& assetNumber) {
    LoadAssetIndex(client);
    const std::size_t i = findElement(client, assetKey(assetNumber));
    return i == 0 ? 0 : indexRecordNumber(client.AssetIndex[i]);
}

WriteOutcome WriteAssetRecord(Client& client, MaintenanceState& state, EditMode mode) {
    if (mode == EditMode::None) return WriteOutcome::Unchanged;
    if (!OpenAssetFiles(client)) {
        tellNotSaved(state.assetNumberText, "the asset files cannot be opened: " + lastReason());
        return WriteOutcome::Failed;
    }
    date6FromText(state.WorkingRecord.DateAcquired, state.dateAcquiredText, false);
    date6FromText(state.WorkingRecord.DateSold, state.dateSoldText, true);
    const std::string key = assetKey(state.assetNumberText);
    switch (mode) {
        case EditMode::Add: return addRecord(client, state, key);
        case EditMode::Change: return changeRecord(client, state, key);
        case EditMode::Delete: return markDeleted(client, state, key);
        case EditMode::None: break;
    }
    return WriteOutcome::Unchanged;
}

}  // namespace dp
