// Making a map of the program from any georeferenced raster: the map image
// (NAME.mwf2) and its calibration file (NAME.map) side by side in a maps
// folder. The calibration holds the image's corners and inner points, placed
// through the raster's own transform, in the program's projection and datum
// that fits the raster's coordinate system; where none fits, the raster is
// first warped by GDAL into one that does (the UTM zone of its centre on WGS
// 84, or latitude/longitude on WGS 84 for large areas).
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "config/settings.h"
#include "geo/datums.h"
#include "image/mwf2_writer.h"
#include "raster/crs_mapping.h"
#include "raster/world_file.h"

namespace mw {

struct ImportRequest {
    std::string input;   // the raster
    std::string crs;     // the user's coordinate system, or empty
    std::string name;    // the map's name; empty: the raster's file name without extension
    std::string folder;  // where NAME.mwf2 and NAME.map go
    EncodeOptions encode;
};

// One calibration point or border corner: a full-resolution image pixel and
// its position in degrees on the map's datum.
struct PlacedPixel {
    int x = 0, y = 0;
    double lat = 0, lon = 0;
};

struct ImportReport {
    std::string mapPath, imagePath;
    int width = 0, height = 0;  // of the map image
    std::string crsName;        // the raster's coordinate system
    std::string georeferenceSource;
    MapCoordinateSystem system;  // what the calibration file says
    bool warped = false;
    std::string warpNote;  // why and into what, when warped
    // The image's own transform and system (after a warp: the warped grid).
    GeoTransform transform;
    std::string imageCrs;
    std::vector<PlacedPixel> points, border;
    double metresPerPixel = 0;
    EncodeReport encode;
};

struct ImportOutcome {
    bool ok = false;
    bool stopped = false;  // the caller's stop flag ended it; nothing was written
    std::string message;   // names the file and the reason when !ok
    ImportReport report;
};

// The map's name: `requested`, or the raster's name without folder and
// extension. Dots and path separators become "_", since the map reader
// takes an image name up to its first dot and "\" and "/" as folders.
std::string ImportMapName(const std::string& input, const std::string& requested);

// Where imported maps go unless the user says: the first map folder of the
// settings ("Map Path 1"), made local under `userHome`.
std::string DefaultImportFolder(const AppSettings& settings, const std::string& userHome);

// Phases report how far they have come, 0 .. 1 for the whole import.
using ImportProgress = std::function<void(double fraction)>;

// Runs the import. `stop` (may be null) is polled while pixels are read;
// once set the import ends with `stopped`, and neither the new files nor a
// part of them is left: both are written beside their targets under
// temporary names and renamed over them only when both are complete, so old
// files of the same name stay as they were on any failure.
ImportOutcome ImportMap(const ImportRequest& request, const DatumTable& datums,
                        const ImportProgress& progress = {},
                        const std::atomic<bool>* stop = nullptr);

// The calibration file for an image `imageFile` of the map `title`, lines
// ended with CR LF. At most 30 points and 99 border corners are written.
std::string CalibrationFileText(const std::string& title, const std::string& imageFile,
                                const MapCoordinateSystem& system,
                                const std::vector<PlacedPixel>& points,
                                const std::vector<PlacedPixel>& border, double metresPerPixel);

}  // namespace mw
