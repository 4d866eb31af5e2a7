// The file primitives on POSIX systems.
#include <dirent.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "os_files.h"

namespace platform::os {
namespace {

FileError fromErrno(int e) {
    switch (e) {
        case ENOENT:
        case ENOTDIR: return FileError::NotFound;
        case EACCES:
        case EPERM: return FileError::AccessDenied;
        case EROFS: return FileError::ReadOnly;
        case ENOSPC:
#ifdef EDQUOT
        case EDQUOT:
#endif
        case EFBIG: return FileError::DiskFull;
        case 0:  // a failure that left no reason
        case EIO: return FileError::IoError;
        case EISDIR:
        case ELOOP:   // a link where none is followed
        case ENXIO:   // a pipe without a reader, a device without its hardware
        case ENODEV: return FileError::NotAFile;
        default: return FileError::Other;
    }
}

int toErrno(FileError e) {
    switch (e) {
        case FileError::None: return 0;
        case FileError::NotFound: return ENOENT;
        case FileError::AccessDenied: return EACCES;
        case FileError::ReadOnly: return EROFS;
        case FileError::DiskFull: return ENOSPC;
        case FileError::IoError: return EIO;
        case FileError::NotAFile: return EISDIR;
        case FileError::TooLarge: return EFBIG;  // the layer's own finding, never the system's
        case FileError::Other: return EINVAL;
    }
    return EINVAL;
}

int fdOf(Fd fd) { return static_cast<int>(fd); }

bool equalsIgnoreCase(const char* a, const std::string& b) {
    std::size_t i = 0;
    for (; a[i] && i < b.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (std::tolower(x) != std::tolower(y)) return false;
    }
    return a[i] == '\0' && i == b.size();
}

}  // namespace

FileError lastError() { return fromErrno(errno); }

void injectError(FileError error) { errno = toErrno(error); }

bool isOrdinary(int fd) {
    struct stat st {};
    return ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
}

Fd openFile(const std::string& path, OpenMode mode) {
    // O_NONBLOCK: a pipe or a device opens at once instead of waiting for the other end; it is
    // then refused, and on an ordinary file the flag changes nothing.
    int flags = O_CLOEXEC | O_NONBLOCK;
    bool empty = false;
    switch (mode) {
        case OpenMode::ReadWrite: flags |= O_RDWR; break;
        case OpenMode::ReadWriteTruncate: flags |= O_RDWR | O_CREAT | O_NOFOLLOW; empty = true; break;
        case OpenMode::ReadOnly: flags |= O_RDONLY; break;
        case OpenMode::WriteTruncate: flags |= O_WRONLY | O_CREAT | O_NOFOLLOW; empty = true; break;
        case OpenMode::CreateNew: flags |= O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW; break;
    }
    int fd = ::open(path.c_str(), flags, 0644);
    if (fd < 0 && errno == ENOENT && mode == OpenMode::ReadWrite) {
        // A missing file is made where its name stands: a dangling link is refused, not followed.
        fd = ::open(path.c_str(), flags | O_CREAT | O_EXCL | O_NOFOLLOW, 0644);
        if (fd < 0 && errno == EEXIST) errno = ELOOP;
    }
    if (fd < 0) return kNoFd;
    if (!isOrdinary(fd)) {
        ::close(fd);
        errno = EISDIR;
        return kNoFd;
    }
    if (empty && ::ftruncate(fd, 0) != 0) {
        closeFile(fd);
        return kNoFd;
    }
    return fd;
}

void closeFile(Fd fd) {
    const int e = errno;
    ::close(fdOf(fd));
    errno = e;
}

bool closeWrittenFile(Fd fd) { return ::close(fdOf(fd)) == 0; }

bool readAt(Fd fd, void* buf, std::size_t n, std::int64_t at, std::size_t& got) {
    for (;;) {
        const ssize_t r = ::pread(fdOf(fd), buf, n, static_cast<off_t>(at));
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) return false;
        got = static_cast<std::size_t>(r);
        return true;
    }
}

bool writeAt(Fd fd, const void* data, std::size_t n, std::int64_t at) {
    const char* p = static_cast<const char*>(data);
    while (n > 0) {
        const ssize_t w = ::pwrite(fdOf(fd), p, n, static_cast<off_t>(at));
        if (w < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (w == 0) {
            errno = ENOSPC;
            return false;
        }
        p += w;
        n -= static_cast<std::size_t>(w);
        at += w;
    }
    return true;
}

std::int64_t sizeOf(Fd fd) {
    struct stat st {};
    if (::fstat(fdOf(fd), &st) != 0) return -1;
    return static_cast<std::int64_t>(st.st_size);
}

bool isRegularFile(Fd fd) {
    struct stat st {};
    if (::fstat(fdOf(fd), &st) != 0) return false;
    if (!S_ISREG(st.st_mode)) errno = EISDIR;
    return S_ISREG(st.st_mode);
}

bool syncFile(Fd fd) { return ::fsync(fdOf(fd)) == 0; }

namespace {

// Blocks from this size go into memory of their own, in large pages on a large page's boundary:
// a page fault costs far more than clearing a large page, and one fault then serves 2 MB. The
// sanitizer builds keep every block on the heap, where overruns are caught.
constexpr std::size_t kLargePage = std::size_t{2} << 20;
#if defined(MADV_HUGEPAGE) && !defined(__SANITIZE_ADDRESS__)
constexpr std::size_t kOwnMemoryFrom = std::size_t{128} << 10;
#else
constexpr std::size_t kOwnMemoryFrom = SIZE_MAX;
#endif

std::size_t largeLength(std::size_t size) { return (size + kLargePage - 1) / kLargePage * kLargePage; }

}  // namespace

void* allocateBlock(std::size_t size) {
    if (size < kOwnMemoryFrom) return std::malloc(size == 0 ? 1 : size);
#ifdef MADV_HUGEPAGE
    // Mapped a large page longer than needed, then cut to the boundary at both ends.
    const std::size_t length = largeLength(size);
    void* mapped = ::mmap(nullptr, length + kLargePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) return nullptr;
    const auto first = reinterpret_cast<std::uintptr_t>(mapped);
    const std::uintptr_t start = (first + kLargePage - 1) / kLargePage * kLargePage;
    if (start > first) ::munmap(mapped, start - first);
    if (const std::uintptr_t end = first + length + kLargePage; end > start + length)
        ::munmap(reinterpret_cast<void*>(start + length), end - (start + length));
    (void)::madvise(reinterpret_cast<void*>(start), length, MADV_HUGEPAGE);
    return reinterpret_cast<void*>(start);
#else
    return nullptr;
#endif
}

void releaseBlock(void* block, std::size_t size) {
    if (size < kOwnMemoryFrom) std::free(block);
    else if (block) ::munmap(block, largeLength(size));
}

bool truncateFile(Fd fd, std::int64_t size) { return ::ftruncate(fdOf(fd), static_cast<off_t>(size)) == 0; }

bool sameFile(Fd fd, const std::string& path) {
    struct stat mine {}, named {};
    if (::fstat(fdOf(fd), &mine) != 0 || ::stat(path.c_str(), &named) != 0) return false;
    return mine.st_dev == named.st_dev && mine.st_ino == named.st_ino;
}

bool samePathFile(const std::string& a, const std::string& b) {
    struct stat x {}, y {};
    if (::stat(a.c_str(), &x) != 0 || ::stat(b.c_str(), &y) != 0) return false;
    return x.st_dev == y.st_dev && x.st_ino == y.st_ino;
}

PathKind pathKind(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return PathKind::Missing;
    if (S_ISREG(st.st_mode)) return PathKind::File;
    if (S_ISDIR(st.st_mode)) return PathKind::Directory;
    return PathKind::Other;
}

std::int64_t pathSize(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return -1;
    return static_cast<std::int64_t>(st.st_size);
}

bool removePath(const std::string& path) { return ::unlink(path.c_str()) == 0; }

bool renamePath(const std::string& from, const std::string& to) { return ::rename(from.c_str(), to.c_str()) == 0; }

bool createDirectory(const std::string& path) { return ::mkdir(path.c_str(), 0755) == 0; }

std::string absolutePath(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path whole = std::filesystem::absolute(path, ec);
    return ec ? std::string() : whole.lexically_normal().string();
}

bool isRoot(const std::string& path) {
    char* real = ::realpath(path.c_str(), nullptr);
    if (!real) return false;
    const bool root = std::strcmp(real, "/") == 0;
    std::free(real);
    return root;
}

bool syncDirectoryOf(const std::string& dir) {
    const int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = ::fsync(fd) == 0;
    closeFile(fd);
    return ok;
}

std::string findName(const std::string& dir, const std::string& name) {
    if (pathKind(dir + "/" + name) != PathKind::Missing) return name;
    DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
    if (!d) return {};
    std::string found;
    while (dirent* e = ::readdir(d)) {
        if (equalsIgnoreCase(e->d_name, name)) {
            // Several spellings in one directory: take the first in byte order, every time.
            if (found.empty() || std::strcmp(e->d_name, found.c_str()) < 0) found = e->d_name;
        }
    }
    ::closedir(d);
    return found;
}

std::vector<std::string> listNames(const std::string& dir) {
    std::vector<std::string> names;
    DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
    if (!d) return names;
    while (dirent* e = ::readdir(d)) {
        const std::string name = e->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(d);
    return names;
}

}  // namespace platform::os
