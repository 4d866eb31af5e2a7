// The file primitives on Windows. Every file is opened for binary transfer and shared for reading,
// writing and deleting, as the POSIX files are; a rename replaces its target in one step and is
// written through to the disk, since a directory cannot be flushed on its own.
#include <algorithm>
#include <cstdlib>
#include <windows.h>

#include "os_files.h"
#include "platform/native_text.h"

namespace platform::os {
namespace {

HANDLE handleOf(Fd fd) { return reinterpret_cast<HANDLE>(fd); }

FileError fromWin32(DWORD e) {
    switch (e) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
        case ERROR_INVALID_NAME:
        case ERROR_DIRECTORY: return FileError::NotFound;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_NETWORK_ACCESS_DENIED: return FileError::AccessDenied;
        case ERROR_WRITE_PROTECT: return FileError::ReadOnly;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
        case ERROR_FILE_TOO_LARGE: return FileError::DiskFull;
        case ERROR_SUCCESS:  // a failure that left no reason
        case ERROR_CRC:
        case ERROR_READ_FAULT:
        case ERROR_WRITE_FAULT:
        case ERROR_GEN_FAILURE:
        case ERROR_IO_DEVICE:
        case ERROR_SECTOR_NOT_FOUND: return FileError::IoError;
        case ERROR_CANT_ACCESS_FILE: return FileError::NotAFile;
        default: return FileError::Other;
    }
}

DWORD toWin32(FileError e) {
    switch (e) {
        case FileError::None: return ERROR_SUCCESS;
        case FileError::NotFound: return ERROR_FILE_NOT_FOUND;
        case FileError::AccessDenied: return ERROR_ACCESS_DENIED;
        case FileError::ReadOnly: return ERROR_WRITE_PROTECT;
        case FileError::DiskFull: return ERROR_DISK_FULL;
        case FileError::IoError: return ERROR_IO_DEVICE;
        case FileError::NotAFile: return ERROR_CANT_ACCESS_FILE;
        case FileError::TooLarge: return ERROR_FILE_TOO_LARGE;  // the layer's own finding
        case FileError::Other: return ERROR_INVALID_PARAMETER;
    }
    return ERROR_INVALID_PARAMETER;
}

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

OVERLAPPED at(std::int64_t offset) {
    OVERLAPPED o{};
    o.Offset = static_cast<DWORD>(static_cast<std::uint64_t>(offset) & 0xFFFFFFFFu);
    o.OffsetHigh = static_cast<DWORD>(static_cast<std::uint64_t>(offset) >> 32);
    return o;
}

bool attributesOf(const std::string& path, WIN32_FILE_ATTRIBUTE_DATA& data) {
    return GetFileAttributesExW(widen(path).c_str(), GetFileExInfoStandard, &data) != 0;
}

}  // namespace

FileError lastError() { return fromWin32(GetLastError()); }

void injectError(FileError error) { SetLastError(toWin32(error)); }

namespace {

HANDLE createFile(const std::string& path, DWORD access, DWORD disposition, DWORD flags) {
    const HANDLE h = CreateFileW(widen(path).c_str(), access, kShareAll, nullptr, disposition, flags, nullptr);
    if (h != INVALID_HANDLE_VALUE) return h;
    // A directory answers "access denied", a link where the name must be made "file exists":
    // say what they are.
    const DWORD e = GetLastError();
    const DWORD attributes = GetFileAttributesW(widen(path).c_str());
    const bool isDirectory = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    const bool isLink = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
    SetLastError(isDirectory || (isLink && e == ERROR_FILE_EXISTS) ? ERROR_CANT_ACCESS_FILE : e);
    return INVALID_HANDLE_VALUE;
}

// An ordinary file on a disk; with noLinks, not a reparse point (a link or a junction) either.
bool isOrdinary(HANDLE h, bool noLinks) {
    if (GetFileType(h) != FILE_TYPE_DISK) return false;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(h, &info)) return false;
    if (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) return false;
    return !(noLinks && (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT));
}

bool emptyFile(HANDLE h) {
    FILE_END_OF_FILE_INFO info{};
    return SetFileInformationByHandle(h, FileEndOfFileInfo, &info, sizeof info) != 0;
}

}  // namespace

Fd openFile(const std::string& path, OpenMode mode) {
    constexpr DWORD kReadWrite = GENERIC_READ | GENERIC_WRITE;
    constexpr DWORD kNoFollow = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT;
    HANDLE h = INVALID_HANDLE_VALUE;
    bool empty = false, noLinks = false;
    switch (mode) {
        case OpenMode::ReadWrite:
            h = createFile(path, kReadWrite, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
            if (h == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_NOT_FOUND) {
                // A missing file is made where its name stands, never at the end of a link.
                h = createFile(path, kReadWrite, CREATE_NEW, kNoFollow);
                noLinks = true;
            }
            break;
        case OpenMode::ReadWriteTruncate:
            h = createFile(path, kReadWrite, OPEN_ALWAYS, kNoFollow);
            empty = noLinks = true;
            break;
        case OpenMode::ReadOnly: h = createFile(path, GENERIC_READ, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL); break;
        case OpenMode::WriteTruncate:
            h = createFile(path, GENERIC_WRITE, OPEN_ALWAYS, kNoFollow);
            empty = noLinks = true;
            break;
        case OpenMode::CreateNew:
            h = createFile(path, GENERIC_WRITE, CREATE_NEW, kNoFollow);
            noLinks = true;
            break;
    }
    if (h == INVALID_HANDLE_VALUE) return kNoFd;
    if (!isOrdinary(h, noLinks)) {
        CloseHandle(h);
        SetLastError(ERROR_CANT_ACCESS_FILE);
        return kNoFd;
    }
    if (empty && !emptyFile(h)) {
        const DWORD e = GetLastError();
        CloseHandle(h);
        SetLastError(e);
        return kNoFd;
    }
    return reinterpret_cast<Fd>(h);
}

void closeFile(Fd fd) {
    const DWORD e = GetLastError();
    CloseHandle(handleOf(fd));
    SetLastError(e);
}

bool closeWrittenFile(Fd fd) { return CloseHandle(handleOf(fd)) != 0; }

bool readAt(Fd fd, void* buf, std::size_t n, std::int64_t offset, std::size_t& got) {
    OVERLAPPED o = at(offset);
    DWORD done = 0;
    const DWORD ask = n > 0x40000000u ? 0x40000000u : static_cast<DWORD>(n);
    if (!ReadFile(handleOf(fd), buf, ask, &done, &o)) {
        if (GetLastError() != ERROR_HANDLE_EOF) return false;
        done = 0;
    }
    got = done;
    return true;
}

bool writeAt(Fd fd, const void* data, std::size_t n, std::int64_t offset) {
    const char* p = static_cast<const char*>(data);
    while (n > 0) {
        OVERLAPPED o = at(offset);
        DWORD done = 0;
        const DWORD ask = n > 0x40000000u ? 0x40000000u : static_cast<DWORD>(n);
        if (!WriteFile(handleOf(fd), p, ask, &done, &o)) return false;
        if (done == 0) {
            SetLastError(ERROR_DISK_FULL);
            return false;
        }
        p += done;
        n -= done;
        offset += done;
    }
    return true;
}

std::int64_t sizeOf(Fd fd) {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(handleOf(fd), &size)) return -1;
    return size.QuadPart;
}

bool isRegularFile(Fd fd) {
    if (GetFileType(handleOf(fd)) == FILE_TYPE_DISK) return true;
    SetLastError(ERROR_CANT_ACCESS_FILE);
    return false;
}

bool syncFile(Fd fd) { return FlushFileBuffers(handleOf(fd)) != 0; }

void* allocateBlock(std::size_t size) { return std::malloc(size == 0 ? 1 : size); }

void releaseBlock(void* block, std::size_t) { std::free(block); }

bool truncateFile(Fd fd, std::int64_t size) {
    FILE_END_OF_FILE_INFO info{};
    info.EndOfFile.QuadPart = size;
    return SetFileInformationByHandle(handleOf(fd), FileEndOfFileInfo, &info, sizeof info) != 0;
}

namespace {

// The identity of the file a path names (links followed).
bool identityOf(const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
    const HANDLE h = CreateFileW(widen(path).c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    const bool ok = GetFileInformationByHandle(h, &info) != 0;
    CloseHandle(h);
    return ok;
}

bool sameIdentity(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b) {
    return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
           a.nFileIndexLow == b.nFileIndexLow;
}

}  // namespace

bool samePathFile(const std::string& a, const std::string& b) {
    BY_HANDLE_FILE_INFORMATION x{}, y{};
    return identityOf(a, x) && identityOf(b, y) && sameIdentity(x, y);
}

bool sameFile(Fd fd, const std::string& path) {
    BY_HANDLE_FILE_INFORMATION mine{}, named{};
    return GetFileInformationByHandle(handleOf(fd), &mine) && identityOf(path, named) && sameIdentity(mine, named);
}

PathKind pathKind(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!attributesOf(path, data)) return PathKind::Missing;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return PathKind::Directory;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DEVICE) return PathKind::Other;
    return PathKind::File;
}

std::int64_t pathSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!attributesOf(path, data)) return -1;
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
}

bool removePath(const std::string& path) { return DeleteFileW(widen(path).c_str()) != 0; }

bool renamePath(const std::string& from, const std::string& to) {
    return MoveFileExW(widen(from).c_str(), widen(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool createDirectory(const std::string& path) { return CreateDirectoryW(widen(path).c_str(), nullptr) != 0; }

std::string absolutePath(const std::string& path) {
    const std::wstring wide = widen(path);
    std::wstring full(MAX_PATH, L'\0');
    for (int tries = 0; tries < 2; ++tries) {
        const DWORD n = GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (n == 0) return {};
        if (n < full.size()) return narrow(full.substr(0, n));
        full.assign(n, L'\0');  // n counts the terminating NUL when the buffer was too small
    }
    return {};
}

// A drive's root ("C:\") or a share's ("\\server\share\"): what is left when the full path
// has nothing after its root.
bool isRoot(const std::string& path) {
    wchar_t full[MAX_PATH];
    const DWORD n = GetFullPathNameW(widen(path).c_str(), MAX_PATH, full, nullptr);
    if (n == 0 || n >= MAX_PATH) return false;
    std::wstring p(full, n);
    while (p.size() > 1 && (p.back() == L'\\' || p.back() == L'/')) p.pop_back();
    if (p.size() == 2 && p[1] == L':') return true;
    if (p.rfind(L"\\\\", 0) == 0) return std::count(p.begin(), p.end(), L'\\') <= 3;
    return false;
}

// A directory cannot be flushed on Windows; the renames are written through instead.
bool syncDirectoryOf(const std::string&) { return true; }

// Names are matched without regard to case by Windows itself; the name found is the one on disk.
std::string findName(const std::string& dir, const std::string& name) {
    if (name.find_first_of("*?") != std::string::npos) return {};
    WIN32_FIND_DATAW found{};
    const HANDLE h = FindFirstFileW(widen((dir.empty() ? std::string(".") : dir) + "\\" + name).c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) return {};
    FindClose(h);
    return narrow(found.cFileName);
}

std::vector<std::string> listNames(const std::string& dir) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found{};
    const HANDLE h = FindFirstFileW(widen((dir.empty() ? std::string(".") : dir) + "\\*").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        const std::string name = narrow(found.cFileName);
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileW(h, &found));
    FindClose(h);
    return names;
}

}  // namespace platform::os
