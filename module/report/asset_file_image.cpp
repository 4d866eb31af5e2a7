#include "report/asset_file_image.h"

#include <algorithm>
#include <cstring>

namespace dp {

bool AssetFileImage::load(const platform::RecordFile& fil, const platform::RecordFile& idx, int entries) {
    records_ = std::max<std::int64_t>(fil.recordCount(), 0);
    // A part of a record at the end is no record, but it stays in the file as it is.
    const auto whole = static_cast<std::size_t>(records_) * kAssetRecordLength;
    const auto tail = static_cast<std::size_t>(std::max<std::int64_t>(fil.sizeBytes(), 0)) - whole;
    bytes_.assign(whole + tail, 0);
    index_.assign(static_cast<std::size_t>(std::max(entries, 0)) * kIndexEntryLength, 0);
    AssetRecord::Bytes last{};
    bool ok = (records_ == 0 || fil.readRecords(1, records_, bytes_.data())) &&
              (entries <= 0 || idx.readRecords(1, entries, index_.data()));
    if (ok && tail > 0) {
        ok = fil.read(records_ + 1, last.data());
        std::memcpy(bytes_.data() + whole, last.data(), tail);
    }
    changed_ = false;
    return ok;
}

IndexBytes AssetFileImage::entry(int i) const {
    IndexBytes e{};
    std::memcpy(e.data(), index_.data() + static_cast<std::size_t>(i - 1) * kIndexEntryLength, e.size());
    return e;
}

bool AssetFileImage::read(std::int64_t r, AssetRecord& rec) const {
    if (r < 1 || r > records_) return false;
    AssetRecord::Bytes b{};
    std::memcpy(b.data(), at(r), b.size());
    rec = AssetRecord::decode(b);
    return true;
}

void AssetFileImage::store(std::int64_t r, const AssetRecord& rec) {
    if (r < 1 || r > records_) return;
    const AssetRecord::Bytes b = rec.encode();
    if (std::memcmp(at(r), b.data(), b.size()) == 0) return;
    std::memcpy(at(r), b.data(), b.size());
    changed_ = true;
}

bool AssetFileImage::changed() const { return changed_; }

}  // namespace dp
