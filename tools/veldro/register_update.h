// The register with new assets added, as the bytes of depr.fil and depr.idx: what an import
// writes beside the old files before it puts them in place together.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "register/records.h"

namespace veldro {

struct RegisterFiles {
    std::vector<unsigned char> index;   // depr.idx
    std::vector<unsigned char> assets;  // depr.fil
};

// The added records follow the last record of depr.fil, in their order; their index entries join
// the others and the whole index is put in asset number order, as the maintenance dialog leaves
// it after an addition. The existing records and entries are kept byte for byte.
RegisterFiles withAddedAssets(const std::vector<unsigned char>& indexBytes, const std::vector<unsigned char>& assetBytes,
                              const std::vector<dp::AssetRecord>& added);

// The asset numbers of the index (six characters, as the index holds them) and their entry
// numbers; the first entry of a number wins, as a look-up finds it.
std::map<std::string, int> indexKeys(const std::vector<unsigned char>& indexBytes);

}  // namespace veldro
