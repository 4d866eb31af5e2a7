// Whether depr.idx can be trusted: every entry names its record by the record's own asset
// number, points inside depr.fil, shares its record with no other entry, and every live record
// has an entry. The check works on the bytes of the two files; the repair builds a new index from
// depr.fil alone.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "register/records.h"

namespace dp {

struct IndexProblem {
    enum class Kind {
        PartialEntry,      // depr.idx ends in part of an entry
        OutOfRange,        // the entry's record number is not a record of depr.fil
        WrongRecord,       // the record holds another asset number than the entry
        SharedRecord,      // two entries point to one record
        MissingEntry,      // a live record of depr.fil has no entry
        TooManyEntries,    // more entries than record numbers can address
    };
    Kind kind;
    std::int64_t entry = 0;   // entry number (from 1); 0 for a missing entry
    std::int64_t record = 0;  // record number concerned
    std::string assetNumber;  // as the entry or the record holds it
};

struct IndexCheck {
    std::vector<IndexProblem> problems;  // the first few, in file order
    std::int64_t problemCount = 0;
    bool trusted() const { return problemCount == 0; }
    // The problems as lines for a message (the first few, then how many more).
    std::string describe() const;
};

// A record that the register still holds: one that is not marked deleted, whatever its asset
// number (a reader that counts it must find it).
bool isLiveRecord(const AssetRecord& rec);

// Checks the index bytes against the asset file bytes (whole records only; a partial last record
// of depr.fil is not a record). Entries with record number 0 are empty entries and are accepted.
IndexCheck checkIndex(const std::vector<unsigned char>& indexBytes, const std::vector<unsigned char>& assetBytes);

struct RebuiltIndex {
    std::vector<IndexBytes> entries;  // in ascending entry order
    // The records whose asset numbers need a look: blank, holding NUL bytes, or shared with
    // another record ("record 7 has a blank asset number"), the first few of them.
    std::vector<std::string> notes;
    std::int64_t noteCount = 0;
};
// A new index for the asset file: one entry per live record, whatever its asset number (blank,
// NUL-holding and duplicate numbers included), so that every record a reader counts is found.
// Records marked deleted get none: no reader counts them.
RebuiltIndex rebuildIndex(const std::vector<unsigned char>& assetBytes);

}  // namespace dp
