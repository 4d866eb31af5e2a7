// The asset file and its index held in memory for one report run: each read in one piece from
// the files the run has open, computed records changed in the image and written back as whole
// blocks through the same open file. A write-back that fails part way puts back what it had
// already changed, so the asset file holds either the old figures or the new ones.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/files.h"
#include "register/records.h"

namespace dp {

class AssetFileImage {
public:
    static constexpr std::int64_t kBlockRecords = 64;

    // False when the files cannot be read.
    bool load(const platform::RecordFile& fil, const platform::RecordFile& idx, int entries);

    int entries() const { return static_cast<int>(index_.size() / kIndexEntryLength); }
    IndexBytes entry(int i) const;

    // False when r is not a record number of the file.
    bool read(std::int64_t r, AssetRecord& rec) const;
    void store(std::int64_t r, const AssetRecord& rec);
    bool changed() const;

    // Writes every block that holds a changed record through fil, which must be the file the
    // image was loaded from, and flushes it. On failure the blocks already written are put back
    // as they were read (restored tells whether that succeeded) and the reason comes back;
    // FileError::None when everything was written.
    platform::FileError writeBack(platform::RecordFile& fil, bool& restored);

    // Puts back, through fil, the records a successful writeBack changed; false when that fails.
    bool restore(platform::RecordFile& fil);

private:
    bool writeBlock(platform::RecordFile& fil, const std::vector<unsigned char>& from, std::size_t block);
    unsigned char* at(std::int64_t r) { return bytes_.data() + static_cast<std::size_t>(r - 1) * kAssetRecordLength; }
    const unsigned char* at(std::int64_t r) const {
        return bytes_.data() + static_cast<std::size_t>(r - 1) * kAssetRecordLength;
    }

    std::int64_t records_ = 0;
    std::vector<unsigned char> bytes_;
    std::vector<unsigned char> original_;
    std::vector<unsigned char> index_;
    std::vector<bool> dirty_;
};

}  // namespace dp
