// The client lock on Windows: an exclusive byte-range lock of the lock file, taken far beyond its
// text so that a user who is refused can still read who holds it. Windows drops it with the
// handle, or with the process however it ended.
#include <windows.h>

#include <cstdlib>

#include "platform/client_lock.h"
#include "os_files.h"
#include "platform/native_text.h"

namespace platform {
namespace {

constexpr DWORD kLockOffsetHigh = 0x40000000u;  // byte 2^62: never holds text

HANDLE handleOf(std::intptr_t fd) { return reinterpret_cast<HANDLE>(fd); }

std::string readHolder(HANDLE h) {
    char buf[1024];
    DWORD got = 0;
    OVERLAPPED o{};
    if (!ReadFile(h, buf, sizeof buf, &got, &o)) got = 0;
    // The first line: what follows it may be left from a longer one.
    std::string text(buf, got);
    text = text.substr(0, text.find('\n'));
    while (!text.empty() && (text.back() == '\r' || text.back() == '\0')) text.pop_back();
    return text;
}

// The lock file is the program's own: an ordinary file on a disk, not a link or a junction, with
// no other name (a hard link would make its text another file's content).
constexpr DWORD kNotOrdinary = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE | FILE_ATTRIBUTE_REPARSE_POINT;

bool isOwnOrdinaryFile(HANDLE h) {
    if (GetFileType(h) != FILE_TYPE_DISK) return false;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(h, &info)) return false;
    FILE_ATTRIBUTE_TAG_INFO tag{};
    if (GetFileInformationByHandleEx(h, FileAttributeTagInfo, &tag, sizeof tag) &&
        ((tag.FileAttributes & kNotOrdinary) || tag.ReparseTag != 0))
        return false;
    return !(info.dwFileAttributes & kNotOrdinary) && info.nNumberOfLinks == 1;
}

// What stands under the name, not what a link there points to.
bool namesSomethingElse(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(widen(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & kNotOrdinary);
}

}  // namespace

LockOutcome ClientLock::acquire(const std::string& dir, const std::string& holderText) {
    release();
    holder_.clear();
    error_ = FileError::None;
    const std::string path = resolvePath(dir, kClientLockName);
    if (namesSomethingElse(path)) {
        error_ = FileError::NotAFile;
        return LockOutcome::Unavailable;
    }
    // The link itself is opened, never what it points to; nothing is written before it is known
    // to be the lock file and the lock is held.
    const HANDLE h = CreateFileW(widen(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        error_ = namesSomethingElse(path) ? FileError::NotAFile : os::lastError();
        return LockOutcome::Unavailable;
    }
    if (!isOwnOrdinaryFile(h)) {
        CloseHandle(h);
        error_ = FileError::NotAFile;
        return LockOutcome::Unavailable;
    }
    OVERLAPPED where{};
    where.OffsetHigh = kLockOffsetHigh;
    if (!LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &where)) {
        const DWORD e = GetLastError();
        if (e == ERROR_LOCK_VIOLATION || e == ERROR_IO_PENDING) {
            holder_ = readHolder(h);
            CloseHandle(h);
            return LockOutcome::InUse;
        }
        CloseHandle(h);
        SetLastError(e);
        error_ = os::lastError();
        return LockOutcome::Unavailable;
    }
    // Who holds it is a courtesy for the one refused; failing to write it changes nothing. The
    // line is written over the old one before the rest is cut, so a reader never finds it empty.
    const std::string text = holderText + "\r\n";
    DWORD written = 0;
    OVERLAPPED start{};
    if (WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, &start) && written == text.size()) {
        FILE_END_OF_FILE_INFO end{};
        end.EndOfFile.QuadPart = static_cast<LONGLONG>(text.size());
        SetFileInformationByHandle(h, FileEndOfFileInfo, &end, sizeof end);
    }
    fd_ = reinterpret_cast<std::intptr_t>(h);
    return LockOutcome::Acquired;
}

void ClientLock::release() {
    if (fd_ < 0) return;
    CloseHandle(handleOf(fd_));  // closing the handle drops its lock
    fd_ = -1;
}

std::string lockHolderName() {
    wchar_t user[256];
    DWORD n = static_cast<DWORD>(std::size(user));
    std::string who = GetUserNameW(user, &n) ? narrow(user) : std::string();
    if (who.empty()) who = "someone";
    wchar_t host[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD h = static_cast<DWORD>(std::size(host));
    if (!GetComputerNameW(host, &h) || h == 0) return who;
    return who + " on " + narrow(host);
}

}  // namespace platform
