#include "geo/datums.h"

#include <cmath>

#include "support/line_budget.h"
#include "support/paths.h"
#include "support/text.h"

namespace mw {

DatumTable::DatumTable() {
    for (int i = 0; i < kBuiltinDatumCount; ++i) {
        const BuiltinDatum& d = kBuiltinDatums[i];
        rows[i] = DatumRecord{d.name, d.ellipsoid, d.dx, d.dy, d.dz};
    }
}

const DatumRecord& DatumTable::Row(int index) const {
    if (index < 0 || index >= datumCount) return rows[kDatumWgs84];
    return rows[index];
}

Ellipsoid EllipsoidOf(int ellipsoidIndex) {
    if (ellipsoidIndex < 0 || ellipsoidIndex >= kEllipsoidCount) ellipsoidIndex = kEllipsoidWgs84;
    const EllipsoidRecord& r = kEllipsoids[ellipsoidIndex];
    Ellipsoid e;
    e.a = r.a;
    e.f = 1.0 / r.inverseFlattening;
    e.e2 = 2 * e.f - e.f * e.f;
    e.b = e.a * std::sqrt(1 - e.e2);
    return e;
}

Ellipsoid GetDatumEllipsoid(const DatumTable& table, int datumIndex) {
    return EllipsoidOf(table.Row(datumIndex).ellipsoid);
}

int LoadUserDatums(DatumTable& table, const std::string& home, bool* cut, ReadOutcome* read) {
    if (cut) *cut = false;
    TextFileReader file(JoinPath(home, kUserDatumFile));
    if (read) *read = OutcomeOf(file);
    if (!file.IsOpen()) return table.datumCount;
    // Skipped rows do not fill the table, so only the size limit ends a
    // file from an endless source.
    const bool wasCut = ForEachLineWithin(file, kMaxDatumFileBytes, [&](const std::string& line) {
        if (table.datumCount >= kDatumCapacity) return false;
        SplitFieldTable fields = SplitFields(line);
        std::string name = fields.Get(1, "");
        int ellipsoid = ParseInt(fields.Get(2, ""));
        // A row the table cannot hold faithfully is skipped rather than cut or
        // pointed at a wrong ellipsoid: a silently altered datum would move
        // every position on it.
        if (name.empty() || name.size() > kDatumNameMax) return true;
        if (ellipsoid < 0 || ellipsoid >= kEllipsoidCount) return true;
        auto shift = [&](int i) {
            int v = ParseInt(fields.Get(i, ""));
            if (v < INT16_MIN) v = INT16_MIN;
            if (v > INT16_MAX) v = INT16_MAX;
            return static_cast<std::int16_t>(v);
        };
        DatumRecord& row = table.rows[table.datumCount];
        row.name = name;
        row.ellipsoid = static_cast<std::int16_t>(ellipsoid);
        row.dx = shift(3);
        row.dy = shift(4);
        row.dz = shift(5);
        ++table.datumCount;
        return true;
    });
    if (cut) *cut = wasCut;
    return table.datumCount;
}

int FindDatumByName(const DatumTable& table, std::string_view name) {
    for (int i = 0; i < table.datumCount; ++i) {
        if (table.rows[i].name == name) return i;
    }
    for (int i = 0; i < table.datumCount; ++i) {
        if (table.rows[i].name == "WGS 84") return i;
    }
    return kDatumWgs84;
}

}  // namespace mw
