// Reading a position the user typed, in the position format the program
// shows (FormatPosition), so that whatever the program displays can be
// edited and typed back.
#pragma once

#include <optional>
#include <string_view>

#include "geo/datums.h"
#include "geo/geo_point.h"
#include "proj/projection.h"

namespace mw {

// The position written in `text`, degrees on datum `mapDatum`, or none when
// it cannot be read or lies off the globe. By format index:
//   0, 1   latitude then longitude, each as decimal degrees, degrees and
//          minutes, or degrees, minutes and seconds ("51 30.500'  -0 07.250'",
//          "51 30' 00.0\"  0 07' 15.0\" W", "51.5, -0.12"). A leading minus
//          or a hemisphere letter (N, S, E, W, before or after) gives the
//          sign; minutes and seconds lie in 0..60 and only the last part
//          may have decimals. Either of 0 and 1 reads all three forms.
//   2      UTM: zone number and band letter, easting, northing ("30U 699316
//          5710164"); zones 1..60 (a band letter below N is the southern
//          hemisphere).
//   3, 4   British / Irish grid: letters, easting and northing within the
//          100 km square ("TQ 12345 67890", "O 15000 34000").
//   5..15  the national grids and the user Transverse Mercator (`tmParams`):
//          easting and northing in metres.
std::optional<GeoPoint> ParsePosition(std::string_view text, int formatIndex,
                                      const DatumTable& datums, int mapDatum,
                                      const ProjectionParams& tmParams);

}  // namespace mw
