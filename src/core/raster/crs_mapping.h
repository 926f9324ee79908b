// A raster's coordinate system (as GDAL/OGR reads it: WKT, "EPSG:n" or a PROJ
// string) expressed in the program's own projections and datums, where one of
// them describes it exactly up to a shift or uniform scale of the projected
// coordinates (which the affine calibration absorbs).
#pragma once

#include <optional>
#include <string>

#include "geo/datums.h"
#include "proj/projection.h"

class OGRSpatialReference;

namespace mw {

// Reads a coordinate system as text: WKT (also ESRI's), "EPSG:n" or a PROJ
// string. The text comes from files beside a raster, so GDAL may neither
// open a file nor go to the network for it (a .prj holding a path or a URL
// would otherwise be followed). False when GDAL cannot read it.
bool ReadCoordinateSystem(const std::string& definition, OGRSpatialReference& srs);

struct MapCoordinateSystem {
    std::string projectionName;  // the calibration file's projection text
    int projectionId = kProjLatLon;
    ProjectionParams params;  // unused ones stay kUnsetParameter
    std::string datumName;    // a row of the datum table
    int datumIndex = kDatumWgs84;
    int utmZone = 0;  // 1..60 for a UTM map, else 0
    bool southern = false;
};

struct CrsMatch {
    bool parsed = false;           // GDAL could read the definition
    std::string crsName;           // the system's own name ("WGS 84 / UTM zone 32N")
    std::string parseError;        // why it could not be read
    std::optional<MapCoordinateSystem> system;  // nullopt: nothing here fits
    std::string whyNot;            // when nothing fits: which part has no counterpart
    // Degrees east of Greenwich of the system's prime meridian: its longitudes
    // (and those of a fitting system) are counted from there.
    double primeMeridian = 0;
};

// Matches `definition` (anything OGRSpatialReference::SetFromUserInput takes)
// against the projections and the datum table `datums`. A datum is matched by
// its EPSG code or name where the table has it, otherwise by ellipsoid and
// shift to WGS 84; a projection by its method and parameters, the fixed
// national grids by their constants.
CrsMatch MatchCoordinateSystem(const std::string& definition, const DatumTable& datums);

}  // namespace mw
