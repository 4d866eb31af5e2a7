// An output file written under a temporary name beside its target and put in place when
// complete, so that it appears whole or not at all.
#pragma once

#include <cstdio>
#include <string>

namespace dprender {

class AtomicOutput {
public:
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
};

}  // namespace dprender
