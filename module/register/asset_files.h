// The asset file set of the client's data directory and the operations every procedure shares
// on it: open, load the index, find an asset, write a record. These report no errors: a step
// that fails has no effect and the operation goes on.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/files.h"
#include "register/records.h"

namespace dp {

// The path of a data file: the client code as given, "/", the file name, found whatever its
// letter case.
std::string dataPath(const std::string& clientCode, const std::string& fileName);

using IndexBytes = std::array<unsigned char, kIndexEntryLength>;

struct RegisterState {
    AssetRecord WorkingRecord;
    // Element 0 is not used; elements 1..n hold the index entries in file order.
    std::vector<IndexBytes> AssetIndex = std::vector<IndexBytes>(1);
    int ChangeFlag = 0;             // 0 nothing, 1 a record was marked deleted, 2 a record was added
    std::int16_t entryCount = 0;

    // Company values read by OpenAssetFiles.
    CompanyRecord company;
    std::string companyName;        // CompanyName as stored
    std::string fiscalYearEndText;  // MMDDYYYY

    // Shared texts of the maintenance dialog.
    std::string EditMode;           // "", "ADD", "CHG", "DEL"
    std::string assetNumberText;
    std::string dateAcquiredText;
    std::string dateSoldText;
    std::int32_t pickMarker = 0;

    // The open files.
    platform::RecordFile idx;       // depr.idx
    platform::RecordFile fil;       // depr.fil
    platform::RecordFile companyFile;
};

RegisterState& reg();
// Back to the state of a freshly loaded module (files closed, everything empty).
void resetRegisterState();

// Index helpers on the 8 stored bytes.
std::string indexKey(const IndexBytes& e);          // first 6 characters
std::int16_t indexRecordNumber(const IndexBytes& e);
IndexBytes makeIndexBytes(std::string_view assetNumber, std::int16_t recordNumber);
// The look-up key of a typed asset number: padded with blanks, cut to 6, upper-cased.
std::string assetKey(std::string_view assetNumber);

// Reads company.fil into rec; returns the number of whole records read (0 when missing).
// Missing records read as blanks and zeros.
int readCompanyFile(const std::string& clientCode, CompanyRecord& rec);

// Reads record r of the open depr.fil into rec. False (rec untouched) when r is not a record
// number of the file: 0, negative or past the end.
bool readAssetRecord(platform::RecordFile& fil, std::int64_t r, AssetRecord& rec);
bool writeAssetRecord(platform::RecordFile& fil, std::int64_t r, const AssetRecord& rec);

void OpenAssetFiles();
void LoadAssetIndex();
std::int16_t FindAsset(const std::string& assetNumber);
void WriteAssetRecord(const std::string& mode);
void CloseAllFiles();

}  // namespace dp
