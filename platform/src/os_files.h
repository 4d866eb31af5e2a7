// The operating system's file primitives under the file layer (files.cpp): one implementation per
// system (files_posix.cpp, files_win32.cpp). Every call that fails leaves its reason for
// lastError(); none of them throws. Files are always binary: bytes go to the disk as given.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/files.h"

namespace platform::os {

using Fd = std::intptr_t;
inline constexpr Fd kNoFd = -1;

enum class OpenMode {
    ReadWrite,          // read and write; created empty when missing
    ReadWriteTruncate,  // read and write; created or emptied
    ReadOnly,           // an existing file, for reading
    WriteTruncate,      // write only; created or emptied
    CreateNew,          // write only; a file that does not exist yet, made now
};

// Opens an ordinary file, or nothing (NotAFile for a folder, a device, a pipe or a link where one
// is not followed). Opening never waits on a pipe or a device. A file that is made or emptied is
// never reached through a link: it is made where the name stands, and a link there is refused;
// only once it is known to be an ordinary file is it emptied.
Fd openFile(const std::string& path, OpenMode mode);
void closeFile(Fd fd);               // no report: nothing is left to lose
bool closeWrittenFile(Fd fd);        // a file that was written: whether the close succeeded
// Reads up to n bytes at offset at; got is 0 at the end of the file.
bool readAt(Fd fd, void* buf, std::size_t n, std::int64_t at, std::size_t& got);
// Writes all n bytes at offset at.
bool writeAt(Fd fd, const void* buf, std::size_t n, std::int64_t at);
std::int64_t sizeOf(Fd fd);          // -1 on failure
bool isRegularFile(Fd fd);
bool syncFile(Fd fd);                // to the disk
bool truncateFile(Fd fd, std::int64_t size);
bool sameFile(Fd fd, const std::string& path);
// Whether two paths name one file (links followed); false when either does not exist.
bool samePathFile(const std::string& a, const std::string& b);

enum class PathKind { Missing, File, Directory, Other };
PathKind pathKind(const std::string& path);
std::int64_t pathSize(const std::string& path);   // -1 when it does not exist
bool removePath(const std::string& path);
bool renamePath(const std::string& from, const std::string& to);  // replaces an existing target
bool createDirectory(const std::string& path);
// The path made whole from the current directory and worked out lexically; "" when it cannot be.
std::string absolutePath(const std::string& path);
// Whether path names the root folder of its file system (a drive's root on Windows).
bool isRoot(const std::string& path);
bool syncDirectoryOf(const std::string& dir);
// The name of the existing entry of dir that equals name ignoring letter case (the exact name is
// preferred when several match), or "" when there is none.
std::string findName(const std::string& dir, const std::string& name);
// The names of the entries of dir ("." and ".." left out); empty when it cannot be read.
std::vector<std::string> listNames(const std::string& dir);

// Memory for a whole file read in one piece, its bytes not cleared (the read fills them). A
// block of megabytes is asked for in large pages where the system gives them, which spares
// thousands of page faults. Null when there is no memory. releaseBlock takes the same size.
void* allocateBlock(std::size_t size);
void releaseBlock(void* block, std::size_t size);

// The reason of the last failed primitive; injectError makes the next lastError() report it.
FileError lastError();
void injectError(FileError error);

}  // namespace platform::os
