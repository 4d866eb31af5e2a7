// What the suite's printer libraries use from the platform: the printer choice dialog runs
// through the backend, the hand-over is recorded in the transcript.
#pragma once
#include <string>
#include <vector>

namespace platform {

// The names of the print service's queues (empty when there is none or it does not answer
// within a few seconds).
std::vector<std::string> listPrinters();

}  // namespace platform
