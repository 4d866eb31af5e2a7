// The Company File Maintenance dialog: the three company records in eight edit boxes, written
// back whenever the dialog closes.
#pragma once

#include <string>

#include "platform/dialog.h"

namespace dp {

platform::DialogTemplate buildCompanyMaintenanceDialog(const std::string& clientCode);
void RunCompanyMaintenance(const std::string& clientCode);

}  // namespace dp
