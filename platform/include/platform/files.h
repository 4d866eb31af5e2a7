// Files of the data directory: random-access files of fixed-length records, sequential text
// output, and the file operations the module needs. File names are matched without regard to
// letter case: an existing file is found whatever its case, a new one is created in the case
// asked for, so "depr.fil" and "DEPR.FIL" always name one file.
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

// Why a file operation failed, in the terms the user is told.
enum class FileError { None, NotFound, AccessDenied, ReadOnly, DiskFull, IoError, NotAFile, TooLarge, Other };

// The reason of the last failed file operation of this thread (None when the last one that
// reported did not fail). Each operation below that returns false sets it.
FileError lastFileError();
// A short phrase for a message: "the disk is full", "the disk is read-only", ...
std::string describeFileError(FileError error);

// Tests: the file operations that change something on disk (creating or opening a file for
// writing, writing, flushing, closing a written file, renaming, copying, removing) are counted;
// the one numbered `after` (from 0) fails with `error`, as a full disk or a read-only share would
// make it fail. -1 switches the fault off. The operations done since the last call are counted
// by changingOperations().
// With FaultAction::Exit the process ends there instead (std::_Exit with kFaultExitStatus), as a
// pulled plug or a killed program would end it.
enum class FaultAction { Fail, Exit };
inline constexpr int kFaultExitStatus = 86;
void injectFileFault(int after, FileError error = FileError::DiskFull, FaultAction action = FaultAction::Fail);
int changingOperations();
// Tests: every changing operation from now on is noted in *log as "<what> <file name>" (what is
// one of create, write, sync, close, rename (then "<from> <to>"), remove, truncate, syncdir,
// mkdir), in the order done; nullptr stops the noting.
void traceFileChanges(std::vector<std::string>* log);

// dir + "/" + the name of the existing file in dir whose name equals `name` ignoring letter
// case (the exact name is preferred when several match), or dir + "/" + name when none exists.
// An empty dir is the current directory, never the root.
std::string resolvePath(const std::string& dir, const std::string& name);

// The whole path of a file, for a message that says where it is ("/home/ann/books/report.pdf",
// "C:\\Books\\report.pdf"): taken from the current directory when relative, "." and ".." worked out
// from the names alone (links are not followed). The path as given when that cannot be done.
std::string fullPath(const std::string& path);

// Whether path names the root folder of the file system (after following links and "..").
bool isFileSystemRoot(const std::string& path);

// The names in a folder, in no particular order ("." and ".." left out).
std::vector<std::string> listDirectory(const std::string& dir);

bool fileExists(const std::string& path);
bool directoryExists(const std::string& path);
std::int64_t fileSize(const std::string& path);  // -1 when it does not exist
bool removeFile(const std::string& path);
// Atomic replacement on one file system; the target keeps the name it already has.
bool renameFile(const std::string& from, const std::string& to);
bool copyFile(const std::string& from, const std::string& to);
// Puts a copy of from in place of to (made when missing): the copy goes into a new file beside
// to, which is then renamed over it, so a failure (a full disk) leaves to as it was and nothing
// is ever written through a link that stands at to.
bool replaceWithCopy(const std::string& from, const std::string& to);
// Whether path can be read as a file of at most maxBytes: None when it can, or when it does not
// exist; NotAFile for a folder, a pipe or a device; TooLarge; or why it cannot be opened. Nothing
// is read and nothing waits.
FileError checkOrdinaryFile(const std::string& path, std::int64_t maxBytes);
// Whether two paths name the same file (links followed); false when either does not exist.
bool sameFileAt(const std::string& a, const std::string& b);
// The whole content of a file; false when it cannot be read (a missing file reads as empty and
// true when missingIsEmpty). Only an ordinary file is read (NotAFile otherwise: a pipe or a
// device is never waited on or read without end), and only up to maxBytes (TooLarge beyond).
bool readWholeFile(const std::string& path, std::vector<unsigned char>& out, std::int64_t maxBytes,
                   bool missingIsEmpty = true);
// Writes data as the new content of path in one step: a work file beside it is written, flushed
// and renamed over it, so a failure leaves the previous content as it was.
bool writeWholeFile(const std::string& path, const std::vector<unsigned char>& data);
bool makeDirectory(const std::string& path);
bool syncDirectory(const std::string& dir);

// The bytes of a whole file, read in one piece. They are not cleared beforehand (the read fills
// every one), and a block of megabytes comes in large pages where the system gives them: a
// register of thousands of records then costs a handful of page faults, not thousands.
class ByteBlock {
public:
    ByteBlock() = default;
    // size bytes, their values unset; throws std::bad_alloc when there is no memory.
    explicit ByteBlock(std::size_t size);
    ByteBlock(ByteBlock&& other) noexcept;
    ByteBlock& operator=(ByteBlock&& other) noexcept;
    ByteBlock(const ByteBlock&) = delete;
    ByteBlock& operator=(const ByteBlock&) = delete;
    ~ByteBlock();

    unsigned char* data() { return data_; }
    const unsigned char* data() const { return data_; }
    std::size_t size() const { return size_; }
    std::span<const unsigned char> bytes() const { return {data_, size_}; }

private:
    unsigned char* data_ = nullptr;
    std::size_t size_ = 0;
};

// A random-access file of fixed-length records numbered from 1. Opening creates a missing
// file (empty). Reads and writes of whole records only; a failure has no effect and reports
// false, never throws.
class RecordFile {
public:
    RecordFile() = default;
    RecordFile(const RecordFile&) = delete;
    RecordFile& operator=(const RecordFile&) = delete;
    ~RecordFile();

    // Opens (creating when missing) path with the record length. truncate empties the file.
    // Only an ordinary file opens (NotAFile otherwise); one larger than maxBytes (when not -1)
    // is refused as TooLarge.
    bool open(const std::string& path, std::size_t recordLength, bool truncate = false, std::int64_t maxBytes = -1);
    // Opens an existing file only.
    bool openExisting(const std::string& path, std::size_t recordLength, std::int64_t maxBytes = -1);
    void close();
    bool isOpen() const { return fd_ >= 0; }
    const std::string& path() const { return path_; }
    std::size_t recordLength() const { return recordLength_; }

    std::int64_t sizeBytes() const;     // -1 when not open
    std::int64_t recordCount() const;   // whole records in the file
    // Reads record n (from 1) into buf (recordLength bytes). False when past the end or on error;
    // a record cut short by the end of the file is filled with NULs and reported as read.
    bool read(std::int64_t n, void* buf) const;
    bool write(std::int64_t n, const void* buf);
    // count whole records from record first on, in one transfer (count * recordLength bytes);
    // reading fails when the file holds fewer.
    bool readRecords(std::int64_t first, std::int64_t count, void* buf) const;
    // The whole file as it is now, a part of a record at its end included, in one read. False
    // when it cannot be read, or (TooLarge) when it has grown beyond maxBytes.
    bool readAll(ByteBlock& out, std::int64_t maxBytes) const;
    bool writeRecords(std::int64_t first, std::int64_t count, const void* buf);
    bool flush();   // to the disk
    // Cuts the file to its first count records (an addition that could not be completed).
    bool truncateRecords(std::int64_t count);
    // Whether path still names the file this object has open (it was not replaced meanwhile).
    bool stillAt(const std::string& path) const;
    // Flushes to the disk and closes; false (and lastFileError) when either failed.
    bool finish();

private:
    std::intptr_t fd_ = -1;   // the system's file handle
    FileError openError_ = FileError::None;  // why a file opened for reading only could not be opened for writing
    std::string path_;
    std::size_t recordLength_ = 0;
};

// Sequential text output with the column rule of the reports: the column is the number of
// bytes written since the last CR LF, plus one.
class TextFile {
public:
    TextFile() = default;
    TextFile(const TextFile&) = delete;
    TextFile& operator=(const TextFile&) = delete;
    ~TextFile();

    // Creates path; an existing file is emptied.
    bool create(const std::string& path);
    // Writes into a work file beside path; commit() puts it in place of path in one step, so a
    // failed or abandoned write leaves the previous file as it was.
    bool createReplacing(const std::string& path);
    // Flushes to the disk, closes, and for createReplacing renames the work file over the
    // target. False when any write, the flush, the close or the rename failed; the work file
    // is then removed.
    bool commit();
    // For createReplacing, when the file goes into place together with others: flushes to the
    // disk and closes the work file (workPath()) without renaming it. False when any write, the
    // flush or the close failed; the work file is then removed.
    bool finishWork();
    const std::string& workPath() const { return workPath_; }
    // Closes without committing: a createReplacing work file is removed.
    void close();
    bool isOpen() const { return fd_ >= 0; }
    bool good() const { return isOpen() && !failed_; }

    void write(std::string_view text);
    void put(char c) { write(std::string_view(&c, 1)); }
    void line(std::string_view text = {});   // text, then CR LF
    void crlf();
    // Moves to column n (from 1): blanks up to n-1 bytes on the line; when more stand there
    // already, a CR LF first and then n-1 blanks.
    void column(int n);
    int currentColumn() const { return static_cast<int>(lineBytes_) + 1; }

    FileError error() const { return error_; }

private:
    static constexpr std::size_t kBufferBytes = 1 << 16;
    bool openFor(const std::string& path);
    void writeOut(std::string_view bytes);  // at the end of the file, unless a write failed
    void drain();   // the buffered bytes to the file
    void fail();

    std::intptr_t fd_ = -1;   // the system's file handle
    std::string buffer_;
    std::size_t lineBytes_ = 0;
    bool failed_ = false;
    FileError error_ = FileError::None;
    std::string target_;     // createReplacing: the file to replace
    std::string workPath_;   // the file being written
};

// Which file names a replacement journal may rename: the caller's own files. Whatever the check,
// a name is only ever a bare file name of dir (no folder, no drive, not "." or "..").
using JournalNameCheck = bool (*)(const std::string& name);

// Puts finished files in place as one step. Each pair is (new file, file it replaces), both
// bare names in dir. The new files must be complete and flushed. A journal naming the renames is
// written and flushed first, the renames follow in the journal's order, the journal goes last;
// an interruption anywhere is finished by finishPendingReplacement, so readers see either all
// old or all new files. A single file needs no journal: its rename is one step, made to last
// with its folder.
bool replaceFilesTogether(const std::string& dir, const std::vector<std::pair<std::string, std::string>>& renames,
                          JournalNameCheck allowed = nullptr);

struct PendingReplacement {
    enum class State {
        None,        // no journal: nothing was pending
        Finished,    // a replacement an interruption left half done is now complete
        Unfinished,  // it could not be completed now; the journal stays for the next time
        Refused,     // the journal names something it may not rename: nothing was moved
    };
    State state = State::None;
    std::string problem;  // Refused: what is wrong with the journal, for the user
};
// Completes a replacement that an interruption left half done. Every operation that opens a
// client's files calls it first. A journal that names anything but bare names that `allowed`
// accepts is not acted on at all, and stays where it is.
PendingReplacement finishPendingReplacement(const std::string& dir, JournalNameCheck allowed = nullptr);
inline constexpr const char* kReplaceJournalName = "REPLACE.JNL";
// The most a journal can hold: a few lines of file names.
inline constexpr std::int64_t kMaxJournalBytes = 64 * 1024;
// Tests: the replacement stops (as if the process died) after this many steps; -1 for never.
void setReplaceFaultAfter(int steps);

// Closes every RecordFile and TextFile that is open (the module's "close all files").
void closeAllFiles();

}  // namespace platform
