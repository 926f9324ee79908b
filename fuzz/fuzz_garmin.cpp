// The receiver's byte stream in Garmin PVT mode: DLE framing, picking the PVT
// record out of a frame, decoding it and dispatching the result. The first
// byte chooses the speed unit and whether a byte is marked as a
// communication error.
#include "fuzz_support.h"
#include "gps/gps_input.h"

namespace {

class NullSink : public mw::GpsResultSink {
public:
    void OnPosition(const mw::PositionReport&, const mw::GpsFix&) override {}
    void OnSpeed(const mw::GpsFix&) override {}
    void OnStatus(const std::string&) override {}
    void OnSatellites(const mw::GpsFix&) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::uint8_t setup = data[0];
    ++data;
    --size;

    mwfuzz::FixedClock clock;
    NullSink sink;
    mw::DispatchEnv env;
    env.config.source = mw::kSourcePvt;
    env.config.speedUnit = setup & 3;
    env.clock = &clock;
    env.sink = &sink;

    mw::GpsInput input;
    const int errorEvery = (setup >> 2) & 63;  // 0: no errors
    for (std::size_t i = 0; i < size; ++i) {
        bool isError = errorEvery != 0 && i % static_cast<std::size_t>(errorEvery * 16) == 0 && i;
        mw::HandleGpsByte(input, data[i], isError, env);
    }

    // The record decoder straight on the input, wherever a frame cannot reach.
    if (size >= mw::kPvtRecordSize) {
        mw::PvtValues pvt;
        (void)mw::DecodePvtRecord(std::span<const std::uint8_t, mw::kPvtRecordSize>(data, mw::kPvtRecordSize), pvt);
    }
    (void)mw::PvtRecordInFrame(std::span<const std::uint8_t>(data, size));
    return 0;
}
