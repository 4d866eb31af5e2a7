// The top-level procedures the menu runs, each with the client code.
#pragma once

#include "amort/amortization.h"
#include "close/close_period.h"
#include "form4562/form4562.h"
#include "register/asset_maintenance.h"
#include "register/company_maintenance.h"
#include "report/depreciation_report.h"
