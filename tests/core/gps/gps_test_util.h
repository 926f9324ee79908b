// Helpers shared by the GPS tests: sentences with their checksum, Garmin
// frames and PVT records built byte by byte, and a sink that records results
// from any thread.
#pragma once

#include <bit>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "gps/dispatch.h"
#include "gps/garmin_pvt.h"

namespace gpstest {

// "$" + body + "*" + the checksum, computed here from the published rule.
inline std::string WithChecksum(const std::string& body) {
    unsigned sum = 0;
    for (char c : body) sum ^= static_cast<unsigned char>(c);
    char tail[4];
    std::snprintf(tail, sizeof tail, "*%02X", sum);
    return "$" + body + tail;
}

// A D800 record; values in SI units and radians, written little-endian.
struct PvtInput {
    float altitude = 0;
    double latRad = 0, lonRad = 0;
    float east = 0, north = 0;
    float mslHeight = 0;
};
inline std::vector<std::uint8_t> PvtRecord(const PvtInput& in) {
    std::vector<std::uint8_t> r(mw::kPvtRecordSize, 0xEE);  // unused fields: noise
    auto put = [&](std::size_t off, auto value) {
        auto bits =
            std::bit_cast<std::conditional_t<sizeof(value) == 4, std::uint32_t, std::uint64_t>>(
                value);
        for (std::size_t i = 0; i < sizeof(value); ++i)
            r[off + i] = static_cast<std::uint8_t>(bits >> (8 * i));
    };
    put(0, in.altitude);
    put(26, in.latRad);
    put(34, in.lonRad);
    put(42, in.east);
    put(46, in.north);
    put(54, in.mslHeight);
    return r;
}

// DLE, type, size, data, checksum, DLE, ETX with every DLE inside doubled,
// as a receiver sends it.
inline std::vector<std::uint8_t> GarminFrame(std::uint8_t type,
                                             const std::vector<std::uint8_t>& data) {
    std::vector<std::uint8_t> body = {type, static_cast<std::uint8_t>(data.size())};
    body.insert(body.end(), data.begin(), data.end());
    std::uint8_t sum = 0;
    for (auto b : body) sum = static_cast<std::uint8_t>(sum + b);
    body.push_back(static_cast<std::uint8_t>(-sum));
    std::vector<std::uint8_t> out = {0x10};
    for (auto b : body) {
        out.push_back(b);
        if (b == 0x10) out.push_back(0x10);
    }
    out.push_back(0x10);
    out.push_back(0x03);
    return out;
}

struct RecordedPosition {
    mw::PositionReport position;
    mw::GpsFix fix;
};

// Keeps every result, in order; safe to fill from the reader thread.
class RecordingSink : public mw::GpsResultSink {
public:
    void OnPosition(const mw::PositionReport& p, const mw::GpsFix& f) override {
        Add([&] { positions.push_back({p, f}); });
    }
    void OnSpeed(const mw::GpsFix& f) override {
        Add([&] { speeds.push_back(f); });
    }
    void OnStatus(const std::string& s) override {
        Add([&] { statuses.push_back(s); });
    }
    void OnSatellites(const mw::GpsFix&) override {}

    // Waits up to `seconds` for `done` (called under the lock) to hold.
    bool WaitFor(const std::function<bool()>& done, double seconds = 3.0) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, std::chrono::duration<double>(seconds), done);
    }
    template <typename Fn>
    auto Locked(Fn fn) {
        std::lock_guard lock(mutex);
        return fn();
    }

    std::vector<RecordedPosition> positions;
    std::vector<mw::GpsFix> speeds;
    std::vector<std::string> statuses;
    std::mutex mutex;
    std::condition_variable changed;

private:
    template <typename Fn>
    void Add(Fn fn) {
        {
            std::lock_guard lock(mutex);
            fn();
        }
        changed.notify_all();
    }
};

}  // namespace gpstest
