// Path and search-list helpers shared by every system; only the separators differ.
#include "platform/library.h"

namespace platform {
namespace {

#ifdef _WIN32
constexpr const char* kDirectorySeparators = "/\\";
constexpr char kListSeparator = ';';
#else
constexpr const char* kDirectorySeparators = "/";
constexpr char kListSeparator = ':';
#endif

}  // namespace

std::string directoryOf(const std::string& path) {
    const std::size_t slash = path.find_last_of(kDirectorySeparators);
    if (slash == std::string::npos) return ".";
    return slash == 0 ? path.substr(0, 1) : path.substr(0, slash);
}

std::vector<std::string> splitSearchList(const std::string& list) {
    std::vector<std::string> out;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = list.find(kListSeparator, start);
        std::string entry = list.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!entry.empty()) out.push_back(std::move(entry));
        if (end == std::string::npos) return out;
        start = end + 1;
    }
}

}  // namespace platform
