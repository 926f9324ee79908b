#include "view/overview.h"

#include <algorithm>
#include <cmath>

#include "view/colours.h"

namespace mw {

OverviewGeometry ComputeOverviewGeometry(int imageWidth, int imageHeight, int size) {
    if (imageWidth <= 0 || imageHeight <= 0 || size < 1) return {};
    const double a = static_cast<double>(imageWidth) / imageHeight;
    OverviewGeometry g;
    if (a <= 1) {
        g.width = static_cast<int>(std::trunc(size * a));
        g.height = size;
    } else {
        g.width = size;
        g.height = static_cast<int>(std::trunc(size / a));
    }
    // A very long strip of a map still shows one row or column.
    g.width = std::max(g.width, 1);
    g.height = std::max(g.height, 1);
    g.scaleX = static_cast<double>(imageWidth) / g.width;
    g.scaleY = static_cast<double>(imageHeight) / g.height;
    return g;
}

int NextOverviewSize(int size, bool larger) {
    return std::clamp(size + (larger ? kOverviewSizeStep : -kOverviewSizeStep), kOverviewMinSize,
                      kOverviewMaxSize);
}

Point OverviewMarker(const OverviewGeometry& g, int viewCentreX, int viewCentreY) {
    if (!g.Valid()) return {kOverviewFrame, kOverviewFrame};
    return {static_cast<int>(std::trunc(viewCentreX / g.scaleX + kOverviewFrame)),
            static_cast<int>(std::trunc(viewCentreY / g.scaleY + kOverviewFrame))};
}

MapPixel OverviewTapPixel(const OverviewGeometry& g, int x, int y) {
    return {static_cast<int>(std::trunc((x - kOverviewFrame) * g.scaleX)),
            static_cast<int>(std::trunc((y - kOverviewFrame) * g.scaleY))};
}

void DrawOverviewFrame(Canvas& canvas, int w, int h) {
    const int f = kOverviewFrame;
    canvas.FillRect({0, 0, w, f}, kOverviewFrameColour);
    canvas.FillRect({0, h - f, w, h}, kOverviewFrameColour);
    canvas.FillRect({0, f, f, h - f}, kOverviewFrameColour);
    canvas.FillRect({w - f, f, w, h - f}, kOverviewFrameColour);
}

void DrawOverviewMarker(Canvas& canvas, Point m) {
    canvas.SetPen(kOverviewMarkerColour, 1);
    canvas.SetBrush(kOverviewMarkerColour, true);
    // The outline of the rectangle (x − 3, y − 3)..(x + 4, y + 4), right and
    // bottom exclusive.
    canvas.Polygon({{m.x - 3, m.y - 3}, {m.x + 3, m.y - 3}, {m.x + 3, m.y + 3}, {m.x - 3, m.y + 3}});
}

Rect OverviewPictureRect(int w, int h) {
    return {kOverviewFrame, kOverviewFrame, std::max(kOverviewFrame, w - kOverviewFrame),
            std::max(kOverviewFrame, h - kOverviewFrame)};
}

ImageFault SetupOverview(OverviewState& overview, const std::string& imagePath, bool rebuild,
                         int size, int imageWidth, int imageHeight) {
    overview.geometry = ComputeOverviewGeometry(imageWidth, imageHeight, size);
    ImageFault fault = ImageFault::None;
    if (!rebuild) return fault;
    overview.picture.reset();
    overview.builtFor = imagePath;
    if (imagePath.empty()) return fault;
    overview.picture = BuildLevelImage(imagePath, -1, fault);
    return fault;
}

OverviewSync SyncOverview(OverviewState& overview, const std::string& imagePath, int size,
                          int imageWidth, int imageHeight) {
    if (imagePath != overview.builtFor)
        return {true, SetupOverview(overview, imagePath, true, size, imageWidth, imageHeight)};
    OverviewGeometry g = ComputeOverviewGeometry(imageWidth, imageHeight, size);
    if (g == overview.geometry) return {};
    overview.geometry = g;
    return {true, ImageFault::None};
}

}  // namespace mw
