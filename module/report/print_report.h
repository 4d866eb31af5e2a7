// The single print-out of the module: the finished text file goes to the suite's printer
// selection and then to its print spooling.
#pragma once

#include <string>

namespace dp {

// file: the path of the closed text file; title: the text shown by the printer choice;
// reportName: "DPRPT" (depreciation report), "AMORT"/"amort" (schedules), "4562" (the form).
void printReportFile(const std::string& file, const std::string& title, const std::string& reportName);

// The command text handed to the spooler for a printer reply ("" when the reply is empty).
std::string listOutCommand(const std::string& file, const std::string& reply, const std::string& reportName);

}  // namespace dp
