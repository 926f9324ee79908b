// Moving a latitude/longitude between two datums of the datum table.
//
// Every conversion goes through WGS 84 with the three-parameter geocentric
// shift of each datum, on a point taken to lie on the ellipsoid (height zero,
// so the result of a round trip is exact only to about a millimetre and the
// shift itself is only as good as the datum's three parameters: a few metres).
// Datum 0 ("Auto Shift .....") is WGS 84 plus an offset the caller gives in
// seconds of arc. Nothing is allocated and no state is kept: this lies on the
// path of every GPS fix.
#pragma once

#include "geo/datums.h"

namespace mw {

// Converts (*lat, *lon), degrees, in place from datum `fromDatum` to
// `toDatum`. The shifts, in seconds of arc (latitude, longitude), apply only
// to a side whose datum is 0. When both datums are equal the position is
// left bit-for-bit unchanged (the shifts are not applied either). A null
// `lat` or `lon` does nothing. Datum indices outside the table are taken as
// WGS 84 (see DatumTable::Row).
void ConvertDatum(const DatumTable& datums, int fromDatum, double fromShiftLat, double fromShiftLon,
                  int toDatum, double toShiftLat, double toShiftLon, double* lat, double* lon);

// The common case: no Auto Shift offsets.
inline void ConvertDatum(const DatumTable& datums, int fromDatum, int toDatum, double& lat,
                         double& lon) {
    ConvertDatum(datums, fromDatum, 0, 0, toDatum, 0, 0, &lat, &lon);
}

// The shift between `datum` and WGS 84 in one direction: `direction` 1 takes
// the position from `datum` to WGS 84, 0 from WGS 84 to `datum`. Datum 118
// (WGS 84) returns the position untouched. Degrees in and out.
void ShiftDatum(const DatumTable& datums, int direction, double* lat, double* lon, int datum);

}  // namespace mw
