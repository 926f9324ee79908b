// A view geometry for drawing tests: a window of 480 × 640 centred on image
// pixel (1000, 1000), where positions are given directly as image pixels
// (latitude = row, longitude = column). The window pixel of (lat, lon) is
// then (lon − 760, lat − 680) at zoom 1.
#pragma once

#include "view/overlays.h"

namespace mwtest {

inline mw::OverlayGeometry PixelView(double zoom = 1.0) {
    mw::OverlayGeometry v;
    v.viewCentreX = 1000;
    v.viewCentreY = 1000;
    v.zoomDivisor = zoom;
    v.halfViewWidth = 240;
    v.halfViewHeight = 320;
    v.toPixel = [](double lat, double lon) {
        return mw::MapPixel{static_cast<int>(lon), static_cast<int>(lat)};
    };
    return v;
}

}  // namespace mwtest
