// An exclusive lock on a file, taken with flock(2): one process holds it at a
// time, and the kernel lets it go when the holder ends however it ends (a
// crash or SIGKILL leaves no stale lock behind, unlike a pid file).
#pragma once

#include <string>

namespace mw {

class InstanceLock {
public:
    enum class State { Held, Busy, Failed };

    InstanceLock() = default;
    ~InstanceLock() { Release(); }
    InstanceLock(InstanceLock&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    InstanceLock& operator=(InstanceLock&& other) noexcept;
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Opens (creating it with mode 0600 if need be) the file at `path` and
    // tries once, without waiting, to lock it. Held: this object holds the
    // lock until Release or its end. Busy: another open of the file holds it
    // (another process, or another InstanceLock of this one). Failed: the
    // file cannot be opened or locked; Error() gives errno. A lock already
    // held by this object is released first.
    State TryLock(const std::string& path);
    bool Held() const { return fd_ >= 0; }
    int Error() const { return error_; }
    // Lets the lock go. The file stays: removing it would let a process that
    // opened the old file and one that creates a new one both hold "the" lock.
    void Release();

private:
    int fd_ = -1;
    int error_ = 0;
};

}  // namespace mw
