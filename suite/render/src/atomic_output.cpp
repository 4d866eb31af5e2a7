#include "atomic_output.h"

#include <cerrno>
#include <cstring>

#ifdef _WIN32
#include <io.h>
#include <process.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace dprender {
namespace {

#ifdef _WIN32
int processId() { return _getpid(); }
bool flushToDisk(std::FILE* f) { return std::fflush(f) == 0 && _commit(_fileno(f)) == 0; }

std::wstring wide(const std::string& path) {
    const int n = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
    std::wstring w(static_cast<std::size_t>(n > 0 ? n : 1), L'\0');
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, w.data(), n);
    return w;
}

// Windows' rename does not replace an existing file; this does, in one step.
bool putInPlace(const std::string& from, const std::string& to) {
    if (MoveFileExW(wide(from).c_str(), wide(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    errno = GetLastError() == ERROR_ACCESS_DENIED ? EACCES : EIO;
    return false;
}
#else
int processId() { return static_cast<int>(::getpid()); }
bool flushToDisk(std::FILE* f) { return std::fflush(f) == 0 && ::fsync(::fileno(f)) == 0; }
bool putInPlace(const std::string& from, const std::string& to) { return std::rename(from.c_str(), to.c_str()) == 0; }
#endif

}  // namespace

AtomicOutput::AtomicOutput(std::string target) : target_(std::move(target)) {
    temp_ = target_ + ".part-" + std::to_string(processId());
    file_ = std::fopen(temp_.c_str(), "wb");
    if (!file_) error_ = "The file " + target_ + " cannot be written: " + std::strerror(errno) + ".";
}

AtomicOutput::~AtomicOutput() {
    if (file_) std::fclose(file_);
    if (!committed_) std::remove(temp_.c_str());
}

bool AtomicOutput::commit() {
    bool ok = flushToDisk(file_);
    ok = std::fclose(file_) == 0 && ok;
    file_ = nullptr;
    if (ok && putInPlace(temp_, target_)) {
        committed_ = true;
        return true;
    }
    error_ = "The file " + target_ + " could not be written: " + std::strerror(errno) + ".";
    return false;
}

}  // namespace dprender
