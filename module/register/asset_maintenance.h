// The Asset File Maintenance dialog: a thin editor over the working record. Each edit box copies
// its text into its field of WorkingRecord on every event; "&Save" writes the record with
// WriteAssetRecord.
#pragma once

#include <string>
#include <vector>

#include "platform/dialog.h"
#include "register/asset_files.h"

namespace dp {

// What the dialog's handler works on: the client the procedure has open and the maintenance
// state that outlives the dialog.
struct Maintenance {
    Client& client;
    MaintenanceState& state;
    std::vector<std::string> opened = {};  // the record's boxes as they were when it was opened
};

platform::DialogTemplate buildAssetMaintenanceDialog(const std::string& clientCode);
void assetMaintenanceHandler(Maintenance& m, platform::Dialog& dlg, const platform::Event& ev);

// Set-up of the procedure: the asset files must open (else error 53). Throws MaintenanceError.
void prepareAssetMaintenance(Client& client);

// The procedure on a client that is already open: checks the index, shows the dialog, tidies up.
void maintainAssets(Client& client, MaintenanceState& state);

void RunAssetMaintenance(const std::string& clientCode);

}  // namespace dp
