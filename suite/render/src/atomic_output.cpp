#include "atomic_output.h"

#include <cerrno>
#include <cstring>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
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

// The system's reason in the C library's terms, for the messages.
int errnoOf(DWORD e) {
    switch (e) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND: return ENOENT;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION: return EACCES;
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS: return EEXIST;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL: return ENOSPC;
        default: return EIO;
    }
}

// A file on a disk, not a folder, a device (CON, LPT1, ...) or a pipe; its size in *size.
bool onDisk(HANDLE h, std::int64_t* size) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileType(h) != FILE_TYPE_DISK || !GetFileInformationByHandle(h, &info)) return false;
    if (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) return false;
    if (size) *size = static_cast<std::int64_t>((static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow);
    return true;
}

// The handle as a C stream; the handle is closed when none can be made.
std::FILE* streamOf(HANDLE h, int flags, const char* mode) {
    const int fd = _open_osfhandle(reinterpret_cast<std::intptr_t>(h), flags);
    if (fd < 0) {
        CloseHandle(h);
        return nullptr;
    }
    std::FILE* f = _fdopen(fd, mode);
    if (!f) _close(fd);
    return f;
}

std::FILE* openToRead(const std::string& path, bool& ordinary, std::int64_t& size) {
    const HANDLE h = CreateFileW(wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        errno = errnoOf(GetLastError());
        return nullptr;
    }
    ordinary = onDisk(h, &size);
    return streamOf(h, _O_RDONLY | _O_BINARY, "rb");
}

// ENODEV: the name stands for a device, and nothing was made.
std::FILE* createNew(const std::string& path) {
    const HANDLE h = CreateFileW(wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        errno = errnoOf(GetLastError());
        return nullptr;
    }
    if (!onDisk(h, nullptr)) {
        CloseHandle(h);
        errno = ENODEV;
        return nullptr;
    }
    std::FILE* f = streamOf(h, _O_WRONLY | _O_BINARY, "wb");
    if (!f) DeleteFileW(wide(path).c_str());
    return f;
}

// Windows' rename does not replace an existing file; this does, in one step.
bool putInPlace(const std::string& from, const std::string& to) {
    if (MoveFileExW(wide(from).c_str(), wide(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    errno = errnoOf(GetLastError());
    return false;
}
#else
int processId() { return static_cast<int>(::getpid()); }
bool flushToDisk(std::FILE* f) { return std::fflush(f) == 0 && ::fsync(::fileno(f)) == 0; }

// The descriptor as a C stream; the descriptor is closed when none can be made.
std::FILE* streamOf(int fd, const char* mode) {
    std::FILE* f = ::fdopen(fd, mode);
    if (!f) {
        const int e = errno;
        ::close(fd);
        errno = e;
    }
    return f;
}

// O_NONBLOCK: a pipe or a device opens at once instead of waiting; it is then refused.
std::FILE* openToRead(const std::string& path, bool& ordinary, std::int64_t& size) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st {};
    ordinary = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    size = static_cast<std::int64_t>(st.st_size);
    return streamOf(fd, "rb");
}

std::FILE* createNew(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) return nullptr;
    std::FILE* f = streamOf(fd, "wb");
    if (!f) ::unlink(path.c_str());
    return f;
}

bool putInPlace(const std::string& from, const std::string& to) { return std::rename(from.c_str(), to.c_str()) == 0; }
#endif

}  // namespace

std::FILE* openPrinterFile(const std::string& path, std::string& error) {
    bool ordinary = false;
    std::int64_t size = 0;
    std::FILE* f = openToRead(path, ordinary, size);
    if (!f) {
        error = "The file " + path + " cannot be opened: " + std::strerror(errno) + ".";
        return nullptr;
    }
    if (ordinary && size <= kMaxInputBytes) return f;
    std::fclose(f);
    error = "The file " + path + (ordinary ? " is larger than a printer file can be." : " is not an ordinary file.");
    return nullptr;
}

AtomicOutput::AtomicOutput(std::string target) : target_(std::move(target)) {
    temp_ = target_ + ".part-" + std::to_string(processId());
    file_ = createNew(temp_);
    created_ = file_ != nullptr;
    if (file_) return;
    error_ = "The file " + target_ + " cannot be written: " +
             (errno == ENODEV ? std::string("its name stands for a device") : std::string(std::strerror(errno))) + ".";
}

AtomicOutput::~AtomicOutput() {
    if (file_) std::fclose(file_);
    if (created_ && !committed_) std::remove(temp_.c_str());
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
