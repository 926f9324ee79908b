// The satellites in view, one table per constellation. A receiver sends a
// set of GSV messages per constellation, each with its own talker ($GP GPS,
// $GL GLONASS, $GA Galileo, $GB or $BD BeiDou, $GQ QZSS); a complete set of
// one talker replaces that talker's table only, so the tables of a
// multi-constellation receiver stand side by side.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mw {

enum class Constellation : int { Gps, Glonass, Galileo, Beidou, Qzss, Combined };
inline constexpr int kConstellationCount = 6;
// PRNs as the messages number them; others are skipped.
inline constexpr int kMinPrn = 1, kMaxPrn = 255;

// The constellation of a talker ("GP", "GL", "GA", "GB", "BD", "GQ"; "GN",
// a combined talker, keeps a table of its own); none for other talkers.
std::optional<Constellation> ConstellationOfTalker(std::string_view talker);
// "GP", "GL", "GA", "GB", "GQ", "GN".
const char* TalkerName(Constellation c);
// 'G', 'R', 'E', 'C', 'J', 'N': the letter before a PRN in the sky plot.
char SystemLetter(Constellation c);
// "G12", "R67", "E5".
std::string SatelliteLabel(Constellation c, int prn);

struct Satellite {
    int prn = 0;
    int elevation = 0;  // degrees above the horizon
    int azimuth = 0;    // degrees from north, clockwise
    int snr = 0;        // dB, 0: not tracked
    // Elevation and azimuth were both given (a satellite the receiver hears
    // but has no orbit for yet sends them empty; it gets a bar, no plot spot).
    bool positionKnown = true;
    bool operator==(const Satellite&) const = default;
};

struct SatelliteTables {
    // Per constellation, ordered by PRN, each PRN once.
    std::array<std::vector<Satellite>, kConstellationCount> tables;
    // The constellation whose set completed last; none before the first.
    std::optional<Constellation> lastComplete;
    // Complete sets taken so far, of any talker: a window compares it to
    // tell whether a new set arrived.
    unsigned completedSets = 0;

    const std::vector<Satellite>& Of(Constellation c) const {
        return tables[static_cast<std::size_t>(c)];
    }
    std::vector<Satellite>& Of(Constellation c) { return tables[static_cast<std::size_t>(c)]; }
    // The entry of `prn` in a constellation's table, or null.
    const Satellite* Find(Constellation c, int prn) const;
    bool operator==(const SatelliteTables&) const = default;
};

// Stores one satellite: replaces the entry of its PRN or inserts it in PRN
// order. PRNs outside kMinPrn..kMaxPrn are ignored.
void StoreSatellite(std::vector<Satellite>& table, const Satellite& s);

// A satellite that counts as visible: elevation + azimuth + SNR above 0.
bool IsVisible(const Satellite& s);

struct VisibleSatellite {
    Constellation constellation = Constellation::Gps;
    Satellite satellite;
};
// Every visible satellite, constellation by constellation in the order of
// the enum, by PRN within one.
std::vector<VisibleSatellite> VisibleSatellites(const SatelliteTables& t);

}  // namespace mw
