// View geometries for drawing tests, set up through the view record's own
// operations as the program sets it. Positions are given directly as image
// pixels (latitude = row, longitude = column), so with the default window of
// 480 × 640 centred on image pixel (1000, 1000) the window pixel of
// (lat, lon) is (lon − 760, lat − 680) at zoom 1.
#pragma once

#include "geo/datums.h"
#include "map/map_record.h"
#include "view/map_view.h"
#include "view/overlays.h"

namespace mwtest {

// Positions as image pixels; no way back, so the map's up is the image's.
inline mw::MapProjection PixelProjection() {
    return {[](double lat, double lon) {
                return mw::MapPixel{static_cast<int>(lon), static_cast<int>(lat)};
            },
            {}};
}

// The view of a `width` × `height` window (the centre lifted in landscape)
// centred on image pixel (x, y) at zoom divisor `zoom`.
inline mw::MapView WindowView(int width, int height, bool portrait, int x, int y,
                              double zoom = 1.0) {
    mw::MapView view;
    mw::Resize(view, width, height, portrait);
    // The centre's degrees do not matter to the overlays: no calibration.
    const mw::MapRecord uncalibrated;
    const mw::DatumTable datums;
    mw::CentreOnPixel(view, uncalibrated, datums, x, y);
    mw::ZoomTo(view, {mw::ZoomEntry{zoom, "", 0}}, 0);
    return view;
}

// A view record centred on image pixel (1000, 1000) and its geometry, which
// reads the record: keep the PixelView alive as long as the geometry is used
// (a temporary passed straight to a drawing call is fine).
class PixelView {
public:
    explicit PixelView(double zoom = 1.0, int width = 480, int height = 640, bool portrait = true)
        : view_(WindowView(width, height, portrait, 1000, 1000, zoom)),
          geometry_(view_, PixelProjection()) {}
    PixelView(const PixelView&) = delete;
    PixelView& operator=(const PixelView&) = delete;

    operator const mw::OverlayGeometry&() const { return geometry_; }

private:
    mw::MapView view_;
    mw::OverlayGeometry geometry_;
};

}  // namespace mwtest
