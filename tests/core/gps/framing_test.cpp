// Framing of the receiver's bytes into NMEA lines and Garmin frames, and the
// PVT record decoder.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "gps/byte_assembly.h"
#include "gps/garmin_pvt.h"
#include "gps_test_util.h"

using namespace mw;

namespace {

std::vector<std::string> Lines(GpsByteAssembler& a, const std::string& bytes) {
    std::vector<std::string> out;
    for (char c : bytes) {
        if (a.Push(static_cast<std::uint8_t>(c), false) == GpsByteEvent::Line)
            out.emplace_back(a.Line());
    }
    return out;
}

std::vector<std::vector<std::uint8_t>> Frames(GpsByteAssembler& a,
                                              const std::vector<std::uint8_t>& bytes) {
    std::vector<std::vector<std::uint8_t>> out;
    for (auto b : bytes) {
        if (a.Push(b, true) == GpsByteEvent::Frame) {
            auto f = a.Frame();
            out.emplace_back(f.begin(), f.end());
        }
    }
    return out;
}

}  // namespace

TEST(LineAssembly, LinesEndAtLineFeedWithoutControlBytes) {
    GpsByteAssembler a;
    const std::string long250(250, 'x');
    EXPECT_EQ(Lines(a, std::string("$GPRMC,1\r\n") +
                           "a\x01"
                           "b\x08"
                           "c" +
                           std::string(1, '\0') + "d\r\n" + "\n" + long250 + "\n" + "after\n"),
              (std::vector<std::string>{"$GPRMC,1", "abcd", "", std::string(190, 'x'), "after"}));
    // A line without its line feed stays pending until the next one.
    EXPECT_TRUE(Lines(a, "$GPGGA,partial").empty());
    EXPECT_EQ(Lines(a, ",rest\n"), std::vector<std::string>{"$GPGGA,partial,rest"});
}

TEST(FrameAssembly, UnescapesDleFindsTheEndAndAnErrorDropsThePartialFrame) {
    // Data holding DLE, DLE ETX and ETX: each DLE is sent twice and stored once.
    const std::vector<std::uint8_t> data = {0x10, 0x03, 0x01, 0x10, 0x10, 0x03};
    auto wire = gpstest::GarminFrame(0x0C, data);
    GpsByteAssembler a;
    Frames(a, std::vector<std::uint8_t>(wire.begin(), wire.begin() + 7));
    a.DropPartial();  // a communication error in the middle of a frame
    auto frames = Frames(a, wire);
    ASSERT_EQ(frames.size(), 1u);
    std::vector<std::uint8_t> body = {0x10, 0x0C, static_cast<std::uint8_t>(data.size())};
    body.insert(body.end(), data.begin(), data.end());
    EXPECT_EQ(std::vector<std::uint8_t>(frames[0].begin(), frames[0].begin() + body.size()), body);
    EXPECT_EQ(frames[0].size(), body.size() + 3);  // checksum, DLE, ETX
    EXPECT_EQ(frames[0].back(), 0x03);
}

TEST(DecodePvtRecord, PositionCourseSpeedAndNoFix) {
    struct Case {
        float east, north;
        double latDeg;
        bool fix;
        double course;  // expected, with lastCourse 123 before the record
        double speedMs;
    };
    const double deg = std::numbers::pi / 180;
    const std::vector<Case> cases = {
        {2, 0, -33.856, true, 90, 2},
        {0.49f, -0.49f, 48.1, true, 123, std::hypot(0.49f, 0.49f)},  // 0.69 m/s: too slow for a course
        {0.08f, -0.05f, 48.1, true, 123, 0},                         // standing still
        // A receiver without a fix may send NaN or nonsense: nothing changes.
        {2, 0, std::nan(""), false, 123, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.east << "," << c.north << " at " << c.latDeg);
        PvtValues pvt;
        pvt.lastCourse = 123;
        const PvtValues before = pvt;
        auto rec = gpstest::PvtRecord({100.5f, c.latDeg * deg, 151.215 * deg, c.east, c.north, -22.25f});
        ASSERT_EQ(DecodePvtRecord(std::span<const std::uint8_t, 64>(rec.data(), 64), pvt), c.fix);
        if (!c.fix) {
            EXPECT_EQ(pvt.lat, before.lat);
            EXPECT_EQ(pvt.altitude, before.altitude);
            continue;
        }
        EXPECT_NEAR(pvt.lat, c.latDeg, 1e-12);
        EXPECT_NEAR(pvt.lon, 151.215, 1e-12);
        EXPECT_DOUBLE_EQ(pvt.altitude, (100.5 - 22.25) / 0.3048);
        EXPECT_NEAR(pvt.course, c.course, 1e-4);
        EXPECT_NEAR(pvt.speed, c.speedMs * 3.6 * 0.5399568035, 1e-6);
        EXPECT_DOUBLE_EQ(pvt.lastCourse, c.course != 123 ? pvt.course : 123.0);
    }
}
