// Framing: the bytes from the receiver become NMEA lines or Garmin binary
// frames. Pure; decoding happens elsewhere.
#pragma once

#include <array>
#include <cstdint>
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
