// The coverage reading of a calibration file: whether a map takes part in
// automatic selection, its datum, scale and border, and whether a position
// lies inside that border.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "geo/datums.h"
#include "ports/file_system.h"

namespace mw {

// What the coverage test takes from one calibration file.
struct CoverageInfo {
    bool header = false;     // line 1 contains "Mapwanderer"
    bool movingMap = false;  // an "MM0" line whose field 2 contains "Yes"
    int datum = kDatumWgs84;
    double scale = 99999.0;  // "MM1B" × scale factor; 99999 without the line
    int borderCount = 4;
    // Corners 1..borderCount at [0..borderCount-1], degrees of the map datum;
    // a corner the file does not give is 0, 0. Kept only for files that can
    // cover anything (header and moving-map flag).
    std::vector<double> borderLat, borderLon;

    bool CanCover() const { return header && movingMap; }
};

// Reads line 1 (header), line 5 (datum), line 6 (scale factor when the line
// contains "MSF") and, from line 7 on, the "MM0", "MMPNUM", "MMPLL" and
// "MM1B" lines. Corner numbers and counts outside 1..99 are ignored.
CoverageInfo ReadCoverageInfo(std::string_view data, const DatumTable& datums);

// Whether (lat, lon), degrees on `datum`, lies inside the map's border: the
// position is moved to the map's datum and tested by the even-odd rule
// against the corners in file order, closed from the last to the first.
// False for a file that cannot cover anything.
bool CoverageContains(const CoverageInfo& info, double lat, double lon, int datum,
                      const DatumTable& datums);
// The same with the position already on the map's datum.
bool CoverageContainsOnMapDatum(const CoverageInfo& info, double lat, double lon);

// Reads the file now and tests it; `scale` receives the map's scale when the
// result is true. Unreadable and foreign files cover nothing.
bool MapCoversPosition(FileSystem& files, const std::string& path, double lat, double lon,
                       int datum, const DatumTable& datums, double* scale);

}  // namespace mw
