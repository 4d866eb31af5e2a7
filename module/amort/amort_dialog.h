// The amortization dialog: its layout, its entries and how one showing ends.
#pragma once

#include <string>

#include "amort/loan_inputs.h"
#include "platform/dialog.h"

namespace dp {

// The entries, kept between showings and between uses of the menu item while the module is
// loaded.
LoanEntries& amortEntries();

platform::DialogTemplate buildAmortDialog(const std::string& clientCode);

enum class AmortOutcome { Exit, Process };

// The dialog's handler; outcome receives how the showing ended.
platform::Handler amortHandler(AmortOutcome* outcome);

// Shows the dialog once (payment box empty) and says how it ended: "E&xit" or the entries to
// process ("Print", or the close box).
AmortOutcome showAmortDialog(const std::string& clientCode);

// The print-out the schedules are handed to (file, title, job name); printReportFile unless a
// test puts another in its place. Returns the previous one.
using AmortPrinter = void (*)(const std::string&, const std::string&, const std::string&);
AmortPrinter setAmortPrinter(AmortPrinter printer);

}  // namespace dp
