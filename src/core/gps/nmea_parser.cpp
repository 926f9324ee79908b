#include "gps/nmea_parser.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "config/settings.h"
#include "ports/system.h"
#include "support/text.h"

namespace mw {

namespace {

constexpr double kKmhPerKnot = 1.852;
constexpr double kMphPerKnot = 1.150779448;
constexpr double kFeetPerMetreGga = 3.2808;

// A number that is not finite ("nan", "inf", an overflow) is as good as
// none.
double NumberOr(std::string_view text, double fallback) {
    if (text.empty()) return fallback;
    double v = ParseReal(text);
    return std::isfinite(v) ? v : fallback;
}

// ddmm.mmmm: degrees are the characters before the two minute digits that
// precede the first '.'; without a '.' the whole text is ddmm.
double ParseNmeaCoordinate(std::string_view field) {
    std::size_t dot = field.find('.');
    if (dot == std::string_view::npos) dot = field.size();
    std::size_t degreeDigits = dot >= 2 ? dot - 2 : 0;
    return ParseReal(field.substr(0, degreeDigits)) + ParseReal(field.substr(degreeDigits)) / 60.0;
}

std::string DeviceDate(const DateTime& t) {
    return Format("%02d%02d%02d", t.day, t.month, t.year % 100);
}
std::string DeviceTime(const DateTime& t) {
    return Format("%02d%02d%02d", t.hour, t.minute, t.second);
}

double NormaliseDegrees(double a) {
    if (a < 0) a += 360;
    if (a >= 360) a -= 360;
    return a;
}

struct PositionLayout {
    int latitude, date, time, minCommas;
};
constexpr PositionLayout kPositionLayouts[] = {
    {4, 10, 2, 9},  // RMC
    {3, 55, 2, 6},  // GGA: no date field
    {2, 55, 6, 5},  // GLL: no date field
};

struct SpeedLayout {
    int speed, trueCourse, magneticCourse, variation, variationDirection;  // 0: none
};
constexpr SpeedLayout kRmcSpeed = {8, 9, 0, 11, 12};
constexpr SpeedLayout kVtgSpeed = {6, 2, 4, 0, 0};

}  // namespace

NmeaConfig NmeaConfigFrom(const AppSettings& settings) {
    return NmeaConfig{settings.nmeaSentence, settings.useChecksum, settings.speedUnit};
}

bool VerifyChecksum(std::string_view sentence) {
    std::size_t star = sentence.find('*');
    if (star == std::string_view::npos || sentence.size() != star + 3) return false;
    std::uint8_t sum = 0;
    for (std::size_t i = 1; i < star; ++i) sum ^= static_cast<std::uint8_t>(sentence[i]);
    static constexpr char kHex[] = "0123456789ABCDEF";
    return sentence[star + 1] == kHex[sum >> 4] && sentence[star + 2] == kHex[sum & 15];
}

double ConvertKnots(double knots, int speedUnit) {
    if (speedUnit == 0) return knots * kKmhPerKnot;
    if (speedUnit == 1) return knots * kMphPerKnot;
    return knots;
}

PositionOutcome ParsePositionSentence(std::string_view sentence, int source, bool checkChecksum,
                                      Clock& clock, PositionReport& out) {
    return ParsePositionSentence(sentence, NmeaFields(sentence), source, checkChecksum, clock, out);
}

PositionOutcome ParsePositionSentence(std::string_view sentence, const NmeaFields& f, int source,
                                      bool checkChecksum, Clock& clock, PositionReport& out) {
    if (checkChecksum && !VerifyChecksum(sentence)) return PositionOutcome::ChecksumFailed;
    const PositionLayout& layout = kPositionLayouts[std::clamp(source, 0, 2)];
    if (f.CommaCount() < layout.minCommas) return PositionOutcome::NoFix;
    std::string_view latText = f.Field(layout.latitude, "999");
    std::string_view lonText = f.Field(layout.latitude + 2, "999");
    if (latText == "999" || lonText == "999") return PositionOutcome::NoFix;

    double lat = ParseNmeaCoordinate(latText);
    double lon = ParseNmeaCoordinate(lonText);
    if (f.Field(layout.latitude + 1, {}) == "S") lat = -lat;
    if (f.Field(layout.latitude + 3, {}) == "W") lon = -lon;
    // Without a checksum a damaged line can carry any digits; a position off
    // the globe must not reach the datum and projection code.
    if (!(std::fabs(lat) <= 90) || !(std::fabs(lon) <= 180)) return PositionOutcome::NoFix;

    std::string_view date = f.Field(layout.date, {});
    std::string_view time = f.Field(layout.time, {});
    if (date.empty() || time.empty()) {
        DateTime now = clock.UtcNow();
        out.date = date.empty() ? DeviceDate(now) : std::string(date);
        out.time = time.empty() ? DeviceTime(now) : std::string(time);
    } else {
        out.date.assign(date);
        out.time.assign(time);
    }
    out.lat = lat;
    out.lon = lon;
    return PositionOutcome::Fix;
}

PositionReport PvtPosition(const PvtValues& pvt, Clock& clock) {
    DateTime now = clock.UtcNow();
    return PositionReport{pvt.lat, pvt.lon, DeviceDate(now), DeviceTime(now)};
}

void ParseSpeedSentence(std::string_view sentence, int source, int speedUnit, GpsFix& fix) {
    ParseSpeedSentence(NmeaFields(sentence), source, speedUnit, fix);
}

void ParseSpeedSentence(const NmeaFields& f, int source, int speedUnit, GpsFix& fix) {
    const SpeedLayout& layout = source == kSourceRmc ? kRmcSpeed : kVtgSpeed;
    fix.speed = ConvertKnots(NumberOr(f.Field(layout.speed, {}), 0), speedUnit);
    auto angle = [&](int field) {
        return field == 0 ? kGpsNotKnown : NumberOr(f.Field(field, {}), kGpsNotKnown);
    };
    fix.magneticCourse = angle(layout.magneticCourse);
    fix.trueCourse = angle(layout.trueCourse);
    fix.magneticVariation = angle(layout.variation);
    if (fix.magneticVariation != kGpsNotKnown && layout.variationDirection != 0) {
        std::string_view dir = f.Field(layout.variationDirection, {});
        if (!dir.empty() && dir[0] == 'W') fix.magneticVariation = -fix.magneticVariation;
    }
    if (fix.magneticVariation != kGpsNotKnown) {
        if (fix.magneticCourse == kGpsNotKnown && fix.trueCourse != kGpsNotKnown)
            fix.magneticCourse = NormaliseDegrees(fix.trueCourse - fix.magneticVariation);
        else if (fix.trueCourse == kGpsNotKnown && fix.magneticCourse != kGpsNotKnown)
            fix.trueCourse = NormaliseDegrees(fix.magneticCourse + fix.magneticVariation);
    }
}

void ApplyPvtSpeed(const PvtValues& pvt, int speedUnit, GpsFix& fix) {
    fix.magneticCourse = kGpsNotKnown;
    fix.trueCourse = pvt.course;
    fix.altitude = pvt.altitude;
    fix.speed = ConvertKnots(pvt.speed, speedUnit);
}

void ParseQualitySentence(std::string_view sentence, GpsFix& fix) {
    NmeaFields f(sentence);
    fix.fixQuality = ParseInt(f.Field(7, "0"));
    fix.satellitesInUse = ParseInt(f.Field(8, "0"));
    fix.hdop = NumberOr(f.Field(9, "0"), 0);
    fix.altitude = NumberOr(f.Field(10, {}), kGpsNotKnown);
    if (fix.altitude != kGpsNotKnown && f.Field(11, {}) == "M") fix.altitude *= kFeetPerMetreGga;
    fix.dgpsAge = ParseInt(f.Field(14, "0"));
}

SatellitesOutcome ParseSatellitesSentence(std::string_view sentence, GpsFix& fix) {
    std::size_t star = sentence.find('*');
    if (star == std::string_view::npos || sentence.size() != star + 3 || star < 3 ||
        sentence[0] != '$')
        return SatellitesOutcome::Ignored;
    const auto constellation = ConstellationOfTalker(sentence.substr(1, 2));
    if (!constellation) return SatellitesOutcome::Ignored;
    NmeaFields f(sentence.substr(0, star));
    const int total = ParseInt(f.Field(2, "0"));
    const int number = ParseInt(f.Field(3, "0"));
    std::vector<Satellite>& table = fix.satellites.Of(*constellation);
    if (number == 1) table.clear();

    // Fields after the four of the header: blocks of four, and from NMEA
    // 4.10 on one more, the signal id, which is no satellite. A last block
    // cut short still counts.
    const int rest = std::max(0, f.CommaCount() + 1 - 4);
    const int blocks = std::min(4, rest % 4 == 1 ? rest / 4 : (rest + 3) / 4);
    for (int b = 0; b < blocks; ++b) {
        const int field = 5 + 4 * b;
        std::string_view prnText = f.Field(field, {});
        if (prnText.empty()) continue;
        std::string_view elevation = f.Field(field + 1, {});
        std::string_view azimuth = f.Field(field + 2, {});
        Satellite s;
        s.prn = ParseInt(prnText);
        s.elevation = std::clamp(ParseInt(elevation), -90, 90);
        s.azimuth = std::clamp(ParseInt(azimuth), 0, 359);
        s.snr = std::clamp(ParseInt(f.Field(field + 3, "0")), 0, 99);
        s.positionKnown = !elevation.empty() && !azimuth.empty();
        StoreSatellite(table, s);
    }
    if (number != total) return SatellitesOutcome::Stored;
    fix.satellites.lastComplete = *constellation;
    ++fix.satellites.completedSets;
    return SatellitesOutcome::SetComplete;
}

}  // namespace mw
