// Errors that end a stage of the asset maintenance procedure and go to its error recovery.
// They carry the error numbers the recovery acts on.
#pragma once

#include <stdexcept>
#include <string>

namespace dp {

inline constexpr int kErrFileNotFound = 53;   // a data file could not be found or created
inline constexpr int kErrPathNotFound = 76;   // the client's data directory does not exist
inline constexpr int kErrOutOfMemory = 7;
inline constexpr int kErrInternal = 51;       // anything unforeseen

class MaintenanceError : public std::runtime_error {
public:
    MaintenanceError(int number, const std::string& what) : std::runtime_error(what), number_(number) {}
    int number() const { return number_; }

private:
    int number_;
};

}  // namespace dp
