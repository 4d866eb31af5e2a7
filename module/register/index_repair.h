// Refusing to work on a damaged index, and the repair offered with the refusal: depr.idx built
// anew from depr.fil, the damaged one kept aside as BADDEPR.IDX.
#pragma once

#include <string>

#include "register/client.h"
#include "register/index_check.h"

namespace dp {

inline constexpr const char* kDamagedIndexName = "BADDEPR.IDX";

enum class IndexVerdict {
    Trusted,   // the index matches the asset file
    Repaired,  // it did not; the user had it rebuilt
    Refused,   // it did not, or the files cannot be read; nothing was changed
};

// Checks the client's depr.idx against depr.fil before `work` (e.g. "the period close") goes on.
// A damaged index is reported with what is wrong, and the user is asked whether to rebuild it.
IndexVerdict verifyAssetIndex(Client& client, const std::string& title, const std::string& work);
// The same for a check already made on the bytes a procedure read (the report reads the register
// once and checks what it read): a damaged index is reported and the rebuild offered.
IndexVerdict answerIndexCheck(Client& client, const IndexCheck& check, const std::string& title, const std::string& work);

// Rebuilds depr.idx from depr.fil, keeping the old index as BADDEPR.IDX. False (and the files as
// they were) when it cannot be done; the user has been told why.
bool rebuildAssetIndex(Client& client, const std::string& title);

}  // namespace dp
