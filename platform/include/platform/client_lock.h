// One writer per client: a procedure that changes a client's files holds the client's lock for
// its whole run. The lock is the operating system's lock on a lock file in the client's data
// directory, so it works between processes and between machines on a shared drive, and it goes
// away with the process that held it, however that process ended.
#pragma once

#include <cstdint>
#include <string>

#include "platform/files.h"

namespace platform {

inline constexpr const char* kClientLockName = "DEPR.LCK";

enum class LockOutcome {
    Acquired,     // the lock is held
    InUse,        // another user (another process, or another lock of this one) holds it
    Unavailable,  // the lock file cannot be made or locked: see error()
};

class ClientLock {
public:
    ClientLock() = default;
    ClientLock(const ClientLock&) = delete;
    ClientLock& operator=(const ClientLock&) = delete;
    ClientLock(ClientLock&& other) noexcept;
    ClientLock& operator=(ClientLock&& other) noexcept;
    ~ClientLock() { release(); }

    // Takes the exclusive lock of the client directory dir without waiting. holderText (who
    // and what, e.g. "ann on desk2: Close Current Period") is left in the lock file, so that a
    // user who is refused can be told who has the client.
    LockOutcome acquire(const std::string& dir, const std::string& holderText);
    void release();
    bool held() const { return fd_ >= 0; }

    // After InUse: what the holder left in the lock file (may be empty).
    const std::string& holder() const { return holder_; }
    // After Unavailable: why.
    FileError error() const { return error_; }

private:
    std::intptr_t fd_ = -1;   // the lock file's handle
    std::string holder_;
    FileError error_ = FileError::None;
};

// "user on host" of this process, for the holder text.
std::string lockHolderName();

}  // namespace platform
