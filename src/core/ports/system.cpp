#include <algorithm>
#include <chrono>
#include <thread>

#include "ports/system.h"

namespace mw {

std::uint32_t WaitMilliseconds(Clock& clock, std::uint32_t ms) {
    const std::uint32_t start = clock.TickCount();
    for (;;) {
        // Unsigned difference survives the tick count's wrap-around.
        std::uint32_t elapsed = clock.TickCount() - start;
        if (elapsed >= ms) return elapsed;
        std::this_thread::sleep_for(
            std::chrono::milliseconds(std::min<std::uint32_t>(ms - elapsed, 10)));
    }
}

}  // namespace mw
