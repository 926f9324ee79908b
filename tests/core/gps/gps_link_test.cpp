// The rules for a receiver that falls silent, goes away and comes back, on
// tick counts: no test waits the 5 s. The reader thread that applies them is
// tested end to end in receiver_test.cpp, which also checks each is said once.
#include <gtest/gtest.h>

#include "gps/gps_link.h"

using namespace mw;

TEST(GpsLinkWatch, SilenceLossAndReturnAreEachSaidOnceAndTimedByTheClock) {
    enum Op { Open, Bytes, Idle, Gone, Failed };
    using E = GpsLinkEvent;
    // Ticks start near the 32-bit wrap: the rules use differences.
    constexpr std::uint32_t t0 = 0xFFFFF000u;
    const struct {
        Op op;
        std::uint32_t at;  // after t0
        GpsLinkEvent event;
        int waitAfter;  // WaitMs after the step: -1 waits for bytes alone
    } steps[] = {
        {Open, 0, E::None, 5000},      {Idle, 4999, E::None, 1},
        {Bytes, 4000, E::None, 5000},  {Idle, 9000, E::Silent, -1},
        {Bytes, 61000, E::Back, 5000}, {Gone, 62000, E::Lost, 5000},
        {Idle, 70000, E::None, 0},     // lost is no silence; the re-open is due
        {Failed, 70000, E::None, 5000}, {Open, 75000, E::Back, 5000},
        {Idle, 80000, E::Silent, -1},  {Gone, 81000, E::Lost, 5000},  // silent, then unplugged
    };
    GpsLinkWatch watch;
    for (const auto& s : steps) {
        SCOPED_TRACE(testing::Message() << "t0+" << s.at);
        const std::uint32_t at = t0 + s.at;
        GpsLinkEvent got = E::None;
        switch (s.op) {
            case Open: got = watch.Opened(at); break;
            case Bytes: got = watch.Received(at); break;
            case Idle: got = watch.Idle(at); break;
            case Gone: got = watch.Gone(at); break;
            case Failed: watch.ReopenFailed(at); break;
        }
        EXPECT_EQ(got, s.event);
        EXPECT_EQ(watch.WaitMs(at), s.waitAfter);
    }
}
