// Reference ellipsoids and geodetic datums.
//
// Every datum names one ellipsoid and a three-parameter geocentric shift
// (dx, dy, dz in metres) from the datum to WGS 84. A datum travels through the
// program as an index into a DatumTable; names from files become indices with
// FindDatumByName.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace mw {

struct ReadOutcome;

inline constexpr int kEllipsoidCount = 30;
inline constexpr int kBuiltinDatumCount = 121;
inline constexpr int kUserDatumSlots = 10;
inline constexpr int kDatumCapacity = kBuiltinDatumCount + kUserDatumSlots;  // 131
// Longest datum name a row holds (the name field has 40 characters with the
// terminator).
inline constexpr std::size_t kDatumNameMax = 39;

// Rows other code relies on by number.
inline constexpr int kDatumAutoShift = 0;  // WGS 84 plus a caller's offset in seconds
inline constexpr int kDatumNtfFrance = 82;
inline constexpr int kDatumWgs84 = 118;
inline constexpr int kEllipsoidWgs84 = 20;

struct EllipsoidRecord {
    const char* name;
    double a;  // semi-major axis, metres
    double inverseFlattening;
};
extern const std::array<EllipsoidRecord, kEllipsoidCount> kEllipsoids;

struct BuiltinDatum {
    const char* name;
    std::int16_t ellipsoid, dx, dy, dz;
};
extern const std::array<BuiltinDatum, kBuiltinDatumCount> kBuiltinDatums;

struct DatumRecord {
    std::string name;  // at most kDatumNameMax characters, compared exactly
    std::int16_t ellipsoid = kEllipsoidWgs84;
    std::int16_t dx = 0, dy = 0, dz = 0;  // metres, datum -> WGS 84
};

// The datum table of one running program: the 121 built-in rows followed by
// up to 10 user rows from "datums.dat".
struct DatumTable {
    DatumTable();
    std::array<DatumRecord, kDatumCapacity> rows;
    int datumCount = kBuiltinDatumCount;

    // The row for an index; an index outside 0..datumCount-1 (a corrupt file,
    // a stale setting) gives the WGS 84 row rather than reading past the table.
    const DatumRecord& Row(int index) const;
};

// The ellipsoid of a datum as the projections use it.
struct Ellipsoid {
    double a = 0;   // semi-major axis, metres
    double b = 0;   // semi-minor axis a·√(1 − e²), metres
    double e2 = 0;  // squared eccentricity 2f − f²
    double f = 0;   // flattening 1 / (1/f)
};
Ellipsoid EllipsoidOf(int ellipsoidIndex);
// The ellipsoid of datum `datumIndex` (WGS 84 for an index outside the table).
Ellipsoid GetDatumEllipsoid(const DatumTable& table, int datumIndex);
inline void GetDatumEllipsoid(const DatumTable& table, int datumIndex, double& a, double& b,
                              double& e2) {
    Ellipsoid e = GetDatumEllipsoid(table, datumIndex);
    a = e.a;
    b = e.b;
    e2 = e.e2;
}

// Appends the rows of `home`/"datums.dat" (one datum a line: name, ellipsoid
// index, dx, dy, dz) and returns the new datumCount. At most 10 rows are
// added; a line with an empty name, a name longer than 39 characters or an
// ellipsoid index outside 0..29 is skipped. A missing file adds nothing.
// Only the first kMaxDatumFileBytes bytes are read; `cut` (when given) tells
// whether the file held more (say so with FileCutText). `read` (when given)
// tells whether the file could be opened, and why not: a file that is there
// but cannot be read is worth telling (kDatumFileNotOpenedText).
inline constexpr std::size_t kMaxDatumFileBytes = std::size_t{1} << 20;
inline constexpr const char* kUserDatumFile = "datums.dat";
inline constexpr const char* kDatumFileNotOpenedText = "Datum file could not be opened";
int LoadUserDatums(DatumTable& table, const std::string& home, bool* cut = nullptr,
                   ReadOutcome* read = nullptr);

// Index of the first row whose name equals `name` exactly (case-sensitive);
// unknown names give WGS 84 (118).
int FindDatumByName(const DatumTable& table, std::string_view name);

}  // namespace mw
