#include "gps/satellites.h"

#include <algorithm>

#include "support/text.h"

namespace mw {

namespace {

struct TalkerRow {
    const char* name;
    char letter;
};
constexpr TalkerRow kTalkers[kConstellationCount] = {
    {"GP", 'G'}, {"GL", 'R'}, {"GA", 'E'}, {"GB", 'C'}, {"GQ", 'J'}, {"GN", 'N'},
};

}  // namespace

std::optional<Constellation> ConstellationOfTalker(std::string_view talker) {
    if (talker == "BD") return Constellation::Beidou;
    for (int i = 0; i < kConstellationCount; ++i)
        if (talker == kTalkers[i].name) return static_cast<Constellation>(i);
    return std::nullopt;
}

const char* TalkerName(Constellation c) { return kTalkers[static_cast<int>(c)].name; }
char SystemLetter(Constellation c) { return kTalkers[static_cast<int>(c)].letter; }

std::string SatelliteLabel(Constellation c, int prn) {
    return std::string(1, SystemLetter(c)) + Format("%d", prn);
}

const Satellite* SatelliteTables::Find(Constellation c, int prn) const {
    const auto& t = Of(c);
    auto it = std::lower_bound(t.begin(), t.end(), prn,
                               [](const Satellite& s, int p) { return s.prn < p; });
    return it != t.end() && it->prn == prn ? &*it : nullptr;
}

void StoreSatellite(std::vector<Satellite>& table, const Satellite& s) {
    if (s.prn < kMinPrn || s.prn > kMaxPrn) return;
    auto it = std::lower_bound(table.begin(), table.end(), s.prn,
                               [](const Satellite& a, int p) { return a.prn < p; });
    if (it != table.end() && it->prn == s.prn)
        *it = s;
    else
        table.insert(it, s);
}

bool IsVisible(const Satellite& s) {
    // Summed in 64 bits: the fields come from the receiver unchecked.
    return static_cast<long long>(s.elevation) + s.azimuth + s.snr > 0;
}

std::vector<VisibleSatellite> VisibleSatellites(const SatelliteTables& t) {
    std::vector<VisibleSatellite> out;
    for (int i = 0; i < kConstellationCount; ++i) {
        auto c = static_cast<Constellation>(i);
        for (const Satellite& s : t.Of(c))
            if (IsVisible(s)) out.push_back({c, s});
    }
    return out;
}

}  // namespace mw
