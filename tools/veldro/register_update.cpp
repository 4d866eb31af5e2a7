#include "register_update.h"

#include <algorithm>

#include "register/reorganise.h"

namespace veldro {

RegisterFiles withAddedAssets(const std::vector<unsigned char>& indexBytes, const std::vector<unsigned char>& assetBytes,
                              const std::vector<dp::AssetRecord>& added) {
    const std::size_t entries = indexBytes.size() / dp::kIndexEntryLength;
    const std::size_t records = assetBytes.size() / dp::kAssetRecordLength;
    std::vector<dp::IndexBytes> index(1 + entries + added.size());
    for (std::size_t i = 0; i < entries; ++i)
        std::copy_n(indexBytes.begin() + static_cast<std::ptrdiff_t>(i * dp::kIndexEntryLength), dp::kIndexEntryLength,
                    index[i + 1].begin());
    RegisterFiles out;
    out.assets.assign(assetBytes.begin(), assetBytes.begin() + static_cast<std::ptrdiff_t>(records * dp::kAssetRecordLength));
    out.assets.reserve(out.assets.size() + added.size() * dp::kAssetRecordLength);
    for (std::size_t k = 0; k < added.size(); ++k) {
        const dp::AssetRecord::Bytes b = added[k].encode();
        out.assets.insert(out.assets.end(), b.begin(), b.end());
        index[entries + k + 1] = dp::makeIndexBytes(added[k].AssetNumber, static_cast<std::int16_t>(records + k + 1));
    }
    dp::sortIndexEntries(index, index.size() - 1);
    out.index.reserve((index.size() - 1) * dp::kIndexEntryLength);
    for (std::size_t i = 1; i < index.size(); ++i) out.index.insert(out.index.end(), index[i].begin(), index[i].end());
    return out;
}

std::map<std::string, int> indexKeys(const std::vector<unsigned char>& indexBytes) {
    std::map<std::string, int> keys;
    const std::size_t entries = indexBytes.size() / dp::kIndexEntryLength;
    for (std::size_t i = 0; i < entries; ++i) {
        dp::IndexBytes e{};
        std::copy_n(indexBytes.begin() + static_cast<std::ptrdiff_t>(i * dp::kIndexEntryLength), dp::kIndexEntryLength, e.begin());
        if (dp::indexRecordNumber(e) == 0) continue;
        keys.emplace(dp::indexKey(e), static_cast<int>(i + 1));
    }
    return keys;
}

}  // namespace veldro
