// Pictures for the map image encoder, read in bands where the format allows
// it: TIFF through libtiff (strips or tiles, any layout libtiff can turn
// into RGBA), other formats through Qt's image readers, in clip rectangles
// when the reader can cut them and the picture is large.
#pragma once

#include <memory>
#include <string>

#include "image/mwf2_writer.h"

namespace mwtool {

// nullptr with `error` set when the picture cannot be opened.
std::unique_ptr<mw::PictureRows> OpenPicture(const std::string& path, std::string& error);

// Whether `path` starts like a TIFF file (classic or BigTIFF, either byte
// order).
bool LooksLikeTiff(const std::string& path);

}  // namespace mwtool
