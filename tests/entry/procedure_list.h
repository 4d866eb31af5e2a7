// The procedures of the menu, each with the title of its messages, for the tests that try every one.
#pragma once

#include <string>

#include "entry/procedures.h"

namespace {

struct Procedure {
    const char* name;
    void (*run)(const std::string&);
    const char* title;  // the title of its refusals
};

const Procedure kProcedures[] = {
    {"maintenance", dp::RunAssetMaintenance, "Asset File Maintenance"},
    {"company", dp::RunCompanyMaintenance, "Company File Maintenance"},
    {"report", dp::RunDepreciationReport, "Depreciation Report"},
    {"close", dp::RunClosePeriod, "Close Current Period"},
    {"amortization", dp::RunAmortization, "Amortization Schedule"},
    {"form", dp::RunForm4562, "Form 4562"},
};

}  // namespace
