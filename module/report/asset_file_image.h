// The asset file and its index held in memory for one report run: each read once, in one piece,
// from the files the run has open. The index check looks at these bytes, the report reads its
// records from them, computed records are changed in them, and they then become the new asset
// file as a whole (written beside the old one and put in its place in one step).
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "platform/files.h"
#include "register/records.h"

namespace dp {

class AssetFileImage {
public:
    // False when the files cannot be read (platform::lastFileError says why).
    bool load(const platform::RecordFile& fil, const platform::RecordFile& idx);

    // The whole entries of the index.
    int entries() const { return static_cast<int>(index_.size() / kIndexEntryLength); }
    IndexBytes entry(int i) const;

    // False when r is not a record number of the file.
    bool read(std::int64_t r, AssetRecord& rec) const;
    void store(std::int64_t r, const AssetRecord& rec);
    bool changed() const { return changed_; }

    // The whole asset file as the image holds it now: the records as read, computed ones changed,
    // and a part of a record at its end as it was.
    std::span<const unsigned char> bytes() const { return assets_.bytes(); }
    // The index file as read, a part of an entry at its end included.
    std::span<const unsigned char> indexBytes() const { return index_.bytes(); }

private:
    unsigned char* at(std::int64_t r) { return assets_.data() + static_cast<std::size_t>(r - 1) * kAssetRecordLength; }
    const unsigned char* at(std::int64_t r) const {
        return assets_.data() + static_cast<std::size_t>(r - 1) * kAssetRecordLength;
    }

    std::int64_t records_ = 0;
    platform::ByteBlock assets_;
    platform::ByteBlock index_;
    bool changed_ = false;
};

}  // namespace dp
