// The local date and time of the machine.
#pragma once

#include <ctime>

namespace platform {

// Now, in local time, broken down (tm_year counts from 1900, tm_mon from 0).
std::tm localTimeNow();

}  // namespace platform
