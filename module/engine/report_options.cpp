#include "engine/report_options.h"

namespace dp {

ReportOptions& reportOptions() {
    static ReportOptions options;
    return options;
}

}  // namespace dp
