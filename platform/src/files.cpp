#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <set>

namespace platform {
namespace {

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
    const char* p = static_cast<const char*>(data);
    while (n > 0) {
        ssize_t w = ::pwrite(fd, p, n, at);
        if (w < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += w;
        n -= static_cast<std::size_t>(w);
        at += w;
    }
    return true;
}

}  // namespace

std::string resolvePath(const std::string& dir, const std::string& name) {
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

bool removeFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

bool renameFile(const std::string& from, const std::string& to) { return ::rename(from.c_str(), to.c_str()) == 0; }

bool copyFile(const std::string& from, const std::string& to) {
    int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return false;
    int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (out < 0) {
        ::close(in);
        return false;
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
    if (ok && ::fsync(out) != 0) ok = false;
    ::close(in);
    if (::close(out) != 0) ok = false;
    return ok;
}

bool makeDirectory(const std::string& path) { return ::mkdir(path.c_str(), 0755) == 0 || directoryExists(path); }

bool syncDirectory(const std::string& dir) {
    int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

// ---------------------------------------------------------------------------------------------

RecordFile::~RecordFile() { close(); }

bool RecordFile::open(const std::string& path, std::size_t recordLength, bool truncate) {
    close();
    if (recordLength == 0) return false;
    int flags = O_RDWR | O_CREAT | O_CLOEXEC | (truncate ? O_TRUNC : 0);
    int fd = ::open(path.c_str(), flags, 0644);
    if (fd < 0) fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);  // a read-only file can still be read
    if (fd < 0) return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    path_ = path;
    recordLength_ = recordLength;
    openRecordFiles().insert(this);
    return true;
}

bool RecordFile::openExisting(const std::string& path, std::size_t recordLength) {
    if (!fileExists(path)) return false;
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

bool RecordFile::write(std::int64_t n, const void* buf) {
    if (fd_ < 0 || n < 1) return false;
    const off_t at = static_cast<off_t>((n - 1) * static_cast<std::int64_t>(recordLength_));
    return writeAll(fd_, buf, recordLength_, at);
}

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
    if (fd_ < 0 || first < 1 || count < 0) return false;
    const off_t at = static_cast<off_t>((first - 1) * static_cast<std::int64_t>(recordLength_));
    return writeAll(fd_, buf, static_cast<std::size_t>(count) * recordLength_, at);
}

bool RecordFile::flush() { return fd_ >= 0 && ::fsync(fd_) == 0; }

// ---------------------------------------------------------------------------------------------

TextFile::~TextFile() { close(); }

bool TextFile::create(const std::string& path) {
    close();
    f_ = std::fopen(path.c_str(), "wb");
    lineBytes_ = 0;
    failed_ = f_ == nullptr;
    if (f_) openTextFiles().insert(this);
    return f_ != nullptr;
}

void TextFile::close() {
    if (f_) {
        if (std::fclose(f_) != 0) failed_ = true;
        f_ = nullptr;
        openTextFiles().erase(this);
    }
}

void TextFile::write(std::string_view text) {
    if (!f_) return;
    if (!text.empty() && std::fwrite(text.data(), 1, text.size(), f_) != text.size()) failed_ = true;
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

}  // namespace

void setReplaceFaultAfter(int steps) { faultCountdown() = steps; }

static bool replaceStep() {
    int& n = faultCountdown();
    if (n < 0) return true;
    if (n == 0) return false;
    --n;
    return true;
}

static bool readJournal(const std::string& path, std::vector<std::pair<std::string, std::string>>& out) {
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

static bool applyJournal(const std::string& dir, const std::vector<std::pair<std::string, std::string>>& renames) {
    for (const auto& [from, to] : renames) {
        const std::string src = dir + "/" + from;
        if (!fileExists(src)) continue;  // already in place
        if (!replaceStep()) return false;
        if (!renameFile(src, dir + "/" + to)) return false;
    }
    return syncDirectory(dir);
}

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
        int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0) return false;
        bool ok = writeAll(fd, text.data(), text.size(), 0) && ::fsync(fd) == 0;
        ::close(fd);
        if (!ok || !replaceStep() || !renameFile(tmp, journal) || !syncDirectory(dir)) {
            removeFile(tmp);
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
    removeFile(journal + ".tmp");  // never acted on: the renames start only after it is in place
    if (!fileExists(journal)) return;
    std::vector<std::pair<std::string, std::string>> planned;
    if (readJournal(journal, planned)) {
        if (!applyJournal(dir, planned)) return;  // try again next time
    }
    removeFile(journal);
    syncDirectory(dir);
}

}  // namespace platform
