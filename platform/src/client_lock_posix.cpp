// The client lock on POSIX systems: a lock of the open file description of the lock file.
#include "platform/client_lock.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "os_files.h"

namespace platform {
namespace {

// Locks of open file descriptions: independent of other descriptors of the same file in this
// process (closing one does not drop the lock) and exclusive between two locks of one process,
// so a test can play two users.
bool lockWhole(int fd) {
    struct flock fl {};
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = 0;
    fl.l_len = 0;
    return ::fcntl(fd, F_OFD_SETLK, &fl) == 0;
}

// The first line of the lock file: its holder (what follows it may be left from a longer one).
std::string readHolder(int fd) {
    std::string text;
    char buf[256];
    off_t at = 0;
    while (text.size() < 1024) {
        const ssize_t r = ::pread(fd, buf, sizeof buf, at);
        if (r <= 0) break;
        text.append(buf, static_cast<std::size_t>(r));
        at += r;
    }
    text = text.substr(0, text.find('\n'));
    while (!text.empty() && (text.back() == '\r' || text.back() == '\0')) text.pop_back();
    return text;
}

// The lock file is the program's own: an ordinary file with no other name (a hard link would make
// its text another file's content).
bool isOwnOrdinaryFile(int fd) {
    struct stat st {};
    return ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_nlink == 1;
}

}  // namespace

LockOutcome ClientLock::acquire(const std::string& dir, const std::string& holderText) {
    release();
    holder_.clear();
    error_ = FileError::None;
    const std::string path = resolvePath(dir, kClientLockName);
    // Never through a link, never waiting on a pipe; nothing is written before it is known to be
    // the lock file and the lock is held.
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
    if (fd < 0) {
        error_ = os::lastError();
        return LockOutcome::Unavailable;
    }
    if (!isOwnOrdinaryFile(fd)) {
        ::close(fd);
        error_ = FileError::NotAFile;
        return LockOutcome::Unavailable;
    }
    if (!lockWhole(fd)) {
        const int e = errno;
        if (e == EAGAIN || e == EACCES) {
            holder_ = readHolder(fd);
            ::close(fd);
            return LockOutcome::InUse;
        }
        ::close(fd);
        errno = e;
        error_ = os::lastError();
        return LockOutcome::Unavailable;
    }
    // Who holds it is a courtesy for the one refused; failing to write it changes nothing. The
    // line is written over the old one before the rest is cut, so a reader never finds it empty.
    const std::string text = holderText + "\n";
    if (::pwrite(fd, text.data(), text.size(), 0) == static_cast<ssize_t>(text.size()))
        (void)!::ftruncate(fd, static_cast<off_t>(text.size()));
    fd_ = fd;
    return LockOutcome::Acquired;
}

void ClientLock::release() {
    if (fd_ < 0) return;
    // The text stays: emptying it would race with the next holder writing its own.
    ::close(static_cast<int>(fd_));  // closing the description drops its lock
    fd_ = -1;
}

std::string lockHolderName() {
    std::string user;
    if (const char* u = std::getenv("USER"); u && *u) user = u;
    else if (const passwd* pw = ::getpwuid(::getuid())) user = pw->pw_name;
    else user = "someone";
    char host[256] = {};
    if (::gethostname(host, sizeof host - 1) != 0 || !*host) return user;
    return user + " on " + host;
}

}  // namespace platform
