// The renderer's own files on disk: the printer file it reads, and an output file written under a
// temporary name beside its target and put in place when complete, so that it appears whole or
// not at all.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace dprender {

// The largest printer file read: a report of every asset a register can hold fits many times.
inline constexpr std::int64_t kMaxInputBytes = std::int64_t{64} << 20;

// The printer file opened for reading when it is an ordinary file of at most kMaxInputBytes: a
// pipe or a device is neither waited on nor read without end. Null with `error` otherwise.
std::FILE* openPrinterFile(const std::string& path, std::string& error);

class AtomicOutput {
public:
    // The temporary file is made new: whatever stands under its name already (a link, a file of
    // someone else's) is left alone, and only an ordinary file on a disk is written.
    explicit AtomicOutput(std::string target);
    ~AtomicOutput();
    AtomicOutput(const AtomicOutput&) = delete;
    AtomicOutput& operator=(const AtomicOutput&) = delete;

    // The temporary file to write to; nullptr when it could not be made (see error()).
    std::FILE* file() const { return file_; }
    const std::string& error() const { return error_; }

    // Flushes the file to the disk and puts it in place of the target; false (and the
    // temporary file removed) when any of it failed.
    bool commit();

private:
    std::string target_, temp_;
    std::FILE* file_ = nullptr;
    std::string error_;
    bool committed_ = false;
    bool created_ = false;  // temp_ is ours to remove
};

}  // namespace dprender
