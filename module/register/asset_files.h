// The operations every procedure shares on a client's asset file set: open the files, load the
// index, find an asset, write a record. They work on the client a procedure has open; each
// failure to read or write is reported, never passed over.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/files.h"
#include "register/client.h"
#include "register/records.h"

namespace dp {

// The path of a data file: the client code as given, "/", the file name, found whatever its
// letter case.
std::string dataPath(const std::string& clientCode, const std::string& fileName);

// What the maintenance dialog is doing with the working record.
enum class EditMode { None, Add, Change, Delete };

// What the last write that changed the register's shape was; it tells the tidy-up what to do
// when the maintenance dialog closes.
enum class ChangeFlag : int { None = 0, Deleted = 1, Added = 2 };

// pickMarker: which box reported last. The asset listing offers a choice only after the
// asset-number box.
inline constexpr std::int32_t kPickNone = 0;
inline constexpr std::int32_t kPickAfterExpense = 200;
inline constexpr std::int32_t kPickFromNumberBox = 201;

// What the maintenance dialog keeps between its events and from one showing to the next, for as
// long as the module is loaded: the record being edited, the shape of the last change and the
// texts typed.
struct MaintenanceState {
    AssetRecord WorkingRecord;
    ChangeFlag changeFlag = ChangeFlag::None;
    EditMode editMode = EditMode::None;
    std::string assetNumberText;
    std::string dateAcquiredText;
    std::string dateSoldText;
    std::int32_t pickMarker = kPickNone;
};

// The module's one maintenance state.
MaintenanceState& maintenanceState();

// Reads company.fil of the client into rec; returns the number of whole records read (0 when
// missing). Missing records read as blanks and zeros.
int readCompanyFile(const std::string& clientCode, CompanyRecord& rec);

// Record r of an open depr.fil. False (rec untouched) when r is not a record number of the file:
// 0, negative or past the end, or when the read fails.
bool readAssetRecord(const platform::RecordFile& fil, std::int64_t r, AssetRecord& rec);
// Writes rec as record r; false when r cannot be a record number or the write fails.
bool putAssetRecord(platform::RecordFile& fil, std::int64_t r, const AssetRecord& rec);

// Opens depr.idx and depr.fil (creating missing ones) and company.fil, and reads the company
// values. False when a file cannot be opened (platform::lastFileError says why).
bool OpenAssetFiles(Client& client);
// OpenAssetFiles, then the index entries into client.AssetIndex. False when a file cannot be
// opened or read.
bool LoadAssetIndex(Client& client);
// The record number of the asset (0 when not found). The first entry with the key wins.
std::int16_t FindAsset(Client& client, const std::string& assetNumber);

enum class WriteOutcome {
    Written,    // the register holds the record
    Unchanged,  // nothing to write: no record open, or a delete that was not confirmed
    Failed,     // nothing was written; the user has been told why
};
// Writes the working record of the maintenance dialog: an addition (record first, then its index
// entry), a change, or a deletion mark after the user confirms it.
WriteOutcome WriteAssetRecord(Client& client, MaintenanceState& state, EditMode mode);

}  // namespace dp
