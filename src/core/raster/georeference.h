// Where a raster lies on the earth: the pixel-to-map transform and the
// coordinate system, from the file itself (GeoTIFF keys, .aux.xml, MBTiles,
// JPEG2000 boxes, anything GDAL reads) or from a world file beside it with a
// .prj file or a coordinate system the user names.
#pragma once

#include <optional>
#include <string>

#include "raster/world_file.h"

namespace mw {

struct RasterGeoreference {
    int width = 0, height = 0;  // pixels
    GeoTransform transform;
    std::string crs;     // as OGRSpatialReference::SetFromUserInput takes it
    std::string source;  // where it came from, for the user ("GeoTIFF keys", a world file's name)
};

enum class GeoreferenceFault {
    None,
    CannotOpen,      // GDAL cannot read the file as a raster
    NoGeoreference,  // neither the file nor a world file places it
    NoCrs,           // a transform but no coordinate system
    BadCrs,          // the coordinate system given or found cannot be read
    BadWorldFile,    // a world file is there but is not one
};

struct GeoreferenceOutcome {
    std::optional<RasterGeoreference> georeference;
    GeoreferenceFault fault = GeoreferenceFault::None;
    std::string message;  // names the file and the reason; empty on success
};

// The refusal for a raster that nothing places on the earth.
std::string NoGeoreferenceText(const std::string& name);

// Finds the georeference of the raster at `path`. `crs` (may be empty) is the
// user's coordinate system: it goes with a world file, replaces a missing
// .prj, and overrides the file's own. `name` is how messages call the file.
GeoreferenceOutcome FindGeoreference(const std::string& path, const std::string& crs,
                                     const std::string& name);

// Whether `definition` is a coordinate system GDAL can read; `reason` says
// why not.
bool CrsReadable(const std::string& definition, std::string* reason);

}  // namespace mw
