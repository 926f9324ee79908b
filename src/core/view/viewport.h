// The image machinery behind the map window: the zoom table, finding and
// opening the map's image, rendering the view bitmap for the MapView and the
// view commands that change the view and render it.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "image/view_render.h"
#include "map/map_record.h"
#include "ports/canvas.h"
#include "view/map_view.h"

namespace mw {

// The zoom table for an open image: a tiled file's level percentages from the
// last level down to level 0 where they match an entry (33 when the integer
// part is 33), or the seven fixed entries for a strip file; then the six
// magnifications. At most 15 entries.
std::vector<ZoomEntry> BuildZoomTable(const ImageFile& file);
// The zoom entry a menu command selects; nullopt for other commands.
std::optional<ZoomEntry> ZoomEntryForCommand(int command);
// Every command that selects a zoom entry, each once.
std::vector<int> ZoomCommands();

struct Viewport {
    std::vector<ZoomEntry> zoomTable;
    int zoomIndex100 = 0;
    // The open image and its view, in the window's pixel format; no image
    // while `file` is empty.
    std::optional<ImageFile> file;
    ViewImage view{ViewFormat::Display32};
    std::string imagePath;
    // Set while the view is rendered or a map is loaded: the GPS input drops
    // fixes meanwhile.
    bool busy = false;
    // The open image's damage was handed up to be told: a damaged image is
    // told once for each time it is opened, not at every view change.
    bool damageTold = false;
    // Runs after each render of the view (the neighbouring maps drawn into
    // the margin); none: the view is the map's image alone.
    std::function<void(Viewport&, const MapView&)> afterRender;

    bool HasImage() const { return file.has_value(); }
};

// The first entry whose divisor × 10, truncated, equals divisor × 10
// truncated; zoomIndex100 when none does.
int FindZoomIndex(const Viewport& vp, double divisor);

// The candidate image files of a map, in the order they are tried: the two
// image folders, then the calibration file's folder, first with the base
// name from the file, then with the calibration file's own name up to its
// first dot; "mwf2" before "mwf". `baseName` ends in "." when line 3 had an
// extension. Folder texts are made local paths with `userHome`; an empty
// image folder setting is skipped.
std::vector<std::string> MapImageCandidates(const std::string& baseName,
                                            const std::string& mapFilePath,
                                            const std::string& filePath1,
                                            const std::string& filePath2,
                                            const std::string& userHome);

// What opening a map image came to. Nothing here is shown: the caller
// decides what the user hears, once.
struct MapImageOpen {
    bool opened = false;
    // Why a file that exists did not open (its headers are damaged): a
    // reason to give if no other candidate opens, and what is wrong.
    ImageFault unreadable = ImageFault::None;
    std::string reason;
    // Damage met while drawing the first view (the image may still be open,
    // its view left empty): shown as it is, at once.
    ImageFault damaged = ImageFault::None;
    explicit operator bool() const { return opened; }
};

// Opens one image file for `map` into the window `view` describes: rebuilds
// the zoom table (keeping the divisor when the new table has it, else 100 %),
// makes the view bitmap, sets the map's image size and centres the view on
// the image. Not opened, with the zoom table unchanged, when the file does
// not open.
MapImageOpen OpenMapImage(Viewport& vp, MapView& view, MapRecord& map, const DatumTable& datums,
                          const std::string& path);

// Closes the image: the window shows the logo again.
void CloseMapImage(Viewport& vp);

// Damage met on the open image, to be told: `fault` the first time after the
// image was opened, None after that (the user has heard of it).
ImageFault DamageToTell(Viewport& vp, ImageFault fault);

// What finding the map's image came to: whether one opened, and the damage
// met on the way, in the order met (each one message).
struct MapImageLoad {
    bool shown = false;
    std::vector<ImageFault> damaged;
    explicit operator bool() const { return shown; }
};

// Finds and opens the map's image among MapImageCandidates.
MapImageLoad LoadMapImage(Viewport& vp, MapView& view, MapRecord& map, const DatumTable& datums,
                          const std::string& filePath1, const std::string& filePath2,
                          const std::string& userHome);

// What an operation on the view came to. `acted`: it had an image to act on
// (the windows it affects want a repaint); `drawn`: the view bitmap was drawn
// anew (the map window wants a repaint); `ok`: the drawing succeeded;
// `fault`: a damaged file, whose text (ImageFaultText with the viewport's
// imagePath) the caller shows; only the first damage after the image was
// opened is handed up (DamageToTell), so the user hears of it once.
struct ViewChange {
    bool acted = false;
    bool drawn = false;
    bool ok = false;
    ImageFault fault = ImageFault::None;
    explicit operator bool() const { return ok; }
};

// Fills the view bitmap for the view's size, corner and zoom. Not ok
// without an image; ok and not drawn for a window of no size. Damaged tiles
// or rows show as background.
ViewChange RenderMapView(Viewport& vp, const MapView& view);

// The zoom commands; nothing happens without an image.
ViewChange SetZoom(Viewport& vp, MapView& view, int index);
ViewChange ZoomIn(Viewport& vp, MapView& view);
ViewChange ZoomOut(Viewport& vp, MapView& view);
// "Full Map": FullMap on the view, rendered.
ViewChange ShowFullMap(Viewport& vp, MapView& view, const MapRecord& map, const DatumTable& datums);
// Corner 0 top left, 1 top right, 2 bottom left, 3 bottom right, 4 centre.
ViewChange GotoMapPosition(Viewport& vp, MapView& view, const MapRecord& map,
                           const DatumTable& datums, int corner);

// Asked when a new view centre lies off the map: loads a map covering the
// position (degrees on `datum`) and returns true when another map was loaded.
using OffMapHandler = std::function<bool(double lat, double lon, int datum)>;

// The window point (x, y) becomes the view centre. When the new centre lies
// outside the map's border and `offMap` loads another map, the view moves to
// the same place on that map. Ignored without an image.
// `view` and `map` are the program's own: a load replaces them.
ViewChange CentreOnScreenPoint(Viewport& vp, MapView& view, const MapRecord& map,
                               const DatumTable& datums, int x, int y, const OffMapHandler& offMap);

// Drag end: the view moves by the drag (dx, dy) in window pixels.
ViewChange DragMapBy(Viewport& vp, MapView& view, const MapRecord& map, const DatumTable& datums,
                     int dx, int dy);

// Where the view bitmap goes on the window: with divisor z ≥ 1 the whole
// bitmap 1:1; when magnified, the centre rectangle of the bitmap (source)
// stretched over the whole window.
struct PaintRects {
    Rect source;
    Rect target;
};
PaintRects MapPaintRects(const MapView& view);

}  // namespace mw
