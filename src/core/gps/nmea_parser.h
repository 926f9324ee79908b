// Decoding: one NMEA sentence becomes a position, or fills the speed,
// quality or satellite fields of GpsFix. Each parser is a function of the
// sentence text (and the settings it names); none keeps state of its own.
//
// Fields are numbered from 1 (field 1 is the tag, "$GPRMC"), trimmed of
// spaces; an empty or missing field takes the parser's default. Numbers are
// read in the C locale: the leading number counts, the rest is ignored, an
// empty text is 0.
#pragma once

#include <string>
#include <string_view>

#include "gps/garmin_pvt.h"
#include "gps/gps_fix.h"

namespace mw {

class Clock;
struct AppSettings;

// Position sources ("NMEA Sentence").
inline constexpr int kSourceRmc = 0;
inline constexpr int kSourceGga = 1;
inline constexpr int kSourceGll = 2;
inline constexpr int kSourcePvt = 3;

// The settings the parsers read.
struct NmeaConfig {
    int source = kSourceRmc;  // "NMEA Sentence"
    bool useChecksum = true;  // "Use Checksum"
    int speedUnit = 0;        // "Speed Unit": 0 km/h, 1 mph, other knots
    bool operator==(const NmeaConfig&) const = default;
};
NmeaConfig NmeaConfigFrom(const AppSettings& settings);

// The checksum rule: exactly two characters follow the first '*', and they
// are the XOR of every character between the first character and the '*',
// written as two upper-case hexadecimal digits ("*4f" fails where "*4F"
// passes).
bool VerifyChecksum(std::string_view sentence);

// Knots in the "Speed Unit".
double ConvertKnots(double knots, int speedUnit);

// A position as the pipeline receives it.
struct PositionReport {
    double lat = 0;    // degrees, north positive, in the GPS's datum
    double lon = 0;    // degrees, east positive
    std::string date;  // ddmmyy as received, or the device's UTC date
    std::string time;  // hhmmss[.ss] as received, or the device's UTC time
    bool operator==(const PositionReport&) const = default;
};

enum class PositionOutcome {
    Fix,             // `out` holds the position
    NoFix,           // too few fields, no latitude or longitude, or a
                     // position off the globe
    ChecksumFailed,  // only when the checksum is checked
};

// The comma-separated fields of a sentence, split once. Field(n, fallback)
// follows the rules of GetField: trimmed of spaces; fallback when the field
// is missing or empty (a field of spaces gives an empty text).
class NmeaFields {
public:
    static constexpr int kMaxFields = 24;  // the parsers read up to field 20

    explicit NmeaFields(std::string_view s) : text_(s) {
        for (std::size_t i = 0; i < s.size(); ++i) {
            if (s[i] != ',') continue;
            if (commas_ < kMaxFields) comma_[commas_] = i;
            ++commas_;
        }
    }

    int CommaCount() const { return commas_; }

    std::string_view Field(int n, std::string_view fallback) const {
        if (n < 1 || n > kMaxFields || n - 1 > commas_) return fallback;
        std::size_t b = n == 1 ? 0 : comma_[n - 2] + 1;
        std::size_t e = n - 1 < commas_ ? comma_[n - 1] : text_.size();
        if (e == b) return fallback;
        while (b < e && text_[b] == ' ') ++b;
        while (e > b && text_[e - 1] == ' ') --e;
        return text_.substr(b, e - b);
    }

private:
    std::string_view text_;
    std::size_t comma_[kMaxFields] = {};
    int commas_ = 0;
};

// Position and time from an RMC (source 0), GGA (1) or GLL (2) sentence:
//
//   $GPRMC,hhmmss.ss,A,llll.ll,a,yyyyy.yy,a,x.x,x.x,ddmmyy,x.x,a*hh
//          2         3 4       5 6        7 8   9   10     11  12
//   $GPGGA,hhmmss.ss,llll.ll,a,yyyyy.yy,a,x,xx,x.x,x.x,M,x.x,M,x.x,xxxx*hh
//          2         3       4 5        6
//   $GPGLL,llll.ll,a,yyyyy.yy,a,hhmmss.ss,A*hh
//          2       3 4        5 6
//
// The RMC status (A/V) is not looked at. GGA and GLL carry no date: the
// device's date is used. Coordinates are ddmm.mmmm / dddmm.mmmm: the two
// digits before the '.' and what follows are minutes, the digits before them
// degrees. `clock` gives the defaults for a missing date or time.
PositionOutcome ParsePositionSentence(std::string_view sentence, int source, bool checkChecksum,
                                      Clock& clock, PositionReport& out);
// The same with the sentence already split (an RMC gives speed and position
// from one split).
PositionOutcome ParsePositionSentence(std::string_view sentence, const NmeaFields& fields,
                                      int source, bool checkChecksum, Clock& clock,
                                      PositionReport& out);

// The PVT position with the device's date and time.
PositionReport PvtPosition(const PvtValues& pvt, Clock& clock);

// Speed and courses from an RMC (source 0) or VTG (sources 1 and 2)
// sentence into speed, trueCourse, magneticCourse and magneticVariation:
//
//   $GPRMC,...,x.x,x.x,ddmmyy,x.x,a*hh     speed 8 (knots), true course 9,
//              8   9   10     11  12       variation 11, E/W 12
//   $GPVTG,x.x,T,x.x,M,x.x,N,x.x,K*hh      true course 2, magnetic course 4,
//          2   3 4   5 6   7 8   9         speed 6 (knots)
//
// An empty course or variation field leaves that value not known. A missing
// magnetic course is derived from the true course and the variation, and
// the other way round.
void ParseSpeedSentence(std::string_view sentence, int source, int speedUnit, GpsFix& fix);
void ParseSpeedSentence(const NmeaFields& fields, int source, int speedUnit, GpsFix& fix);

// The PVT speed, course and altitude into the fix (no magnetic course).
void ApplyPvtSpeed(const PvtValues& pvt, int speedUnit, GpsFix& fix);

// Quality fields from a GGA sentence into fixQuality, satellitesInUse, hdop,
// altitude and dgpsAge; not checksum-tested:
//
//   $GPGGA,hhmmss.ss,llll.ll,a,yyyyy.yy,a,q,ss,h.h,a.a,M,g.g,M,age,sid*hh
//                                         7 8  9   10  11     13 14
//
// The altitude is converted from metres to feet (× 3.2808) when field 11 is
// exactly "M"; an empty altitude is not known whatever its unit.
void ParseQualitySentence(std::string_view sentence, GpsFix& fix);

enum class SatellitesOutcome {
    Ignored,      // no '*' followed by exactly two characters
    Stored,       // a message of a set was taken
    SetComplete,  // the last message of the set: the satellites view redraws
};

// Satellites in view from a GSV sentence into the table of its talker's
// constellation (satellites.h):
//
//   $GPGSV,3,1,11,03,03,111,00,04,15,270,00,06,01,010,00,13,06,292,00*74
//          2 3 4  5  6  7   8  9 ...                    17 18 19  20
//          total, number, in view, then up to four blocks of PRN,
//          elevation, azimuth, SNR (NMEA 4.10 adds a signal id after the
//          last block, which is not read as a satellite)
//
// Message 1 clears that talker's table only. PRNs 1..255 are kept; a block
// without PRN is skipped. Elevation is clamped to -90..90, azimuth to
// 0..359, SNR to 0..99. Talkers other than GP, GL, GA, GB, BD, GQ and GN
// are ignored. The checksum is not verified; the text from '*' on is cut
// off. SetComplete also records the talker in satellites.lastComplete.
SatellitesOutcome ParseSatellitesSentence(std::string_view sentence, GpsFix& fix);

}  // namespace mw
