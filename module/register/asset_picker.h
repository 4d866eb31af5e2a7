// The asset listing of the maintenance dialog: one line per index entry (asset number and
// description); when the maintenance dialog is idle a line can be chosen.
#pragma once

#include <string>
#include <vector>

#include "platform/dialog.h"
#include "register/asset_files.h"

namespace dp {

// Height of the list in dialog units for a number of entries: 8.6 per line plus 4, at most
// 170, at least 100.
int pickerListHeight(std::size_t entries);

// The listing lines in index order: asset number (6), two blanks, the stored description.
std::vector<std::string> pickerLines(const Client& client);

// The listing dialog for a list of the given height; "&OK" only when offerOk.
platform::DialogTemplate buildPickerDialog(const std::string& clientCode, int listHeight, bool offerOk);

// Shows the listing. Returns the chosen asset number (6 characters) when the maintenance dialog
// was idle (pickMarker kPickFromNumberBox) and a line was chosen, else empty text. The shared
// text the maintenance dialog passes is not used; mode is not used either.
std::string PickAsset(Client& client, std::int32_t pickMarker, std::string& sharedText, int mode);

}  // namespace dp
