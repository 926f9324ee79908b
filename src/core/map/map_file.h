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

class Ui;

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
// A file without an "MM1B" line has scale 99999. `ui` receives the
// unsupported-projection warning; null is quiet.
MapRecord ParseMapFile(std::string_view data, const DatumTable& datums, Ui* ui);

// ParseMapFile on a file (its first kMaxCalibrationFileBytes bytes), with
// mapFilePath set; nullopt when the file cannot be read. Changes nothing else.
std::optional<MapRecord> ReadMapFile(const std::string& path, const DatumTable& datums, Ui* ui);

// The image step of a map load: finds and opens the image named by
// map.imageBaseName for the calibration file map.mapFilePath, sets the image
// size and the view centre, and reports "Image File not Found" itself when
// no candidate opens. Returns whether an image is shown.
using MapImageLoader = std::function<bool(MapRecord& map)>;

// What a map load reaches beyond the map record. Each part may be empty.
struct MapLoadHooks {
    // Empty until an image reader is linked in: every load then reports
    // "Image File not Found" and shows no image.
    MapImageLoader loadImage;
    // The stores whose positions follow the map's datum.
    std::vector<PositionStore*> stores;
    // Clears the position state that belongs to the map being replaced (the
    // last GPS position and whether it lay on the map).
    std::function<void()> resetPositionState;
    // The recent-maps list changed; receives it as the file now holds it.
    std::function<void(const std::vector<std::string>&)> recentMapsChanged;
};

struct MapLoadContext {
    const DatumTable& datums;
    Ui* ui = nullptr;  // messages and repaints; null for none
    std::string home;  // application home: "LastMap.ini" and the recent-maps list
    MapLoadHooks* hooks = nullptr;
    bool* busy = nullptr;     // set while the map is loading
    bool imageShown = false;  // out: whether the load ended with an image on screen
};

// Loads the calibration file `path` into `map`. False, with nothing changed,
// when the file cannot be read. Otherwise the record is replaced, "Last Map"
// is written, stored positions move from the old map's datum to the new one,
// the image step runs (a missing image does not fail the load), the map and
// overview windows are repainted and the path goes to the top of the recent
// maps; returns true.
bool LoadMapFile(MapRecord& map, MapLoadContext& context, const std::string& path);

}  // namespace mw
