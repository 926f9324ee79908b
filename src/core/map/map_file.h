// Reading a map calibration file (.map) into the loaded map, and loading a
// map as the program does it: calibration, the user's positions moved to the
// new datum, "LastMap.ini", the image, the recent-maps list.
//
// The file is 8-bit text read by line position for lines 1 to 40 and by
// keyword from line 41 on; lines longer than 250 characters come back in
// pieces, which shifts every positional line after them.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "geo/datums.h"
#include "map/map_record.h"
#include "map/position_store.h"

namespace mw {


// No calibration file comes near this size; a larger file (a linker's .map,
// a wrong pick in a file dialog) is read only this far rather than into
// memory whole.
inline constexpr std::size_t kMaxCalibrationFileBytes = 1u << 20;
inline constexpr const char* kImageNotFoundText = "Image File not Found";

// One calibration point line (fields: 3 x, 4 y, 5 must contain "in",
// 7..9 latitude degrees, minutes, N/S, 10..12 longitude, 14 zone,
// 15 easting, 16 northing, 17 grid hemisphere). Pixels are divided by
// `mapScaleFactor` and rounded; an empty pixel field gives -1, an empty
// degree field 777, an empty grid field -1; an empty longitude hemisphere
// means west. Returns point.used.
bool ParseCalibrationPoint(std::string_view line, double mapScaleFactor, CalibrationPoint& point);

// The image base name from line 3: the name after the last folder separator
// ('\' or '/'), cut after its first dot when it has one ("C:\maps\topo.bmp"
// gives "topo.", "topo" stays "topo"). The image loader appends its own
// extensions; the one in the file is never used.
std::string ImageBaseName(std::string_view line3);

// The contents of a calibration file as a map record: title, datum, scale
// factor, projection and parameters, points, fitted calibration, scale and
// border. mapFilePath, the image and view fields are left for the caller.
// A file without an "MM1B" line has scale 99999. Shows nothing: a projection
// without an id leaves projectionId kProjUnsupported for the caller to report
// (kProjectionNotSupportedText).
MapRecord ParseMapFile(std::string_view data, const DatumTable& datums);

// ParseMapFile on a file (its first kMaxCalibrationFileBytes bytes), with
// mapFilePath set; nullopt when the file cannot be read. Changes nothing else.
std::optional<MapRecord> ReadMapFile(const std::string& path, const DatumTable& datums);

}  // namespace mw
