#include "report/asset_file_image.h"

#include <algorithm>
#include <cstring>

namespace dp {

bool AssetFileImage::load(const platform::RecordFile& fil, const platform::RecordFile& idx, int entries) {
    records_ = std::max<std::int64_t>(fil.recordCount(), 0);
    bytes_.assign(static_cast<std::size_t>(records_) * kAssetRecordLength, 0);
    index_.assign(static_cast<std::size_t>(std::max(entries, 0)) * kIndexEntryLength, 0);
    const bool ok = (records_ == 0 || fil.readRecords(1, records_, bytes_.data())) &&
                    (entries <= 0 || idx.readRecords(1, entries, index_.data()));
    original_ = bytes_;
    dirty_.assign(static_cast<std::size_t>((records_ + kBlockRecords - 1) / kBlockRecords), false);
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
    dirty_[static_cast<std::size_t>((r - 1) / kBlockRecords)] = true;
}

bool AssetFileImage::changed() const { return std::find(dirty_.begin(), dirty_.end(), true) != dirty_.end(); }

bool AssetFileImage::writeBlock(platform::RecordFile& fil, const std::vector<unsigned char>& from, std::size_t b) {
    const std::int64_t first = static_cast<std::int64_t>(b) * kBlockRecords + 1;
    const std::int64_t count = std::min(kBlockRecords, records_ - first + 1);
    return fil.writeRecords(first, count, from.data() + static_cast<std::size_t>(first - 1) * kAssetRecordLength);
}

bool AssetFileImage::restore(platform::RecordFile& fil) {
    bool ok = true;
    for (std::size_t b = 0; b < dirty_.size(); ++b)
        if (dirty_[b]) ok = writeBlock(fil, original_, b) && ok;
    return fil.flush() && ok;
}

platform::FileError AssetFileImage::writeBack(platform::RecordFile& fil, bool& restored) {
    restored = true;
    std::size_t b = 0;
    bool ok = true;
    for (; ok && b < dirty_.size(); ++b)
        if (dirty_[b]) ok = writeBlock(fil, bytes_, b);
    ok = ok && fil.flush();
    if (ok) return platform::FileError::None;
    const platform::FileError why = platform::lastFileError();
    // Blocks 0..b-1 may have been written (the last one perhaps in part): they go back.
    for (std::size_t k = 0; k < b; ++k)
        if (dirty_[k]) restored = writeBlock(fil, original_, k) && restored;
    restored = fil.flush() && restored;
    return why;
}

}  // namespace dp
