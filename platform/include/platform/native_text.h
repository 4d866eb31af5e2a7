// Windows only: the module's texts are bytes in the system's ANSI code page, Windows' own calls
// take UTF-16. These convert between the two.
#pragma once

#ifdef _WIN32
#include <string>

namespace platform {

std::wstring widen(const std::string& text);
std::string narrow(const std::wstring& text);
std::string narrow(const wchar_t* text);
// Windows' own words for an error code (GetLastError), without the final full stop.
std::string describeSystemError(unsigned long code);

}  // namespace platform
#endif
