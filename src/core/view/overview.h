// The "MapView" overview window: the whole map image reduced to at most
// `size` pixels on its longer side inside an 8-pixel frame, with a red
// square at the view centre. A tap recentres the map there; "<" and ">"
// shrink and enlarge it in steps of 20 between 60 and 220.
#pragma once

#include <optional>
#include <string>

#include "image/view_render.h"
#include "map/calibration.h"
#include "ports/canvas.h"

namespace mw {

inline constexpr const char* kOverviewTitle = "MapView";
inline constexpr int kOverviewFrame = 8;
inline constexpr int kOverviewMinSize = 60;
inline constexpr int kOverviewMaxSize = 220;
inline constexpr int kOverviewSizeStep = 20;
inline constexpr Rgb kOverviewFrameColour{125, 180, 211};
inline constexpr Rgb kOverviewMarkerColour{255, 0, 0};

struct OverviewGeometry {
    int width = 0, height = 0;         // the drawn map, pixels
    double scaleX = 0, scaleY = 0;     // full-resolution image pixels per overview pixel
    bool Valid() const { return width > 0 && height > 0; }
    // The client area: the map and the frame around it.
    int ClientWidth() const { return width + 2 * kOverviewFrame; }
    int ClientHeight() const { return height + 2 * kOverviewFrame; }
    bool operator==(const OverviewGeometry&) const = default;
};

// The picture's size and scales for an image of imageWidth × imageHeight at
// `size`: the longer side gets `size`, the other trunc(size × ratio) (at
// least 1). Invalid for an image without pixels or a size below 1.
OverviewGeometry ComputeOverviewGeometry(int imageWidth, int imageHeight, int size);

// ">" (larger) and "<": the next size, held at 60..220.
int NextOverviewSize(int size, bool larger);

// The marker's centre for the view centre (full-resolution image pixels).
Point OverviewMarker(const OverviewGeometry& g, int viewCentreX, int viewCentreY);

// The image pixel under a tap at client point (x, y); a tap on the frame
// gives a pixel off the image (negative, or past its size).
MapPixel OverviewTapPixel(const OverviewGeometry& g, int x, int y);

// The frame: four 8-pixel strips around the picture in the frame colour.
void DrawOverviewFrame(Canvas& canvas, int clientWidth, int clientHeight);
// The marker: an unfilled 8 × 8 square, red, 1 pixel.
void DrawOverviewMarker(Canvas& canvas, Point marker);
// Where the picture is stretched to: the client area inside the frame.
Rect OverviewPictureRect(int clientWidth, int clientHeight);

// What the window shows: the smallest level of the map image and the
// geometry for the current size. The picture is built once per image file
// (a strip-format file has none and the window stays empty).
struct OverviewState {
    std::optional<LevelImage> picture;
    std::string builtFor;  // the image file of `picture`
    OverviewGeometry geometry;
};

// Sets the geometry for the image size and `size`; with `rebuild` makes the
// picture anew from `imagePath` (BuildLevelImage, level -1). Returns the
// damage met reading the picture, for the caller to show once.
ImageFault SetupOverview(OverviewState& overview, const std::string& imagePath, bool rebuild,
                         int size, int imageWidth, int imageHeight);

// What bringing the overview up to date came to: whether anything changed,
// and the damage met rebuilding the picture (the caller shows it once).
struct OverviewSync {
    bool changed = false;
    ImageFault fault = ImageFault::None;
};

// Brings the state up to date with the open image: rebuilt when the image
// file changed, resized when the size or the image size did, emptied when
// no image is open (empty path).
OverviewSync SyncOverview(OverviewState& overview, const std::string& imagePath, int size,
                          int imageWidth, int imageHeight);

}  // namespace mw
