// The Asset File Maintenance dialog: a thin editor over the shared working record. Each edit
// box copies its text into its field of WorkingRecord on every event; "&Save" writes the record
// with WriteAssetRecord.
#pragma once

#include <string>

#include "platform/dialog.h"

namespace dp {

platform::DialogTemplate buildAssetMaintenanceDialog(const std::string& clientCode);
// The dialog's event handler (works on reg() and session()).
void assetMaintenanceHandler(platform::Dialog& dlg, const platform::Event& ev);

// Set-up of the procedure: the data directory must exist (else error 76) and the asset files
// must open (else error 53). Throws FileError.
void prepareAssetMaintenance(const std::string& clientCode);

void RunAssetMaintenance(const std::string& clientCode);

}  // namespace dp
