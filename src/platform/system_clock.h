// The Clock port on the system's monotonic and wall clocks.
#pragma once

#include "ports/system.h"

namespace mw {

class SystemClock : public Clock {
public:
    std::uint32_t TickCount() override;
    DateTime UtcNow() override;
    DateTime LocalNow() override;
};

}  // namespace mw
