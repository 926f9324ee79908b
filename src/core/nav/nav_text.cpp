#include "nav/nav_text.h"

#include <vector>

#include "geo/distance.h"
#include "support/text.h"

namespace mw {

namespace {

constexpr std::size_t kNameKept = 7;  // longer names are shortened
constexpr std::size_t kNameEnds = 3;  // characters kept at each end

constexpr double kFeetPerMetre = 3.280839895;
constexpr double kMilesPerFoot = 0.0001893939393939394;
constexpr double kNauticalMilesPerFoot = 0.00016457883368150322;
constexpr double kFeetBeforeMiles = 2640;
constexpr double kFeetBeforeNauticalMiles = 3038;

std::string Scaled(double value) {
    if (value > 999.9999) return Format("%.0f", value);
    if (value > 99.9999) return Format("%.1f", value);
    return Format("%.2f", value);
}

// Byte offsets where characters start: every byte of an 8-bit text, the
// lead bytes of a UTF-8 one.
std::vector<std::size_t> CharacterStarts(std::string_view text) {
    const bool utf8 = IsValidUtf8(text);
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (!utf8 || (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) starts.push_back(i);
    return starts;
}

}  // namespace

std::string ShortTargetName(std::string_view name) {
    const std::vector<std::size_t> starts = CharacterStarts(name);
    if (starts.size() <= kNameKept) return std::string(name);
    const std::size_t headEnd = starts[kNameEnds];
    const std::size_t tailStart = starts[starts.size() - kNameEnds];
    return std::string(name.substr(0, headEnd)) + ".." + std::string(name.substr(tailStart));
}

DistanceText FormatNavDistance(double metres, int distanceUnit) {
    if (distanceUnit == kUnitMiles || distanceUnit == kUnitNauticalMiles) {
        const double feet = metres * kFeetPerMetre;
        const bool nautical = distanceUnit == kUnitNauticalMiles;
        if (feet >= (nautical ? kFeetBeforeNauticalMiles : kFeetBeforeMiles))
            return {Scaled(feet * (nautical ? kNauticalMilesPerFoot : kMilesPerFoot)), "mi"};
        return {Format("%.0f", feet), "ft"};
    }
    if (metres >= 1000) return {Scaled(metres * 0.001), "km"};
    return {Format("%.0f", metres), "m"};
}

std::string FormatNavBearing(double degrees) { return Format("%.1f", degrees); }

std::optional<NavigationReadout> NavigationPanelReadout(const NavigationState& nav, double lat,
                                                        double lon, int distanceUnit) {
    if (!nav.Active()) return std::nullopt;
    const NavigationTarget& t = *nav.target;
    return NavigationReadout{
        ShortTargetName(t.name),
        FormatNavDistance(DistanceMetres(lat, lon, t.lat, t.lon), distanceUnit),
        FormatNavBearing(InitialBearing(lat, lon, t.lat, t.lon))};
}

std::optional<NavigationReadout> NavigationPanelReadout(const NavigationState& nav,
                                                        const std::optional<GeoPoint>& from,
                                                        int distanceUnit) {
    if (from) return NavigationPanelReadout(nav, from->lat, from->lon, distanceUnit);
    if (!nav.Active()) return std::nullopt;
    return NavigationReadout{ShortTargetName(nav.target->name), {}, {}};
}

}  // namespace mw
