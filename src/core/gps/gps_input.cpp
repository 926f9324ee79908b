#include "gps/gps_input.h"

#include <cstring>

#include "gps/garmin_pvt.h"

namespace mw {

namespace {

void HandleEvent(GpsInput& input, GpsByteEvent event, const DispatchEnv& env) {
    if (event == GpsByteEvent::Line) {
        DispatchSentence(input.assembler.Line(), input.state, env);
    } else if (event == GpsByteEvent::Frame) {
        auto record = PvtRecordInFrame(input.assembler.Frame());
        if (record.empty()) return;
        if (DecodePvtRecord(record.first<kPvtRecordSize>(), input.state.pvt))
            DispatchSentence({}, input.state, env);
    }
}

}  // namespace

void HandleGpsByte(GpsInput& input, std::uint8_t byte, bool isError, const DispatchEnv& env) {
    if (isError) {
        input.assembler.DropPartial();
        input.state.fix.statusText = kStatusError;
        if (env.sink) env.sink->OnStatus(input.state.fix.statusText);
        return;
    }
    const bool garmin = env.config.source == kSourcePvt;
    GpsByteEvent event = input.assembler.Push(byte, garmin);
    if (event != GpsByteEvent::None) HandleEvent(input, event, env);
}

void HandleGpsBytes(GpsInput& input, std::span<const std::uint8_t> bytes, const DispatchEnv& env) {
    const bool garmin = env.config.source == kSourcePvt;
    if (!garmin) {
        // Line by line: the line feed is found with memchr and the bytes
        // before it are taken in one go.
        const std::uint8_t* p = bytes.data();
        const std::uint8_t* const end = p + bytes.size();
        while (p < end) {
            auto lf = static_cast<const std::uint8_t*>(std::memchr(p, '\n', end - p));
            input.assembler.AppendToLine(p, (lf ? lf : end) - p);
            if (!lf) break;
            input.assembler.EndLine();
            HandleEvent(input, GpsByteEvent::Line, env);
            p = lf + 1;
        }
        return;
    }
    for (std::uint8_t b : bytes) {
        GpsByteEvent event = input.assembler.Push(b, garmin);
        if (event != GpsByteEvent::None) HandleEvent(input, event, env);
    }
}

}  // namespace mw
