#include "engine/live/WakeDescriptor.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>

namespace tonavise {

// Non-blocking: a signal while the counter is at its maximum (never reached at ten a second)
// and a drain with nothing to read both return at once.
WakeDescriptor::WakeDescriptor() : fd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

WakeDescriptor::~WakeDescriptor() {
    if (fd_ >= 0) {
        close(fd_);
    }
}

void WakeDescriptor::Signal() noexcept {
    if (fd_ >= 0) {
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = write(fd_, &one, sizeof one);
    }
}

bool WakeDescriptor::Drain() noexcept {
    uint64_t count = 0;
    return fd_ >= 0 && read(fd_, &count, sizeof count) == static_cast<ssize_t>(sizeof count) &&
           count > 0;
}

}  // namespace tonavise
