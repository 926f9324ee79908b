// The position text shown wherever a position is displayed, in the position
// format the user chose (the "Position Format" setting; names in
// geo/format_names.h).
#pragma once

#include <string>

#include "geo/datums.h"
#include "proj/projection.h"

namespace mw {

// The text of (lat, lon), degrees on datum `mapDatum`, in position format
// `formatIndex` 0..15:
//   0, 1   degrees and minutes / degrees, minutes, seconds: latitude text,
//          two blanks, longitude text;
//   2      UTM: zone text, a blank, "%.0f %.0f";
//   3, 4   British / Irish grid: letters, a blank, "%05.0f %05.0f";
//   5..15  the national grids and the user Transverse Mercator (the map's
//          parameters `tmParams`): "%.0f %.0f".
// "---" when lat and lon are both 0, and for every grid format (2..15) when
// lat is 0. An index outside 0..15 is shown as format 0.
std::string FormatPosition(double lat, double lon, int formatIndex, const DatumTable& datums,
                           int mapDatum, const ProjectionParams& tmParams);
// The same text appended to `out`: a bulk conversion writes a million of
// them into one buffer.
void AppendPosition(std::string& out, double lat, double lon, int formatIndex,
                    const DatumTable& datums, int mapDatum, const ProjectionParams& tmParams);

}  // namespace mw
