// A position as latitude and longitude in decimal degrees, north and east
// positive. Unless a caller says otherwise it lies on the loaded map's datum.
#pragma once

namespace mw {

struct GeoPoint {
    double lat = 0;
    double lon = 0;
};

}  // namespace mw
