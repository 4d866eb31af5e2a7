// Module-wide state of one call of DPMENU.
#pragma once

#include <cstdint>
#include <string>

namespace dp {

struct Session {
    std::string clientCode;          // exactly as the host passed it; also the data directory
    std::int32_t leaveMenu = 0;
    std::int32_t abortRequested = 0;
    std::string moduleHandle;        // path of the loaded module (where the suite libraries are found)
};

Session& session();

}  // namespace dp
