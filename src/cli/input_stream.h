// Reading a command's input (a file, a device, a pipe or standard input)
// piece by piece, so that an input without an end is decoded as it comes
// rather than gathered into memory first.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace mwtool {

class InputStream {
public:
    // `path` "-" is standard input.
    explicit InputStream(const std::string& path);
    ~InputStream();
    InputStream(const InputStream&) = delete;
    InputStream& operator=(const InputStream&) = delete;

    bool IsOpen() const { return file_ != nullptr; }
    // The input's name for messages.
    const std::string& Name() const { return name_; }
    // The next bytes as soon as some are there (at most 64 KiB); nullopt at
    // the end of the input or on a read error. The span lives until the
    // next call.
    std::optional<std::span<const std::uint8_t>> Next();
    // Whether the input ended with a read error (a folder, a device fault).
    bool Failed() const { return failed_; }

private:
    std::FILE* file_ = nullptr;
    bool owned_ = false;
    bool failed_ = false;
    int fd_ = -1;
    std::string name_;
    std::vector<std::uint8_t> buffer_;
};

}  // namespace mwtool
