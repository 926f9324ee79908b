// A seamless map window: where the view reaches past the loaded map's
// border, the parts of neighbouring catalogue maps that cover those pixels
// are drawn into it, so a walker on a sheet edge sees the next sheet instead
// of white. The loaded map stays "the" map: nothing here loads, selects or
// reports a map, and the loaded map's pixels inside its border are never
// touched.
//
// Order: inside the loaded map's border (and image) its own pixels; every
// other pixel goes to the first neighbour whose border holds it, neighbours
// taken best scale first (smallest ground distance per pixel; on equal
// scales the earlier in the search order of the map folders, as automatic
// selection takes them). A pixel no neighbour holds keeps what the loaded
// map's image shows there.
//
// Geometry: a neighbour is warped into the loaded map's view through a grid
// of control points kControlCell view pixels apart. At each node the exact
// chain is evaluated (loaded map pixel -> its grid -> latitude/longitude on
// its datum -> the neighbour's datum -> the neighbour's projection and
// calibration -> the neighbour's pixel); between nodes the position is
// interpolated bilinearly and the nearest neighbour pixel is shown.
// Accuracy: the interpolation departs from the exact chain by less than
// kMaxInterpolationError pixels for sheets at 1:25,000 to 1:250,000 (between
// UTM zones and across datums included), so a shown pixel lies within
// 0.5 + kMaxInterpolationError pixels of where the neighbour's own
// calibration puts it. Borders are followed as the coverage test reads them
// (straight in latitude/longitude), with a vertex at least every
// kBorderStep view pixels.
//
// Cost: neighbours keep their images open (at most kMaxOpenNeighbours; the
// least recently used is closed) and share one tile cache sized for the
// window. A view that only moved draws only what it uncovers, as the map's
// own render does; the list of neighbours is looked up again only when the
// view leaves the area it was looked up for (half a window each way).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "geo/datums.h"
#include "image/tile_cache.h"
#include "image/view_render.h"
#include "map/catalogue.h"
#include "map/map_record.h"
#include "view/map_view.h"

namespace mw {

inline constexpr int kControlCell = 32;
inline constexpr double kMaxInterpolationError = 0.05;
inline constexpr int kBorderStep = 64;
inline constexpr int kMaxOpenNeighbours = 6;
// Spacing of the positions (in pixels of the loaded map's level) at which
// the catalogue is asked for covering maps; a neighbour narrower than this
// on screen may be missed.
inline constexpr int kNeighbourProbeStep = 96;

// Where neighbours come from: the map folders in search order, the covering
// maps of one folder for a position (in file-name order, as the catalogue
// gives them), and the image folder settings the image of a map is looked
// for in.
struct NeighbourSource {
    std::vector<std::string> folders;
    std::function<std::vector<CoveringMap>(const std::string& folder, const MapSearch& search)>
        covering;
    std::string filePath1, filePath2, userHome;
};

// A point in pixels of a level (x right, y down), or a position on a map.
struct PlanePoint {
    double x = 0, y = 0;
};

class NeighbourFill {
public:
    NeighbourFill();
    ~NeighbourFill();
    NeighbourFill(const NeighbourFill&) = delete;
    NeighbourFill& operator=(const NeighbourFill&) = delete;

    // Called after the loaded map's view was rendered into `view` (from
    // `image`, for `map` at `mv`'s corner and zoom). Enabled: fills the
    // pixels past the map's border from the neighbours, only those the
    // render uncovered when the view merely moved. Disabled: makes sure the
    // view shows the map's own pixels only (a view kept from a filled one
    // is rendered again). Returns true when any pixel was changed.
    bool Apply(ImageFile& image, ViewImage& view, const MapView& mv, const MapRecord& map,
               const DatumTable& datums, const NeighbourSource& source, bool enabled);

    // Paths of the neighbours used for the last view, best first.
    std::vector<std::string> ActiveNeighbours() const;
    // Neighbour images open now (never more than kMaxOpenNeighbours).
    int OpenNeighbourCount() const;
    // Times the catalogue was asked for the neighbours of a view area.
    int NeighbourLookups() const { return lookups_; }

    struct Neighbour;
    struct Current;
    struct Border;

private:
    void Forget();
    bool Refresh(const Current& cur, const MapView& mv, const MapRecord& map,
                 const DatumTable& datums, const NeighbourSource& source);
    Neighbour* Open(const std::string& path, double scale, int folder, const DatumTable& datums,
                    const NeighbourSource& source);
    void Close(std::size_t index);
    void Fill(const Current& cur, ViewImage& view, const MapView& mv, const MapRecord& map,
              const DatumTable& datums, const int* rects, int count);

    std::vector<std::unique_ptr<Neighbour>> open_;
    std::vector<Neighbour*> active_;
    std::unique_ptr<Current> current_;
    TileCache cache_;
    std::uint64_t clock_ = 0;
    std::uint64_t generation_ = 0;
    // What the shown view is: drawn for this content, with neighbours of
    // this generation (filled_), or the map's pixels alone.
    ViewContent shown_;
    bool filled_ = false;
    std::uint64_t filledGeneration_ = 0;
    // The level area (x0, y0, x1, y1) the active list was looked up for.
    double lookedUp_[4] = {0, 0, 0, 0};
    bool haveLookup_ = false;
    int lookups_ = 0;
};

// The exact position on a neighbour's full-resolution image of a pixel
// position on the loaded map's full-resolution image (both centred on whole
// numbers), through both calibrations, projections and datums. False where a
// projection cannot take the position or a map has no calibration.
bool MapToNeighbourPixel(const MapRecord& from, const MapRecord& to, const DatumTable& datums,
                         PlanePoint at, PlanePoint& out);

// A position (degrees on the map datum) to the map's full-resolution pixel
// position without rounding; false where the projection cannot take it.
bool ExactMapPixel(const MapRecord& map, const DatumTable& datums, double lat, double lon,
                   PlanePoint& out);

}  // namespace mw
