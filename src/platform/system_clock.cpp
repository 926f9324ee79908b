#include "platform/system_clock.h"

#include <chrono>
#include <ctime>

namespace mw {

std::uint32_t SystemClock::TickCount() {
    using namespace std::chrono;
    return static_cast<std::uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

namespace {
DateTime FromTm(const std::tm& t, int ms) {
    return DateTime{t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec, ms};
}
void Now(std::time_t& secs, int& ms) {
    using namespace std::chrono;
    auto now = system_clock::now();
    auto total = duration_cast<milliseconds>(now.time_since_epoch()).count();
    secs = static_cast<std::time_t>(total / 1000);
    ms = static_cast<int>(total % 1000);
}
}  // namespace

DateTime SystemClock::UtcNow() {
    std::time_t s;
    int ms;
    Now(s, ms);
    std::tm t{};
    gmtime_r(&s, &t);
    return FromTm(t, ms);
}

DateTime SystemClock::LocalNow() {
    std::time_t s;
    int ms;
    Now(s, ms);
    std::tm t{};
    localtime_r(&s, &t);
    return FromTm(t, ms);
}

}  // namespace mw
