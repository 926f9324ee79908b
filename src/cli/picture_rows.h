// Pictures for the map image encoder: anything GDAL reads, a band of rows at
// a time (raster/raster_rows.h), and through Qt's image readers the few
// formats GDAL does not know (plain-text PNM, XPM, ...).
#pragma once

#include <memory>
#include <string>

#include "image/mwf2_writer.h"

namespace mwtool {

// nullptr with `error` set when the picture cannot be opened.
std::unique_ptr<mw::PictureRows> OpenPicture(const std::string& path, std::string& error);

}  // namespace mwtool
