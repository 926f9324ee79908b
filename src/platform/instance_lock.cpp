#include "platform/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace mw {

InstanceLock& InstanceLock::operator=(InstanceLock&& other) noexcept {
    if (this != &other) {
        Release();
        fd_ = other.fd_;
        error_ = other.error_;
        other.fd_ = -1;
    }
    return *this;
}

InstanceLock::State InstanceLock::TryLock(const std::string& path) {
    Release();
    error_ = 0;
    // O_NOFOLLOW: a link planted in a shared folder must not make us create
    // or lock some other file. O_CLOEXEC: a program started from here (the
    // companion program) must not inherit the lock and outlive us with it.
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        error_ = errno;
        return State::Failed;
    }
    int rc;
    do {
        rc = flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        const int e = errno;
        close(fd);
        if (e == EWOULDBLOCK) return State::Busy;
        error_ = e;
        return State::Failed;
    }
    fd_ = fd;
    return State::Held;
}

void InstanceLock::Release() {
    if (fd_ < 0) return;
    close(fd_);  // closing the only descriptor of the open file drops the lock
    fd_ = -1;
}

}  // namespace mw
