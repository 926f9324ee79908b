// Any raster GDAL can read, handed to the map image encoder a band of rows at
// a time, so that no picture is ever held whole in memory whatever its size
// or format (PNG, JPEG, TIFF and BigTIFF, JPEG2000, ...).
//
// What comes out is always 8-bit RGB:
//   - RGB(A) and grey(+alpha) rasters as they are;
//   - palette rasters through their colour table;
//   - 16-bit, 32-bit and floating-point rasters scaled linearly from their
//     minimum to their maximum (taken from the file's own statistics when it
//     has them, else from GDAL's approximate min/max), the colour bands of an
//     RGB picture sharing one scale so its colours keep their balance;
//   - transparent parts (alpha band, colour-table alpha, nodata values, the
//     file's own validity mask) laid on white, the colour of paper and of the
//     map window beyond the map's edge.
#pragma once

#include <memory>
#include <string>

#include "image/mwf2_writer.h"

namespace mw {

// nullptr with `error` set ("cannot read PATH: reason", the reason in GDAL's
// words) when the file cannot be opened as a raster. ReadRows fails the same
// way when the file turns out to be damaged or cut short while it is read.
std::unique_ptr<PictureRows> OpenRasterRows(const std::string& path, std::string* error);

}  // namespace mw
