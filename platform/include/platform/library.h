// Libraries loaded at run time (the suite's printer components), and the loaded file that holds
// a piece of code (the module finds its own file and instance this way).
#pragma once

#include <string>
#include <vector>

namespace platform {

class Library {
public:
    Library() = default;
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;
    // A library stays loaded for the rest of the process once opened: its windows, classes and
    // backend may outlive the call that used it.
    ~Library() = default;

    // Loads the library file at path (a bare name searches the system's library path). False
    // with error() telling why when it cannot be loaded.
    bool open(const std::string& path);
    bool isOpen() const { return handle_ != nullptr; }
    // The address of an exported entry, or nullptr.
    void* symbol(const char* name) const;
    const std::string& error() const { return error_; }

private:
    void* handle_ = nullptr;
    std::string error_;
};

struct LoadedModule {
    std::string path;      // the file of the library or program; empty when unknown
    void* base = nullptr;  // where it is loaded (its instance)
};

// The library or program holding the code at address.
LoadedModule moduleContaining(const void* address);

// The directory part of a path ("." when it has none); both separators count on Windows.
std::string directoryOf(const std::string& path);

// The entries of a list of directories in the system's form (":" between them on POSIX
// systems, ";" on Windows), empty entries left out.
std::vector<std::string> splitSearchList(const std::string& list);

}  // namespace platform
