#include "cli/input_stream.h"

#include <unistd.h>
#include <cerrno>

namespace mwtool {

InputStream::InputStream(const std::string& path) : name_(path == "-" ? "standard input" : path) {
    if (path == "-") {
        file_ = stdin;
    } else {
        file_ = std::fopen(path.c_str(), "rb");
        owned_ = true;
    }
    if (file_) fd_ = fileno(file_);
}

InputStream::~InputStream() {
    if (file_ && owned_) std::fclose(file_);
}

std::optional<std::span<const std::uint8_t>> InputStream::Next() {
    if (fd_ < 0 || failed_) return std::nullopt;
    buffer_.resize(std::size_t{64} << 10);
    // read() rather than fread(): it returns what a pipe or a device has now
    // instead of waiting until the buffer is full.
    for (;;) {
        ssize_t n = ::read(fd_, buffer_.data(), buffer_.size());
        if (n > 0)
            return std::span<const std::uint8_t>(buffer_.data(), static_cast<std::size_t>(n));
        if (n == 0) return std::nullopt;
        if (errno == EINTR) continue;
        failed_ = true;
        return std::nullopt;
    }
}

}  // namespace mwtool
