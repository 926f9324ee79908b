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

class Ui;

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

// Opens one image file for `map` into the window `view` describes: rebuilds
// the zoom table (keeping the divisor when the new table has it, else 100 %),
// makes the view bitmap, sets the map's image size and centres the view on
// the image. False, with the zoom table unchanged, when the file does not
// open. `fault` (when given) tells why a file that exists did not open.
bool OpenMapImage(Viewport& vp, MapView& view, MapRecord& map, const DatumTable& datums,
                  const std::string& path, Ui& ui, ImageFault* fault = nullptr);

// Closes the image: the window shows the logo again.
void CloseMapImage(Viewport& vp);

// Finds and opens the map's image among MapImageCandidates; shows "Image File
// not Found" when none opens.
bool LoadMapImage(Viewport& vp, MapView& view, MapRecord& map, const DatumTable& datums,
                  const std::string& filePath1, const std::string& filePath2,
                  const std::string& userHome, Ui& ui);

// Fills the view bitmap for the view's size, corner and zoom; repaints the map.
bool RenderMapView(Viewport& vp, const MapView& view, Ui& ui);

// The zoom commands; nothing happens without an image.
void SetZoom(Viewport& vp, MapView& view, int index, Ui& ui);
void ZoomIn(Viewport& vp, MapView& view, Ui& ui);
void ZoomOut(Viewport& vp, MapView& view, Ui& ui);
// "Full Map": FullMap on the view, rendered.
void ShowFullMap(Viewport& vp, MapView& view, const MapRecord& map, const DatumTable& datums,
                 Ui& ui);
// Corner 0 top left, 1 top right, 2 bottom left, 3 bottom right, 4 centre.
void GotoMapPosition(Viewport& vp, MapView& view, const MapRecord& map, const DatumTable& datums,
                     int corner, Ui& ui);

// Asked when a new view centre lies off the map: loads a map covering the
// position (degrees on `datum`) and returns true when another map was loaded.
using OffMapHandler = std::function<bool(double lat, double lon, int datum)>;

// The window point (x, y) becomes the view centre. When the new centre lies
// outside the map's border and `offMap` loads another map, the view moves to
// the same place on that map. Ignored without an image.
// `view` and `map` are the program's own: a load replaces them.
void CentreOnScreenPoint(Viewport& vp, MapView& view, const MapRecord& map,
                         const DatumTable& datums, int x, int y, const OffMapHandler& offMap,
                         Ui& ui);

// Drag end: the view moves by the drag (dx, dy) in window pixels.
void DragMapBy(Viewport& vp, MapView& view, const MapRecord& map, const DatumTable& datums, int dx,
               int dy, Ui& ui);

// Where the view bitmap goes on the window: with divisor z ≥ 1 the whole
// bitmap 1:1; when magnified, the centre rectangle of the bitmap (source)
// stretched over the whole window.
struct PaintRects {
    Rect source;
    Rect target;
};
PaintRects MapPaintRects(const MapView& view);

}  // namespace mw
