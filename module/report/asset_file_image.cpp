#include "report/asset_file_image.h"

#include <cstring>

namespace dp {

bool AssetFileImage::load(const platform::RecordFile& fil, const platform::RecordFile& idx) {
    changed_ = false;
    records_ = 0;
    if (!fil.readAll(assets_, kMaxAssetFileBytes) || !idx.readAll(index_, kMaxIndexFileBytes)) return false;
    // A part of a record at the end is no record, but it stays in the file as it is.
    records_ = static_cast<std::int64_t>(assets_.size() / kAssetRecordLength);
    return true;
}

IndexBytes AssetFileImage::entry(int i) const {
    IndexBytes e;
    std::memcpy(e.data(), index_.data() + static_cast<std::size_t>(i - 1) * kIndexEntryLength, e.size());
    return e;
}

bool AssetFileImage::read(std::int64_t r, AssetRecord& rec) const {
    if (r < 1 || r > records_) return false;
    rec.decodeFrom(at(r));
    return true;
}

void AssetFileImage::store(std::int64_t r, const AssetRecord& rec) {
    if (r < 1 || r > records_) return;
    AssetRecord::Bytes b;
    rec.encodeTo(b.data());
    if (std::memcmp(at(r), b.data(), b.size()) == 0) return;
    std::memcpy(at(r), b.data(), b.size());
    changed_ = true;
}

}  // namespace dp
