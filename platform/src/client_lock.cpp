#include "platform/client_lock.h"

#include <utility>

namespace platform {

ClientLock::ClientLock(ClientLock&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), holder_(std::move(other.holder_)), error_(other.error_) {}

ClientLock& ClientLock::operator=(ClientLock&& other) noexcept {
    if (this != &other) {
        release();
        fd_ = std::exchange(other.fd_, -1);
        holder_ = std::move(other.holder_);
        error_ = other.error_;
    }
    return *this;
}

}  // namespace platform
