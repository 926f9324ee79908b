#include "gps/byte_assembly.h"

namespace mw {

void GpsByteAssembler::DropPartial() {
    lineLength_ = 0;
    lineDone_ = false;
    frameCount_ = 0;
    previous_ = kNoPrevious;
    frameDone_ = false;
}

GpsByteEvent GpsByteAssembler::PushGarmin(std::uint8_t byte) {
    if (frameDone_) {
        frameCount_ = 0;
        frameDone_ = false;
    }
    const bool endMarker = byte == kGarminEtx && previous_ == kGarminDle;
    if (byte == kGarminDle && previous_ == kGarminDle) {
        // Second byte of an escaped DLE: the first one is already stored.
        previous_ = 0;
        return GpsByteEvent::None;
    }
    previous_ = byte;
    frame_[static_cast<std::size_t>(frameCount_++)] = byte;
    if (frameCount_ > kFrameMax) {
        frameCount_ = 0;
        previous_ = kNoPrevious;
        return GpsByteEvent::None;
    }
    if (endMarker && frameCount_ >= 3) {
        // endMarker implies the last two stored bytes are DLE ETX: the DLE
        // before this ETX was stored as an unescaped byte.
        frameDone_ = true;
        previous_ = kNoPrevious;
        return GpsByteEvent::Frame;
    }
    return GpsByteEvent::None;
}

}  // namespace mw
