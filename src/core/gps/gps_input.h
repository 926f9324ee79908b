// The reader thread's work on what it reads: framing, PVT decoding and
// dispatch, one byte at a time. The same path serves mwtool and the tests, so
// a file of recorded bytes is decoded exactly as the live port would be.
#pragma once

#include <cstdint>
#include <span>

#include "gps/byte_assembly.h"
#include "gps/dispatch.h"

namespace mw {

struct GpsInput {
    GpsByteAssembler assembler;
    GpsParserState state;
};

// One byte from the receiver, framed as NMEA lines or, in Garmin PVT mode
// (env.config.source 3), as DLE frames whose PVT records are decoded and
// dispatched; other packet types are ignored. With `isError` the byte is
// ignored and the communication error is handled instead: the partial line
// and frame are dropped and statusText becomes "ERR".
void HandleGpsByte(GpsInput& input, std::uint8_t byte, bool isError, const DispatchEnv& env);

// HandleGpsByte for each byte of a read.
void HandleGpsBytes(GpsInput& input, std::span<const std::uint8_t> bytes, const DispatchEnv& env);

}  // namespace mw
