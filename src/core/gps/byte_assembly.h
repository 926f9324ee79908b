// Framing: the bytes from the receiver become NMEA lines or Garmin binary
// frames. Pure; decoding happens elsewhere.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>

namespace mw {

inline constexpr std::uint8_t kGarminDle = 0x10;
inline constexpr std::uint8_t kGarminEtx = 0x03;

enum class GpsByteEvent {
    None,
    Line,   // a line feed completed a line: Line() holds it
    Frame,  // DLE ETX completed a frame: Frame() holds it
};

class GpsByteAssembler {
public:
    // Characters kept per NMEA line; the rest of a longer line is dropped.
    static constexpr std::size_t kLineMax = 190;
    // Bytes kept per Garmin frame; a longer frame is dropped whole.
    static constexpr int kFrameMax = 95;

    // NMEA mode (`garmin` false): bytes 0, 1, 8 and 13 are ignored, so a
    // carriage return never enters a line; a line feed ends the line.
    //
    // Garmin mode: DLE-framed packets
    //   DLE, type, size, data..., checksum, DLE, ETX
    // with every DLE inside the packet sent twice. The doubled DLE is stored
    // once. A frame ends at an unescaped DLE ETX after at least three bytes.
    // Size and checksum are not checked.
    //
    // The completed line or frame stays readable until the next call.
    GpsByteEvent Push(std::uint8_t byte, bool garmin) {
        if (garmin) return PushGarmin(byte);
        if (lineDone_) {
            lineLength_ = 0;
            lineDone_ = false;
        }
        switch (byte) {
            case 0:
            case 1:
            case 8:
            case 13:
                return GpsByteEvent::None;
            case 10:
                lineDone_ = true;
                return GpsByteEvent::Line;
            default:
                if (lineLength_ < kLineMax) line_[lineLength_++] = static_cast<char>(byte);
                return GpsByteEvent::None;
        }
    }

    // NMEA mode, many bytes at once: what Push(b, false) would do with each
    // byte of `bytes`, which hold no line feed.
    void AppendToLine(const std::uint8_t* bytes, std::size_t count) {
        if (lineDone_ && count > 0) {
            lineLength_ = 0;
            lineDone_ = false;
        }
        // The carriage return before the line feed is dropped anyway; a run
        // without other control bytes (nearly every line) is copied whole.
        while (count > 0 && bytes[count - 1] == 13) --count;
        unsigned controls = 0;
        for (std::size_t i = 0; i < count; ++i) controls += bytes[i] < 14;
        if (controls == 0) {
            const std::size_t take = std::min(count, kLineMax - lineLength_);
            std::memcpy(line_.data() + lineLength_, bytes, take);
            lineLength_ += take;
            return;
        }
        // Locals: a store through a char pointer could otherwise change the
        // length as far as the compiler knows, and it would be reloaded.
        std::size_t n = lineLength_;
        char* out = line_.data();
        for (std::size_t i = 0; i < count && n < kLineMax; ++i) {
            const std::uint8_t b = bytes[i];
            out[n] = static_cast<char>(b);
            n += !(b == 0 || b == 1 || b == 8 || b == 13);
        }
        lineLength_ = n;
    }
    // NMEA mode: the line feed that ends the line.
    void EndLine() {
        if (lineDone_) lineLength_ = 0;
        lineDone_ = true;
    }

    // A communication error: the partial line and the partial frame are
    // dropped.
    void DropPartial();

    std::string_view Line() const { return std::string_view(line_.data(), lineLength_); }
    std::span<const std::uint8_t> Frame() const {
        return std::span<const std::uint8_t>(frame_.data(), static_cast<std::size_t>(frameCount_));
    }

private:
    GpsByteEvent PushGarmin(std::uint8_t byte);

    std::array<char, kLineMax> line_{};
    std::size_t lineLength_ = 0;
    bool lineDone_ = false;

    // Previous byte: 99 means none (start of a frame); 0 after an escaped
    // DLE, so that the DLE of a data pair never starts the end marker.
    static constexpr int kNoPrevious = 99;
    std::array<std::uint8_t, kFrameMax + 1> frame_{};
    int frameCount_ = 0;
    int previous_ = kNoPrevious;
    bool frameDone_ = false;
};

}  // namespace mw
