// The asset file and its index held in memory for one report run: each read in one piece from
// the files the run has open, computed records changed in the image, which then becomes the new
// asset file as a whole (written beside the old one and put in its place in one step).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/files.h"
#include "register/records.h"

namespace dp {

class AssetFileImage {
public:
    // False when the files cannot be read.
    bool load(const platform::RecordFile& fil, const platform::RecordFile& idx, int entries);

    int entries() const { return static_cast<int>(index_.size() / kIndexEntryLength); }
    IndexBytes entry(int i) const;

    // False when r is not a record number of the file.
    bool read(std::int64_t r, AssetRecord& rec) const;
    void store(std::int64_t r, const AssetRecord& rec);
    bool changed() const;

    // The whole asset file as the image holds it now: the records as read, computed ones changed.
    const std::vector<unsigned char>& bytes() const { return bytes_; }

private:
    unsigned char* at(std::int64_t r) { return bytes_.data() + static_cast<std::size_t>(r - 1) * kAssetRecordLength; }
    const unsigned char* at(std::int64_t r) const {
        return bytes_.data() + static_cast<std::size_t>(r - 1) * kAssetRecordLength;
    }

    std::int64_t records_ = 0;
    std::vector<unsigned char> bytes_;
    std::vector<unsigned char> index_;
    bool changed_ = false;
};

}  // namespace dp
