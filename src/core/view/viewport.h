// The map window's view over the loaded map image: the zoom table, the view
// corner, finding and opening the map's image, rendering and moving the view.
//
// Coordinates: the view centre is kept in full-resolution image pixels (in
// MapRecord); the view corner is in pixels of the level shown; the zoom
// divisor is image pixels per screen pixel (below 1 the view is magnified
// when it is painted).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "image/view_render.h"
#include "map/map_record.h"
#include "ports/canvas.h"

namespace mw {

class Ui;

// One entry of the zoom table: divisor, menu text and command.
struct ZoomEntry {
    double divisor = 1.0;
    std::string label;
    int command = 0;
    friend bool operator==(const ZoomEntry&, const ZoomEntry&) = default;
};

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
    int zoomIndex = 0;
    int zoomIndex100 = 0;
    int viewLeft = 0, viewTop = 0;  // pixels of the level shown
    int halfViewWidth = 0, halfViewHeight = 0;
    int clientWidth = 0, clientHeight = 0;
    // The open image and its view, in the window's pixel format; no image
    // while `file` is empty.
    std::optional<ImageFile> file;
    ViewImage view{ViewFormat::Display32};
    std::string imagePath;
    // Set while the view is rendered or a map is loaded: the GPS input drops
    // fixes meanwhile.
    bool busy = false;

    bool HasImage() const { return file.has_value(); }
    // The divisor in use; 1 while the table is empty.
    double Divisor() const;
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

// Sets the window size the view fills (the map window's client size).
void SetViewSize(Viewport& vp, int clientWidth, int clientHeight, int halfViewWidth,
                 int halfViewHeight);

// Opens one image file for `map`: rebuilds the zoom table (keeping the divisor
// when the new table has it, else 100 %), makes the view bitmap, centres the
// view on the image and sets the map's image size and view centre (pixel and
// degrees). False, with the zoom table unchanged, when the file does not open.
// `fault` (when given) tells why a file that exists did not open.
bool OpenMapImage(Viewport& vp, MapRecord& map, const DatumTable& datums, const std::string& path,
                  Ui& ui, ImageFault* fault = nullptr);

// Closes the image: the window shows the logo again.
void CloseMapImage(Viewport& vp);

// Finds and opens the map's image among MapImageCandidates; shows "Image File
// not Found" when none opens.
bool LoadMapImage(Viewport& vp, MapRecord& map, const DatumTable& datums,
                  const std::string& filePath1, const std::string& filePath2,
                  const std::string& userHome, Ui& ui);

// viewLeft/viewTop from the centre, the divisor (1 when magnified) and the
// half view size.
void ComputeViewCorner(Viewport& vp, const MapRecord& map);
// Fills the view bitmap for the current corner and zoom; repaints the map.
bool RenderMapView(Viewport& vp, Ui& ui);

// The zoom commands; nothing happens without an image.
void SetZoom(Viewport& vp, const MapRecord& map, int index, Ui& ui);
void ZoomIn(Viewport& vp, const MapRecord& map, Ui& ui);
void ZoomOut(Viewport& vp, const MapRecord& map, Ui& ui);
// The largest zoom-out that shows the whole image in the window, never
// magnified; the centre becomes the image centre.
void FullMap(Viewport& vp, MapRecord& map, const DatumTable& datums, Ui& ui);
// Corner 0 top left, 1 top right, 2 bottom left, 3 bottom right, 4 centre.
void GotoMapPosition(Viewport& vp, MapRecord& map, const DatumTable& datums, int corner, Ui& ui);

// Asked when a new view centre lies off the map: loads a map covering the
// position (degrees on `datum`) and returns true when another map was loaded.
using OffMapHandler = std::function<bool(double lat, double lon, int datum)>;

// The window point (x, y) becomes the view centre. When the new centre lies
// outside the map's border and `offMap` loads another map, the view moves to
// the same place on that map. Ignored without an image.
void CentreOnScreenPoint(Viewport& vp, MapRecord& map, const DatumTable& datums, int x, int y,
                         const OffMapHandler& offMap, Ui& ui);

// Drag end: the view moves by the drag (dx, dy) in window pixels.
void DragMapBy(Viewport& vp, MapRecord& map, const DatumTable& datums, int dx, int dy, Ui& ui);

// Where the view bitmap goes on the window: with divisor z ≥ 1 the whole
// bitmap 1:1; when magnified, the centre rectangle of the bitmap (source)
// stretched over the whole window.
struct PaintRects {
    Rect source;
    Rect target;
};
PaintRects MapPaintRects(const Viewport& vp);

}  // namespace mw
