#include "register/asset_files.h"

#include <cstring>

#include "entry/session.h"
#include "platform/message.h"

namespace dp {

std::string dataPath(const std::string& clientCode, const std::string& fileName) {
    return platform::resolvePath(clientCode, fileName);
}

RegisterState& reg() {
    static RegisterState state;
    return state;
}

void resetRegisterState() {
    RegisterState& s = reg();
    s.idx.close();
    s.fil.close();
    s.companyFile.close();
    s.WorkingRecord = AssetRecord{};
    s.AssetIndex.assign(1, IndexBytes{});
    s.ChangeFlag = 0;
    s.entryCount = 0;
    s.company = CompanyRecord{};
    s.companyName.clear();
    s.fiscalYearEndText.clear();
    s.EditMode.clear();
    s.assetNumberText.clear();
    s.dateAcquiredText.clear();
    s.dateSoldText.clear();
    s.pickMarker = 0;
}

std::string indexKey(const IndexBytes& e) { return std::string(reinterpret_cast<const char*>(e.data()), 6); }

std::int16_t indexRecordNumber(const IndexBytes& e) { return getInt16(e.data() + 6); }

IndexBytes makeIndexBytes(std::string_view assetNumber, std::int16_t recordNumber) {
    IndexEntry e;
    e.AssetNumber = fixedText(assetNumber, 6);
    e.RecordNumber = recordNumber;
    return e.encode();
}

std::string assetKey(std::string_view assetNumber) {
    return upperCase(fixedText(std::string(assetNumber) + "      ", 6));
}

int readCompanyFile(const std::string& clientCode, CompanyRecord& rec) {
    rec = CompanyRecord{};
    // A close interrupted while putting the new year in place is finished first.
    if (!clientCode.empty()) platform::finishPendingReplacement(clientCode);
    platform::RecordFile f;
    if (!f.openExisting(dataPath(clientCode, "company.fil"), kCompanyRecordLength)) return 0;
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

bool readAssetRecord(platform::RecordFile& fil, std::int64_t r, AssetRecord& rec) {
    // An index entry pointing nowhere must never hand back the previous record.
    if (r < 1 || r > fil.recordCount()) return false;
    AssetRecord::Bytes b{};
    if (!fil.read(r, b.data())) return false;
    rec = AssetRecord::decode(b);
    return true;
}

bool writeAssetRecord(platform::RecordFile& fil, std::int64_t r, const AssetRecord& rec) {
    if (r < 1 || r > kMaxRecords) return false;
    const AssetRecord::Bytes b = rec.encode();
    return fil.write(r, b.data());
}

void CloseAllFiles() { platform::closeAllFiles(); }

void OpenAssetFiles() {
    RegisterState& s = reg();
    const std::string& client = session().clientCode;
    s.idx.close();
    s.fil.close();
    s.companyFile.close();
    platform::finishPendingReplacement(client);
    s.idx.open(dataPath(client, "depr.idx"), kIndexEntryLength);
    s.fil.open(dataPath(client, "depr.fil"), kAssetRecordLength);
    {
        platform::RecordFile newIdx, newFil;
        newIdx.open(dataPath(client, "NEW.IDX"), kIndexEntryLength);
        newFil.open(dataPath(client, "NEW.FIL"), kAssetRecordLength);
    }
    std::int64_t n = s.idx.recordCount();
    if (n > kMaxRecords) n = kMaxRecords;
    s.entryCount = static_cast<std::int16_t>(n);
    if (s.companyFile.open(dataPath(client, "company.fil"), kCompanyRecordLength)) {
        for (int i = 1; i <= 2; ++i) {
            CompanyRecord::Bytes b{};
            if (s.companyFile.read(i, b.data())) s.company.decodeRecord(i, b);
        }
    }
    s.companyName = s.company.CompanyName;
    s.fiscalYearEndText = date6cToText(s.company.FiscalYearEnd);
}

void LoadAssetIndex() {
    OpenAssetFiles();
    RegisterState& s = reg();
    const int n = s.entryCount;
    if (n <= 0) return;  // an empty file leaves the array as it was
    s.AssetIndex.assign(static_cast<std::size_t>(n) + 1, IndexBytes{});
    for (int i = 1; i <= n; ++i) {
        IndexBytes e{};
        if (s.idx.read(i, e.data())) s.AssetIndex[static_cast<std::size_t>(i)] = e;
    }
}

std::int16_t FindAsset(const std::string& assetNumber) {
    LoadAssetIndex();
    RegisterState& s = reg();
    const std::string key = assetKey(assetNumber);
    const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(std::max<int>(s.entryCount, 0)),
                                                s.AssetIndex.size() - 1);
    for (std::size_t i = 1; i <= n; ++i)
        if (indexKey(s.AssetIndex[i]) == key) return indexRecordNumber(s.AssetIndex[i]);
    return 0;
}

namespace {

// The first index element whose asset number is the key; 0 when there is none.
std::size_t findElement(const std::string& key, std::size_t n) {
    RegisterState& s = reg();
    n = std::min(n, s.AssetIndex.size() - 1);
    for (std::size_t i = 1; i <= n; ++i)
        if (indexKey(s.AssetIndex[i]) == key) return i;
    return 0;
}

}  // namespace

void WriteAssetRecord(const std::string& mode) {
    RegisterState& s = reg();
    OpenAssetFiles();
    date6FromText(s.WorkingRecord.DateAcquired, s.dateAcquiredText, false);
    date6FromText(s.WorkingRecord.DateSold, s.dateSoldText, true);
    const std::string key = assetKey(s.assetNumberText);
    std::int64_t n = s.idx.recordCount();

    if (mode == "ADD") {
        const std::int64_t r = s.fil.recordCount() + 1;
        if (r > kMaxRecords || n + 1 > kMaxRecords) {
            platform::messageBox("The asset file is full: it holds " + std::to_string(kMaxRecords) +
                                     " records. Close the period or delete assets to make room.",
                                 "Add Asset Record", platform::MsgIcon::Error);
            return;
        }
        n += 1;
        s.ChangeFlag = 2;
        const IndexBytes entry = makeIndexBytes(key, static_cast<std::int16_t>(r));
        if (s.AssetIndex.size() < static_cast<std::size_t>(n) + 1) s.AssetIndex.resize(static_cast<std::size_t>(n) + 1);
        s.AssetIndex[static_cast<std::size_t>(n)] = entry;
        s.WorkingRecord.AssetNumber = fixedText(upperCase(s.assetNumberText), 6);
        s.idx.write(n, entry.data());
        writeAssetRecord(s.fil, r, s.WorkingRecord);
    } else if (mode == "CHG") {
        const std::size_t i = findElement(key, static_cast<std::size_t>(n));
        if (i == 0) return;
        const std::int64_t r = indexRecordNumber(s.AssetIndex[i]);
        if (r < 1 || r > s.fil.recordCount()) return;  // never write into a record the index does not own
        writeAssetRecord(s.fil, r, s.WorkingRecord);
    } else if (mode == "DEL") {
        if (platform::messageBox("Are you Sure ?", "Delete Asset Record", platform::MsgIcon::Question,
                                 platform::MsgButtons::YesNo) != platform::MsgResult::Yes)
            return;
        const std::size_t i = findElement(key, static_cast<std::size_t>(n));
        if (i == 0) return;
        const std::int64_t r = indexRecordNumber(s.AssetIndex[i]);
        if (r < 1 || r > s.fil.recordCount()) return;
        s.WorkingRecord.Description = fixedText(kDeletedMark, 35);
        writeAssetRecord(s.fil, r, s.WorkingRecord);
        s.ChangeFlag = 1;
    }
}

}  // namespace dp
