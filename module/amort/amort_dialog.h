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

// The dialog's handler; outcome receives how the showing ended. The dialog opens with the focus
// on focusBox.
platform::Handler amortHandler(AmortOutcome* outcome, int focusBox = 201);

// Shows the dialog once and says how it ended: "E&xit" (or the close box with nothing typed) or
// the entries to process ("Print", or the close box). The payment box opens empty, unless the
// showing follows a refusal: then every entry is as typed and the focus is on refusedBox.
AmortOutcome showAmortDialog(const std::string& clientCode, int refusedBox = 0);

// The print-out the schedules are handed to (file, title, job name); printReportFile unless a
// test puts another in its place. Returns the previous one.
using AmortPrinter = void (*)(const std::string&, const std::string&, const std::string&);
AmortPrinter setAmortPrinter(AmortPrinter printer);

}  // namespace dp
