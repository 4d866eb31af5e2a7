// The file layer over the system's primitives (os_files.h): fault injection for the tests, the
// record and text files, copying, the journalled replacement, and "close all files". The same
// code runs on every system, so the bytes on disk are the same everywhere.
#include "platform/files.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <set>
#include <utility>

#include "os_files.h"

namespace platform {
namespace {

thread_local FileError lastError = FileError::None;

struct FaultPlan {
    int countdown = -1;   // the changing operation that fails, counted from 0; -1 none
    int done = 0;         // changing operations since the plan was set
    FileError error = FileError::DiskFull;
    FaultAction action = FaultAction::Fail;
    std::vector<std::string>* trace = nullptr;
};

FaultPlan& faultPlan() {
    static FaultPlan p;
    return p;
}

std::string baseName(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Every operation that changes the disk asks first; an injected fault answers false and leaves
// the reason a real failure would have left, or ends the process there.
bool mayChange(const char* what, const std::string& path, const std::string& other = {}) {
    FaultPlan& p = faultPlan();
    const int n = p.done++;
    if (p.trace) {
        std::string step = std::string(what).append(" ").append(baseName(path));
        if (!other.empty()) step.append(" ").append(baseName(other));
        p.trace->push_back(std::move(step));
    }
    if (p.countdown >= 0 && n == p.countdown) {
        if (p.action == FaultAction::Exit) std::_Exit(kFaultExitStatus);
        os::injectError(p.error);
        return false;
    }
    return true;
}

// Records the outcome of an operation for lastFileError and passes it on.
bool outcome(bool ok) {
    lastError = ok ? FileError::None : os::lastError();
    return ok;
}

bool failWith(FileError why) {
    lastError = why;
    return false;
}

std::set<RecordFile*>& openRecordFiles() {
    static std::set<RecordFile*> s;
    return s;
}
std::set<TextFile*>& openTextFiles() {
    static std::set<TextFile*> s;
    return s;
}

bool writeAll(os::Fd fd, const std::string& path, const void* data, std::size_t n, std::int64_t at) {
    return mayChange("write", path) && os::writeAt(fd, data, n, at);
}

bool syncFd(os::Fd fd, const std::string& path) { return mayChange("sync", path) && os::syncFile(fd); }

os::Fd openChanging(const std::string& path, os::OpenMode mode) {
    return mayChange("create", path) ? os::openFile(path, mode) : os::kNoFd;
}

std::string parentDirectory(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool closeWritten(os::Fd fd, const std::string& path) {
    if (mayChange("close", path)) return os::closeWrittenFile(fd);
    os::closeFile(fd);
    return false;
}

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
        case FileError::TooLarge: return "it is larger than such a file can be, so it is damaged";
        case FileError::Other: return "the system refused it";
    }
    return "the system refused it";
}

void injectFileFault(int after, FileError error, FaultAction action) {
    FaultPlan& p = faultPlan();
    p.countdown = after;
    p.done = 0;
    p.error = error;
    p.action = action;
}

void traceFileChanges(std::vector<std::string>* log) { faultPlan().trace = log; }

int changingOperations() { return faultPlan().done; }

std::string fullPath(const std::string& path) {
    if (path.empty()) return path;
    const std::string whole = os::absolutePath(path);
    return whole.empty() ? path : whole;
}

bool isFileSystemRoot(const std::string& path) { return os::isRoot(path.empty() ? "." : path); }

std::string resolvePath(const std::string& dir, const std::string& name) {
    if (dir.empty()) return name;
    const std::string found = os::findName(dir, name);
    return dir + "/" + (found.empty() ? name : found);
}

std::vector<std::string> listDirectory(const std::string& dir) { return os::listNames(dir); }

bool fileExists(const std::string& path) { return os::pathKind(path) == os::PathKind::File; }

bool directoryExists(const std::string& path) { return os::pathKind(path) == os::PathKind::Directory; }

std::int64_t fileSize(const std::string& path) { return os::pathSize(path); }

FileError checkOrdinaryFile(const std::string& path, std::int64_t maxBytes) {
    if (os::pathKind(path) == os::PathKind::Missing) return FileError::None;
    const os::Fd fd = os::openFile(path, os::OpenMode::ReadOnly);
    if (fd == os::kNoFd) return os::lastError();
    const std::int64_t size = os::sizeOf(fd);
    os::closeFile(fd);
    return size > maxBytes ? FileError::TooLarge : FileError::None;
}

bool sameFileAt(const std::string& a, const std::string& b) { return os::samePathFile(a, b); }

bool removeFile(const std::string& path) { return outcome(mayChange("remove", path) && os::removePath(path)); }

bool renameFile(const std::string& from, const std::string& to) {
    return outcome(mayChange("rename", from, to) && os::renamePath(from, to));
}

bool copyFile(const std::string& from, const std::string& to) {
    const os::Fd in = os::openFile(from, os::OpenMode::ReadOnly);
    if (in == os::kNoFd) return outcome(false);
    const os::Fd out = openChanging(to, os::OpenMode::WriteTruncate);
    if (out == os::kNoFd) {
        const FileError why = os::lastError();
        os::closeFile(in);
        return failWith(why);
    }
    char buf[65536];
    FileError why = FileError::None;
    std::int64_t at = 0;
    for (;;) {
        std::size_t got = 0;
        if (!os::readAt(in, buf, sizeof buf, at, got)) {
            why = os::lastError();
            break;
        }
        if (got == 0) break;
        if (!writeAll(out, to, buf, got, at)) {
            why = os::lastError();
            break;
        }
        at += static_cast<std::int64_t>(got);
    }
    if (why == FileError::None && !syncFd(out, to)) why = os::lastError();
    os::closeFile(in);
    if (!closeWritten(out, to) && why == FileError::None) why = os::lastError();
    return why == FileError::None ? outcome(true) : failWith(why);
}

bool replaceWithCopy(const std::string& from, const std::string& to) {
    // A name beside the target that nothing has: made new, so no file of the user's is touched.
    std::string work;
    for (int n = 1; n <= 99 && work.empty(); ++n) {
        const std::string candidate = to + ".part" + std::to_string(n);
        if (os::pathKind(candidate) != os::PathKind::Missing) continue;
        const os::Fd fd = openChanging(candidate, os::OpenMode::CreateNew);
        if (fd == os::kNoFd) return outcome(false);
        os::closeFile(fd);
        work = candidate;
    }
    if (work.empty()) return failWith(FileError::Other);
    FileError why = FileError::None;
    if (!copyFile(from, work) || !renameFile(work, to)) why = lastError;
    if (why != FileError::None) {
        os::removePath(work);
        return failWith(why);
    }
    syncDirectory(parentDirectory(to));
    return outcome(true);
}

bool readWholeFile(const std::string& path, std::vector<unsigned char>& out, std::int64_t maxBytes,
                   bool missingIsEmpty) {
    out.clear();
    if (missingIsEmpty && os::pathKind(path) == os::PathKind::Missing) return outcome(true);
    const os::Fd fd = os::openFile(path, os::OpenMode::ReadOnly);
    if (fd == os::kNoFd) return outcome(false);
    const std::int64_t size = os::sizeOf(fd);
    if (size > maxBytes) {
        os::closeFile(fd);
        return failWith(FileError::TooLarge);
    }
    out.reserve(static_cast<std::size_t>(std::max<std::int64_t>(size, 0)));
    unsigned char buf[65536];
    bool ok = true;
    for (std::int64_t at = 0;;) {
        std::size_t got = 0;
        if (!os::readAt(fd, buf, sizeof buf, at, got)) {
            ok = false;
            break;
        }
        if (got == 0) break;
        at += static_cast<std::int64_t>(got);
        if (at > maxBytes) {  // it grew while being read
            os::closeFile(fd);
            out.clear();
            return failWith(FileError::TooLarge);
        }
        out.insert(out.end(), buf, buf + got);
    }
    const FileError why = ok ? FileError::None : os::lastError();
    os::closeFile(fd);
    return ok ? outcome(true) : failWith(why);
}

bool writeWholeFile(const std::string& path, const std::vector<unsigned char>& data) {
    const std::string work = path + ".new";
    const os::Fd fd = openChanging(work, os::OpenMode::WriteTruncate);
    if (fd == os::kNoFd) return outcome(false);
    FileError why = FileError::None;
    if (!writeAll(fd, work, data.data(), data.size(), 0) || !syncFd(fd, work)) why = os::lastError();
    if (!closeWritten(fd, work) && why == FileError::None) why = os::lastError();
    if (why == FileError::None && !renameFile(work, path)) why = lastError;
    if (why != FileError::None) {
        os::removePath(work);
        return failWith(why);
    }
    // In place: a directory that cannot be flushed leaves it there all the same.
    syncDirectory(parentDirectory(path));
    return outcome(true);
}

bool makeDirectory(const std::string& path) {
    if (directoryExists(path)) return outcome(true);
    return outcome(mayChange("mkdir", path) && os::createDirectory(path));
}

bool syncDirectory(const std::string& dir) { return outcome(mayChange("syncdir", dir) && os::syncDirectoryOf(dir)); }

// ---------------------------------------------------------------------------------------------

ByteBlock::ByteBlock(std::size_t size) : data_(static_cast<unsigned char*>(os::allocateBlock(size))), size_(size) {
    if (!data_) throw std::bad_alloc();
}

ByteBlock::ByteBlock(ByteBlock&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}

ByteBlock& ByteBlock::operator=(ByteBlock&& other) noexcept {
    if (this != &other) {
        if (data_) os::releaseBlock(data_, size_);
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
    }
    return *this;
}

ByteBlock::~ByteBlock() {
    if (data_) os::releaseBlock(data_, size_);
}

// ---------------------------------------------------------------------------------------------

RecordFile::~RecordFile() { close(); }

bool RecordFile::open(const std::string& path, std::size_t recordLength, bool truncate, std::int64_t maxBytes) {
    close();
    if (recordLength == 0) return false;
    const os::OpenMode mode = truncate ? os::OpenMode::ReadWriteTruncate : os::OpenMode::ReadWrite;
    os::Fd fd = openChanging(path, mode);
    FileError writeError = FileError::None;
    if (fd == os::kNoFd) {
        writeError = os::lastError();
        // A file that cannot be written can still be read; its writes report why.
        if (!truncate) fd = os::openFile(path, os::OpenMode::ReadOnly);
        if (fd == os::kNoFd) return failWith(writeError);
    }
    if (maxBytes >= 0 && os::sizeOf(fd) > maxBytes) {
        os::closeFile(fd);
        return failWith(FileError::TooLarge);
    }
    fd_ = fd;
    openError_ = writeError;
    path_ = path;
    recordLength_ = recordLength;
    openRecordFiles().insert(this);
    return outcome(true);
}

bool RecordFile::openExisting(const std::string& path, std::size_t recordLength, std::int64_t maxBytes) {
    if (os::pathKind(path) == os::PathKind::Missing) return failWith(FileError::NotFound);
    return open(path, recordLength, false, maxBytes);
}

void RecordFile::close() {
    if (fd_ >= 0) {
        os::closeFile(fd_);
        fd_ = -1;
        openRecordFiles().erase(this);
    }
}

std::int64_t RecordFile::sizeBytes() const {
    if (fd_ < 0) return -1;
    return os::sizeOf(fd_);
}

std::int64_t RecordFile::recordCount() const {
    std::int64_t s = sizeBytes();
    return s <= 0 ? 0 : s / static_cast<std::int64_t>(recordLength_);
}

bool RecordFile::read(std::int64_t n, void* buf) const {
    if (fd_ < 0 || n < 1) return false;
    const std::int64_t at = (n - 1) * static_cast<std::int64_t>(recordLength_);
    char* p = static_cast<char*>(buf);
    std::size_t got = 0;
    while (got < recordLength_) {
        std::size_t r = 0;
        if (!os::readAt(fd_, p + got, recordLength_ - got, at + static_cast<std::int64_t>(got), r)) return false;
        if (r == 0) break;
        got += r;
    }
    if (got == 0) return false;
    std::memset(p + got, 0, recordLength_ - got);
    return true;
}

bool RecordFile::write(std::int64_t n, const void* buf) { return writeRecords(n, 1, buf); }

bool RecordFile::readRecords(std::int64_t first, std::int64_t count, void* buf) const {
    if (fd_ < 0 || first < 1 || count < 0) return false;
    const std::size_t total = static_cast<std::size_t>(count) * recordLength_;
    const std::int64_t at = (first - 1) * static_cast<std::int64_t>(recordLength_);
    char* p = static_cast<char*>(buf);
    std::size_t got = 0;
    while (got < total) {
        std::size_t r = 0;
        if (!os::readAt(fd_, p + got, total - got, at + static_cast<std::int64_t>(got), r) || r == 0) return false;
        got += r;
    }
    return true;
}

bool RecordFile::readAll(ByteBlock& out, std::int64_t maxBytes) const {
    if (fd_ < 0) return failWith(FileError::Other);
    const std::int64_t size = os::sizeOf(fd_);
    if (size < 0) return outcome(false);
    if (size > maxBytes) return failWith(FileError::TooLarge);
    ByteBlock block(static_cast<std::size_t>(size));
    std::size_t got = 0;
    while (got < block.size()) {
        std::size_t r = 0;
        if (!os::readAt(fd_, block.data() + got, block.size() - got, static_cast<std::int64_t>(got), r)) return outcome(false);
        if (r == 0) return failWith(FileError::IoError);  // cut short while it was read
        got += r;
    }
    out = std::move(block);
    return outcome(true);
}

bool RecordFile::writeRecords(std::int64_t first, std::int64_t count, const void* buf) {
    if (fd_ < 0 || first < 1 || count < 0) return failWith(FileError::Other);
    if (openError_ != FileError::None) return failWith(openError_);
    const std::int64_t at = (first - 1) * static_cast<std::int64_t>(recordLength_);
    const std::size_t bytes = static_cast<std::size_t>(count) * recordLength_;
    if (writeAll(fd_, path_, buf, bytes, at)) return outcome(true);
    // A record left half written at the end of the file would read as a record of NULs.
    const FileError why = os::lastError();
    const std::int64_t size = os::sizeOf(fd_);
    const std::int64_t length = static_cast<std::int64_t>(recordLength_);
    if (size > at && size < at + static_cast<std::int64_t>(bytes) && size % length != 0)
        (void)os::truncateFile(fd_, size - size % length);
    return failWith(why);
}

bool RecordFile::flush() {
    if (fd_ < 0) return failWith(FileError::Other);
    if (openError_ != FileError::None) return outcome(true);  // nothing can have been written
    return outcome(syncFd(fd_, path_));
}

bool RecordFile::truncateRecords(std::int64_t count) {
    if (fd_ < 0 || count < 0) return failWith(FileError::Other);
    return outcome(mayChange("truncate", path_) && os::truncateFile(fd_, count * static_cast<std::int64_t>(recordLength_)));
}

bool RecordFile::stillAt(const std::string& path) const { return fd_ >= 0 && os::sameFile(fd_, path); }

bool RecordFile::finish() {
    if (fd_ < 0) return outcome(true);
    const bool ok = flush();
    const FileError why = lastError;
    os::closeFile(fd_);  // after the flush a failing close has nothing left to lose
    fd_ = -1;
    openRecordFiles().erase(this);
    lastError = why;
    return ok;
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
    fd_ = openChanging(path, os::OpenMode::WriteTruncate);
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

void TextFile::writeOut(std::string_view bytes) {
    if (failed_) return;
    const std::int64_t at = os::sizeOf(fd_);
    if (at < 0 || !writeAll(fd_, workPath_, bytes.data(), bytes.size(), at)) fail();
}

void TextFile::drain() {
    if (fd_ < 0 || buffer_.empty()) return;
    writeOut(buffer_);
    buffer_.clear();
}

bool TextFile::commit() {
    if (!finishWork()) return false;
    if (target_.empty()) return true;
    if (!renameFile(workPath_, target_)) {
        fail();
        os::removePath(workPath_);
        return false;
    }
    syncDirectory(parentDirectory(target_));
    return true;
}

bool TextFile::finishWork() {
    if (fd_ < 0) return false;
    drain();
    if (!failed_ && !syncFd(fd_, workPath_)) fail();
    const os::Fd fd = fd_;
    fd_ = -1;
    openTextFiles().erase(this);
    if (!closeWritten(fd, workPath_)) fail();
    if (failed_ && !target_.empty()) os::removePath(workPath_);
    return !failed_;
}

void TextFile::close() {
    if (fd_ < 0) return;
    drain();
    os::closeFile(fd_);
    fd_ = -1;
    openTextFiles().erase(this);
    if (!target_.empty()) {
        os::removePath(workPath_);  // never put in place
        failed_ = true;
    }
}

void TextFile::write(std::string_view text) {
    if (fd_ < 0) return;
    if (buffer_.empty() && text.size() >= kBufferBytes) {
        writeOut(text);  // a whole buffer's worth goes to the file without a copy
    } else {
        buffer_.append(text);
        if (buffer_.size() >= kBufferBytes) drain();
    }
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

using Renames = std::vector<std::pair<std::string, std::string>>;

// A name that stays in the folder it is joined to: no folder part, no drive, no "." or "..",
// nothing a file name cannot hold.
bool isBareName(const std::string& name) {
    if (name.empty() || name.size() > 255 || name == "." || name == "..") return false;
    for (const char c : name)
        if (c == '/' || c == '\\' || c == ':' || static_cast<unsigned char>(c) < 32 || c == 127) return false;
    return true;
}

// Why a rename may not be done; empty when it may.
std::string renameProblem(const std::string& from, const std::string& to, JournalNameCheck allowed) {
    for (const std::string* name : {&from, &to})
        if (!isBareName(*name) || (allowed && !allowed(*name))) return "\"" + *name + "\" is not a file it may rename";
    return {};
}

enum class JournalRead { Complete, Incomplete, Refused };

// The renames of a journal written to its end (Complete). A journal cut short was never acted
// on (Incomplete). Anything else is Refused with the reason in problem.
JournalRead readJournal(const std::string& path, JournalNameCheck allowed, Renames& out, std::string& problem) {
    out.clear();
    std::vector<unsigned char> bytes;
    if (!readWholeFile(path, bytes, kMaxJournalBytes, false)) {
        problem = "it cannot be read: " + describeFileError(lastError);
        return JournalRead::Refused;
    }
    const std::string text(bytes.begin(), bytes.end());
    // The journal counts only when it was written to its end.
    if (text.size() < 4 || text.compare(text.size() - 4, 4, "END\n") != 0) return JournalRead::Incomplete;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t nl = text.find('\n', pos);
        const std::string line = text.substr(pos, nl - pos);
        pos = nl + 1;
        if (line == "END") return pos == text.size() ? JournalRead::Complete : JournalRead::Incomplete;
        const std::size_t tab = line.find('\t');
        if (tab == std::string::npos) {
            problem = "a line of it is not a rename";
            return JournalRead::Refused;
        }
        out.emplace_back(line.substr(0, tab), line.substr(tab + 1));
        problem = renameProblem(out.back().first, out.back().second, allowed);
        if (!problem.empty()) return JournalRead::Refused;
    }
    return JournalRead::Incomplete;
}

// The renames in the journal's order, then the folder flushed so that they last.
bool applyJournal(const std::string& dir, const Renames& renames) {
    for (const auto& [from, to] : renames) {
        const std::string src = dir + "/" + from;
        if (!fileExists(src)) continue;  // already in place
        if (!replaceStep()) return false;
        if (!renameFile(src, dir + "/" + to)) return false;
    }
    return syncDirectory(dir);
}

bool writeJournal(const std::string& dir, const Renames& renames) {
    const std::string journal = dir + "/" + kReplaceJournalName;
    const std::string tmp = journal + ".tmp";
    std::string text;
    for (const auto& [from, to] : renames) {
        // The targets keep the spelling they already have on disk.
        const std::string target = resolvePath(dir, to).substr(dir.size() + 1);
        text += resolvePath(dir, from).substr(dir.size() + 1) + "\t" + target + "\n";
    }
    text += "END\n";
    const os::Fd fd = openChanging(tmp, os::OpenMode::WriteTruncate);
    if (fd == os::kNoFd) return outcome(false);
    const bool ok = writeAll(fd, tmp, text.data(), text.size(), 0) && syncFd(fd, tmp);
    outcome(ok);
    os::closeFile(fd);
    if (ok && replaceStep() && renameFile(tmp, journal) && syncDirectory(dir)) return true;
    const FileError why = lastError;
    if (fileExists(tmp)) removeFile(tmp);
    lastError = why;
    return false;
}

}  // namespace

void setReplaceFaultAfter(int steps) { faultCountdown() = steps; }

bool replaceFilesTogether(const std::string& dir, const Renames& renames, JournalNameCheck allowed) {
    // An earlier replacement is finished first; one that cannot be is never written over.
    const PendingReplacement earlier = finishPendingReplacement(dir, allowed);
    if (earlier.state == PendingReplacement::State::Unfinished || earlier.state == PendingReplacement::State::Refused)
        return failWith(earlier.state == PendingReplacement::State::Refused ? FileError::Other : lastError);
    // A journal is written only for renames that can be done: a target that is a folder or
    // another non-file would leave it pending for ever.
    for (const auto& [from, to] : renames) {
        if (!renameProblem(from, to, allowed).empty()) return failWith(FileError::Other);
        if (!fileExists(resolvePath(dir, from))) return failWith(FileError::NotFound);
        const os::PathKind target = os::pathKind(resolvePath(dir, to));
        if (target != os::PathKind::Missing && target != os::PathKind::File) return failWith(FileError::NotAFile);
    }
    // A single file is replaced by its rename, which is one step of itself: no journal to wait for.
    if (renames.size() == 1) {
        const std::string target = resolvePath(dir, renames[0].second);  // the spelling on disk
        return replaceStep() && renameFile(resolvePath(dir, renames[0].first), target) && syncDirectory(dir);
    }
    if (!writeJournal(dir, renames)) return false;
    const std::string journal = dir + "/" + kReplaceJournalName;
    Renames planned;
    std::string problem;
    if (readJournal(journal, allowed, planned, problem) != JournalRead::Complete) return failWith(FileError::IoError);
    if (!applyJournal(dir, planned) || !replaceStep()) return false;
    removeFile(journal);
    syncDirectory(dir);
    return true;
}

PendingReplacement finishPendingReplacement(const std::string& dir, JournalNameCheck allowed) {
    using State = PendingReplacement::State;
    const std::string journal = dir + "/" + kReplaceJournalName;
    // Never acted on: the renames start only after the journal is in place.
    if (fileExists(journal + ".tmp")) removeFile(journal + ".tmp");
    if (os::pathKind(journal) == os::PathKind::Missing) return {};
    Renames planned;
    std::string problem;
    switch (readJournal(journal, allowed, planned, problem)) {
        case JournalRead::Refused: return {State::Refused, problem};
        case JournalRead::Complete:
            if (!applyJournal(dir, planned)) return {State::Unfinished, {}};  // tried again next time
            break;
        case JournalRead::Incomplete: break;
    }
    removeFile(journal);
    syncDirectory(dir);
    return {State::Finished, {}};
}

}  // namespace platform
