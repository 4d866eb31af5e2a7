// Tidying the asset files when the maintenance dialog closes: the index is sorted by asset
// number and, after a deletion, the asset file and index are packed.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "register/asset_files.h"

namespace dp {

// Elements 1..n of the index in ascending byte order of the whole 8-byte entry.
void sortIndexEntries(std::vector<IndexBytes>& index, std::size_t n);

// Sorts the index and, when the last change was a deletion (ChangeFlag Deleted), packs depr.fil and
// depr.idx, keeping the files before packing as ODEPR.FIL and ODEPR.IDX. The new files are
// complete and on disk before they replace the old ones, so the client always has a matching
// asset file and index; a failure is shown to the user. True when everything was done.
bool ReorganiseAssetFiles(Client& client, MaintenanceState& state);

}  // namespace dp
