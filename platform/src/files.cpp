#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <set>

namespace platform {
namespace {

thread_local FileError lastError = FileError::None;

struct FaultPlan {
    int countdown = -1;   // the changing operation that fails, counted from 0; -1 none
    int done = 0;         // changing operations since the plan was set
    FileError error = FileError::DiskFull;
};

FaultPlan& faultPlan() {
    static FaultPlan p;
    return p;
}

FileError fromErrno(int e) {
    switch (e) {
        case 0: return FileError::None;
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
        case EIO: return FileError::IoError;
        case EISDIR: return FileError::NotAFile;
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
        case FileError::Other: return EINVAL;
    }
    return EINVAL;
}

// Every operation that changes the disk asks first; an injected fault answers false and sets
// errno as the real failure would.
bool mayChange() {
    FaultPlan& p = faultPlan();
    const int n = p.done++;
    if (p.countdown >= 0 && n == p.countdown) {
        errno = toErrno(p.error);
        return false;
    }
    return true;
}

// Records the outcome of an operation for lastFileError and passes it on.
bool outcome(bool ok) {
    lastError = ok ? FileError::None : fromErrno(errno == 0 ? EIO : errno);
    return ok;
}

std::set<RecordFile*>& openRecordFiles() {
    static std::set<RecordFile*> s;
    return s;
}
std::set<TextFile*>& openTextFiles() {
    static std::set<TextFile*> s;
    return s;
}

bool equalsIgnoreCase(const char* a, const std::string& b) {
    std::size_t i = 0;
    for (; a[i] && i < b.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (std::tolower(x) != std::tolower(y)) return false;
    }
    return a[i] == '\0' && i == b.size();
}

bool writeAll(int fd, const void* data, std::size_t n, off_t at) {
    if (!mayChange()) return false;
    const char* p = static_cast<const char*>(data);
    while (n > 0) {
        ssize_t w = ::pwrite(fd, p, n, at);
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

bool syncFd(int fd) { return mayChange() && ::fsync(fd) == 0; }

std::string parentDirectory(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool closeWritten(int fd) { return mayChange() ? ::close(fd) == 0 : (::close(fd), false); }

}  // namespace

FileError lastFileError() { return lastError; }

std::string describeFileError(FileError error) {
    switch (error) {
        case FileError::None: return "no error was reported";
        case FileError::NotFound: return "the file or folder does not exist";
        case FileError::AccessDenied: return "access to it is denied";
        case FileError::ReadOnly: return "the disk is read-only";
        case FileError::DiskFull: return "the disk is full";
        case FileError::IoError: return "the disk reported an error";
        case FileError::NotAFile: return "it is not an ordinary file";
        case FileError::Other: return "the system refused it";
    }
    return "the system refused it";
}

void injectFileFault(int after, FileError error) {
    FaultPlan& p = faultPlan();
    p.countdown = after;
    p.done = 0;
    p.error = error;
}

int changingOperations() { return faultPlan().done; }

bool isFileSystemRoot(const std::string& path) {
    char* real = ::realpath(path.empty() ? "." : path.c_str(), nullptr);
    if (!real) return false;
    const bool root = std::strcmp(real, "/") == 0;
    std::free(real);
    return root;
}

std::string resolvePath(const std::string& dir, const std::string& name) {
    if (dir.empty()) return name;
    const std::string exact = dir + "/" + name;
    struct stat st {};
    if (::stat(exact.c_str(), &st) == 0) return exact;
    DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
    if (!d) return exact;
    std::string found;
    while (dirent* e = ::readdir(d)) {
        if (equalsIgnoreCase(e->d_name, name)) {
            // Several spellings in one directory: take the first in byte order, every time.
            if (found.empty() || std::strcmp(e->d_name, found.c_str()) < 0) found = e->d_name;
        }
    }
    ::closedir(d);
    return found.empty() ? exact : dir + "/" + found;
}

bool fileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool directoryExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::int64_t fileSize(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return -1;
    return static_cast<std::int64_t>(st.st_size);
}

bool removeFile(const std::string& path) { return outcome(mayChange() && ::unlink(path.c_str()) == 0); }

bool renameFile(const std::string& from, const std::string& to) {
    return outcome(mayChange() && ::rename(from.c_str(), to.c_str()) == 0);
}

bool copyFile(const std::string& from, const std::string& to) {
    int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return outcome(false);
    int out = mayChange() ? ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644) : -1;
    if (out < 0) {
        const int e = errno;
        ::close(in);
        errno = e;
        return outcome(false);
    }
    char buf[65536];
    bool ok = true;
    off_t at = 0;
    for (;;) {
        ssize_t r = ::read(in, buf, sizeof buf);
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) { ok = false; break; }
        if (r == 0) break;
        if (!writeAll(out, buf, static_cast<std::size_t>(r), at)) { ok = false; break; }
        at += r;
    }
    if (ok && !syncFd(out)) ok = false;
    const int e = errno;
    ::close(in);
    if (!closeWritten(out)) ok = false;
    if (!ok && errno == 0) errno = e;
    return outcome(ok);
}

bool readWholeFile(const std::string& path, std::vector<unsigned char>& out, bool missingIsEmpty) {
    out.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return outcome(missingIsEmpty && errno == ENOENT);
    char buf[65536];
    bool ok = true;
    for (;;) {
        const ssize_t r = ::read(fd, buf, sizeof buf);
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) {
            ok = false;
            break;
        }
        if (r == 0) break;
        out.insert(out.end(), buf, buf + r);
    }
    const int e = errno;
    ::close(fd);
    errno = e;
    return outcome(ok);
}

bool writeWholeFile(const std::string& path, const std::vector<unsigned char>& data) {
    const std::string work = path + ".new";
    const int fd = mayChange() ? ::open(work.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644) : -1;
    if (fd < 0) return outcome(false);
    bool ok = writeAll(fd, data.data(), data.size(), 0) && syncFd(fd);
    int e = errno;
    if (!closeWritten(fd) && ok) {
        ok = false;
        e = errno;
    }
    if (ok && !renameFile(work, path)) {
        ok = false;
        e = errno;
    }
    if (!ok) {
        ::unlink(work.c_str());
        errno = e;
        return outcome(false);
    }
    syncDirectory(parentDirectory(path));
    return outcome(true);
}

bool makeDirectory(const std::string& path) {
    if (directoryExists(path)) return outcome(true);
    return outcome(mayChange() && ::mkdir(path.c_str(), 0755) == 0);
}

bool syncDirectory(const std::string& dir) {
    int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return outcome(false);
    bool ok = syncFd(fd);
    const int e = errno;
    ::close(fd);
    errno = e;
    return outcome(ok);
}

// ---------------------------------------------------------------------------------------------

RecordFile::~RecordFile() { close(); }

bool RecordFile::open(const std::string& path, std::size_t recordLength, bool truncate) {
    close();
    if (recordLength == 0) return false;
    int flags = O_RDWR | O_CREAT | O_CLOEXEC | (truncate ? O_TRUNC : 0);
    int fd = mayChange() ? ::open(path.c_str(), flags, 0644) : -1;
    int writeErrno = 0;
    if (fd < 0) {
        writeErrno = errno;
        // A file that cannot be written can still be read; its writes report why.
        if (!truncate) fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            errno = writeErrno;
            return outcome(false);
        }
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        errno = EISDIR;
        return outcome(false);
    }
    fd_ = fd;
    openErrno_ = writeErrno;
    path_ = path;
    recordLength_ = recordLength;
    openRecordFiles().insert(this);
    return true;
}

bool RecordFile::openExisting(const std::string& path, std::size_t recordLength) {
    if (!fileExists(path)) {
        errno = ENOENT;
        return outcome(false);
    }
    return open(path, recordLength, false);
}

void RecordFile::close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
        openRecordFiles().erase(this);
    }
}

std::int64_t RecordFile::sizeBytes() const {
    if (fd_ < 0) return -1;
    struct stat st {};
    if (::fstat(fd_, &st) != 0) return -1;
    return static_cast<std::int64_t>(st.st_size);
}

std::int64_t RecordFile::recordCount() const {
    std::int64_t s = sizeBytes();
    return s <= 0 ? 0 : s / static_cast<std::int64_t>(recordLength_);
}

bool RecordFile::read(std::int64_t n, void* buf) const {
    if (fd_ < 0 || n < 1) return false;
    const off_t at = static_cast<off_t>((n - 1) * static_cast<std::int64_t>(recordLength_));
    char* p = static_cast<char*>(buf);
    std::size_t got = 0;
    while (got < recordLength_) {
        ssize_t r = ::pread(fd_, p + got, recordLength_ - got, at + static_cast<off_t>(got));
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) return false;
        if (r == 0) break;
        got += static_cast<std::size_t>(r);
    }
    if (got == 0) return false;
    std::memset(p + got, 0, recordLength_ - got);
    return true;
}

bool RecordFile::write(std::int64_t n, const void* buf) { return writeRecords(n, 1, buf); }

bool RecordFile::readRecords(std::int64_t first, std::int64_t count, void* buf) const {
    if (fd_ < 0 || first < 1 || count < 0) return false;
    const std::size_t total = static_cast<std::size_t>(count) * recordLength_;
    const off_t at = static_cast<off_t>((first - 1) * static_cast<std::int64_t>(recordLength_));
    char* p = static_cast<char*>(buf);
    std::size_t got = 0;
    while (got < total) {
        ssize_t r = ::pread(fd_, p + got, total - got, at + static_cast<off_t>(got));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return false;
        got += static_cast<std::size_t>(r);
    }
    return true;
}

bool RecordFile::writeRecords(std::int64_t first, std::int64_t count, const void* buf) {
    if (fd_ < 0 || first < 1 || count < 0) {
        errno = EBADF;
        return outcome(false);
    }
    if (openErrno_ != 0) {
        errno = openErrno_;
        return outcome(false);
    }
    const off_t at = static_cast<off_t>((first - 1) * static_cast<std::int64_t>(recordLength_));
    const std::size_t bytes = static_cast<std::size_t>(count) * recordLength_;
    if (writeAll(fd_, buf, bytes, at)) return outcome(true);
    // A record left half written at the end of the file would read as a record of NULs.
    const int e = errno;
    struct stat st {};
    if (::fstat(fd_, &st) == 0 && st.st_size > at && st.st_size < at + static_cast<off_t>(bytes) &&
        st.st_size % static_cast<off_t>(recordLength_) != 0)
        (void)::ftruncate(fd_, st.st_size - st.st_size % static_cast<off_t>(recordLength_));
    errno = e;
    return outcome(false);
}

bool RecordFile::flush() {
    if (fd_ < 0) {
        errno = EBADF;
        return outcome(false);
    }
    if (openErrno_ != 0) return outcome(true);  // nothing can have been written
    return outcome(syncFd(fd_));
}

bool RecordFile::truncateRecords(std::int64_t count) {
    if (fd_ < 0 || count < 0) {
        errno = EBADF;
        return outcome(false);
    }
    return outcome(mayChange() &&
                   ::ftruncate(fd_, static_cast<off_t>(count * static_cast<std::int64_t>(recordLength_))) == 0);
}

bool RecordFile::stillAt(const std::string& path) const {
    struct stat mine {}, named {};
    if (fd_ < 0 || ::fstat(fd_, &mine) != 0 || ::stat(path.c_str(), &named) != 0) return false;
    return mine.st_dev == named.st_dev && mine.st_ino == named.st_ino;
}

bool RecordFile::finish() {
    if (fd_ < 0) return outcome(true);
    bool ok = flush();
    const int e = errno;
    ::close(fd_);  // after fsync a failing close has nothing left to lose
    fd_ = -1;
    openRecordFiles().erase(this);
    errno = e;
    return outcome(ok);
}

// ---------------------------------------------------------------------------------------------

TextFile::~TextFile() { close(); }

namespace {

// The work file beside a file that is replaced when the writing is done.
std::string workFileFor(const std::string& path) { return path + ".new"; }


}  // namespace

bool TextFile::openFor(const std::string& path) {
    close();
    lineBytes_ = 0;
    failed_ = false;
    error_ = FileError::None;
    buffer_.clear();
    fd_ = mayChange() ? ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644) : -1;
    if (fd_ < 0) {
        failed_ = true;
        outcome(false);
        error_ = lastFileError();
        return false;
    }
    workPath_ = path;
    openTextFiles().insert(this);
    return outcome(true);
}

bool TextFile::create(const std::string& path) {
    target_.clear();
    return openFor(path);
}

bool TextFile::createReplacing(const std::string& path) {
    if (!openFor(workFileFor(path))) return false;
    target_ = path;
    return true;
}

void TextFile::fail() {
    if (!failed_) {
        outcome(false);
        error_ = lastFileError();
    }
    failed_ = true;
}

void TextFile::drain() {
    if (fd_ < 0 || buffer_.empty()) return;
    if (!failed_) {
        off_t at = ::lseek(fd_, 0, SEEK_END);
        if (at < 0 || !writeAll(fd_, buffer_.data(), buffer_.size(), at)) fail();
    }
    buffer_.clear();
}

bool TextFile::flushToDisk() {
    if (fd_ < 0) return false;
    drain();
    if (!failed_ && !syncFd(fd_)) fail();
    return !failed_;
}

bool TextFile::commit() {
    if (fd_ < 0) return false;
    drain();
    if (!failed_ && !syncFd(fd_)) fail();
    const int fd = fd_;
    fd_ = -1;
    openTextFiles().erase(this);
    if (!closeWritten(fd)) fail();
    if (!failed_ && !target_.empty()) {
        if (!renameFile(workPath_, target_)) fail();
        else syncDirectory(parentDirectory(target_));
    }
    if (failed_ && !target_.empty()) ::unlink(workPath_.c_str());
    return !failed_;
}

void TextFile::close() {
    if (fd_ < 0) return;
    drain();
    ::close(fd_);
    fd_ = -1;
    openTextFiles().erase(this);
    if (!target_.empty()) {
        ::unlink(workPath_.c_str());  // never put in place
        failed_ = true;
    }
}

void TextFile::write(std::string_view text) {
    if (fd_ < 0) return;
    buffer_.append(text);
    if (buffer_.size() >= kBufferBytes) drain();
    // The column counts every byte since the last CR LF, control bytes included.
    std::size_t pos = text.rfind("\r\n");
    if (pos == std::string_view::npos) lineBytes_ += text.size();
    else lineBytes_ = text.size() - (pos + 2);
}

void TextFile::crlf() { write("\r\n"); }

void TextFile::line(std::string_view text) {
    write(text);
    crlf();
}

void TextFile::column(int n) {
    if (n < 1) n = 1;
    const std::size_t target = static_cast<std::size_t>(n - 1);
    if (lineBytes_ > target) crlf();
    if (lineBytes_ < target) write(std::string(target - lineBytes_, ' '));
}

void closeAllFiles() {
    while (!openRecordFiles().empty()) (*openRecordFiles().begin())->close();
    while (!openTextFiles().empty()) (*openTextFiles().begin())->close();
}

}  // namespace platform

namespace platform {
namespace {

// Test hook: a fault injected after the given number of replacement steps.
int& faultCountdown() {
    static int n = -1;
    return n;
}

bool replaceStep() {
    int& n = faultCountdown();
    if (n < 0) return true;
    if (n == 0) return false;
    --n;
    return true;
}

bool readJournal(const std::string& path, std::vector<std::pair<std::string, std::string>>& out) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    std::string text;
    char buf[4096];
    std::size_t r;
    while ((r = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, r);
    std::fclose(f);
    // The journal counts only when it was written to its end.
    if (text.size() < 4 || text.compare(text.size() - 4, 4, "END\n") != 0) return false;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t nl = text.find('\n', pos);
        if (nl == std::string::npos) break;
        std::string line = text.substr(pos, nl - pos);
        pos = nl + 1;
        if (line == "END") return true;
        std::size_t tab = line.find('\t');
        if (tab == std::string::npos) return false;
        out.emplace_back(line.substr(0, tab), line.substr(tab + 1));
    }
    return false;
}

bool applyJournal(const std::string& dir, const std::vector<std::pair<std::string, std::string>>& renames) {
    for (const auto& [from, to] : renames) {
        const std::string src = dir + "/" + from;
        if (!fileExists(src)) continue;  // already in place
        if (!replaceStep()) return false;
        if (!renameFile(src, dir + "/" + to)) return false;
    }
    return syncDirectory(dir);
}

}  // namespace

void setReplaceFaultAfter(int steps) { faultCountdown() = steps; }

bool replaceFilesTogether(const std::string& dir, const std::vector<std::pair<std::string, std::string>>& renames) {
    finishPendingReplacement(dir);
    const std::string journal = dir + "/" + kReplaceJournalName;
    const std::string tmp = journal + ".tmp";
    {
        std::string text;
        for (const auto& [from, to] : renames) {
            // The targets keep the spelling they already have on disk.
            const std::string target = resolvePath(dir, to).substr(dir.size() + 1);
            text += resolvePath(dir, from).substr(dir.size() + 1) + "\t" + target + "\n";
        }
        text += "END\n";
        int fd = mayChange() ? ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644) : -1;
        if (fd < 0) return outcome(false);
        bool ok = writeAll(fd, text.data(), text.size(), 0) && syncFd(fd);
        outcome(ok);
        ::close(fd);
        if (!ok || !replaceStep() || !renameFile(tmp, journal) || !syncDirectory(dir)) {
            const FileError why = lastError;
            if (fileExists(tmp)) removeFile(tmp);
            lastError = why;
            return false;
        }
    }
    std::vector<std::pair<std::string, std::string>> planned;
    if (!readJournal(journal, planned)) return false;
    if (!applyJournal(dir, planned)) return false;
    if (!replaceStep()) return false;
    removeFile(journal);
    syncDirectory(dir);
    return true;
}

void finishPendingReplacement(const std::string& dir) {
    const std::string journal = dir + "/" + kReplaceJournalName;
    // Never acted on: the renames start only after the journal is in place.
    if (fileExists(journal + ".tmp")) removeFile(journal + ".tmp");
    if (!fileExists(journal)) return;
    std::vector<std::pair<std::string, std::string>> planned;
    if (readJournal(journal, planned)) {
        if (!applyJournal(dir, planned)) return;  // try again next time
    }
    removeFile(journal);
    syncDirectory(dir);
}

}  // namespace platform
