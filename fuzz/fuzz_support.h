// Shared pieces of the fuzz targets: a fixed clock, and a private folder the
// path-taking readers are pointed at.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "ports/system.h"

namespace mwfuzz {

class FixedClock : public mw::Clock {
public:
    std::uint32_t TickCount() override { return tick += 10; }
    mw::DateTime UtcNow() override { return {2024, 5, 17, 12, 30, 45, 0}; }
    mw::DateTime LocalNow() override { return UtcNow(); }
    std::uint32_t tick = 0;
};

// One folder per fuzzer process, on /dev/shm when it is writable (else under
// $TMPDIR), removed at exit.
const std::string& Folder();

// Writes the input as Folder()/name and returns the path; every run
// overwrites the previous input.
std::string WriteInput(const std::string& name, const std::uint8_t* data, std::size_t size);

}  // namespace mwfuzz
