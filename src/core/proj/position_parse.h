// Reading a position typed by a person: the texts the sixteen position
// formats show (and the usual ways of writing them by hand) back to latitude
// and longitude. The inverse of FormatPosition (position_format.h).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "geo/datums.h"
#include "geo/geo_point.h"
#include "proj/projection.h"

namespace mw {

// Any format that can be told from the text itself: degrees (decimal,
// degrees and minutes, or degrees, minutes and seconds, with signs or
// N/S/E/W), UTM ("32U 691607 5334760"), British ("TQ 30010 80530") and
// Irish ("O 15000 34000") grid references. The national grids (plain
// easting and northing) need their format named.
inline constexpr int kAnyPositionFormat = -1;

struct ParsedPosition {
    GeoPoint point;  // degrees on the datum the text was read on
    int format = 0;  // the format the text was read as (0 for any degrees)
};

struct PositionParse {
    std::optional<ParsedPosition> position;
    // When position is empty: which format was expected, with an example
    // ("not a position in BNG (for example TQ 30010 80530)").
    std::string error;
};

// Reads `text` as a position in format `format` (0..15, or
// kAnyPositionFormat) on datum `datum`. Formats 0 and 1 both take any
// degree form. Format 6 (the user's Transverse Mercator) uses `tmParams`.
// A grid reference the grid cannot hold (a letter square not in the table,
// metres beyond the square, a UTM zone beyond 60) is refused, as is a
// latitude beyond ±90° or a longitude beyond ±180°.
PositionParse ParsePositionText(std::string_view text, int format, const DatumTable& datums,
                                int datum, const ProjectionParams& tmParams = {});

// The text the error of a format names as its example.
std::string PositionExample(int format);

// The projection a map whose points are typed in `format` most likely has:
// its key text for the projection list (ProjectionChoices), "" for the
// degree formats, which imply none.
std::string_view ProjectionImpliedByFormat(int format);

// The position alone, for callers that show their own message.
inline std::optional<GeoPoint> ParsePosition(std::string_view text, int format,
                                             const DatumTable& datums, int datum,
                                             const ProjectionParams& tmParams = {}) {
    PositionParse parsed = ParsePositionText(text, format, datums, datum, tmParams);
    if (!parsed.position) return std::nullopt;
    return parsed.position->point;
}

}  // namespace mw
