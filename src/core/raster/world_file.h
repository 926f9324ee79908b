// Georeference that sits beside a raster in small text files of its own: the
// world file (.tfw, .jgw, .pgw, .wld, ...) with the six numbers of the
// pixel-to-map transform, and the .prj file naming the coordinate system.
// Both are read here with a byte budget and checked strictly, since they
// come from anywhere and a wrong number silently misplaces a whole map.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mw {

// The affine pixel-to-map transform in GDAL's order:
//   X = c[0] + col·c[1] + row·c[2],  Y = c[3] + col·c[4] + row·c[5]
// where (col, row) = (0, 0) is the outer corner of the top-left pixel.
struct GeoTransform {
    std::array<double, 6> c{0, 1, 0, 0, 0, 1};

    double X(double col, double row) const { return c[0] + col * c[1] + row * c[2]; }
    double Y(double col, double row) const { return c[3] + col * c[4] + row * c[5]; }
    // Whether the transform can be inverted (non-zero determinant, all finite).
    bool Invertible() const;
};

// World and .prj files are a few hundred bytes; anything much longer is not
// one (a device, a mistaken file) and is refused unread.
inline constexpr std::size_t kMaxWorldFileBytes = 4096;
inline constexpr std::size_t kMaxPrjFileBytes = 64 * 1024;

// Parses a world file: six numbers, one a line (x size, y rotation, x
// rotation, y size, x and y of the centre of the top-left pixel), read in the
// C locale. Blank lines around them and lines after the sixth are allowed.
// nullopt with `reason` set for fewer than six numbers, a line that is not a
// number, a value that is not finite or a transform that cannot be inverted.
std::optional<GeoTransform> ParseWorldFile(std::string_view text, std::string* reason);

// The world files that may belong to `rasterPath`, most specific first:
// the extension's first and last letters plus "w" (map.tif -> map.tfw), the
// extension plus "w" (map.tifw), and map.wld; each also in upper case.
std::vector<std::string> WorldFileCandidates(const std::string& rasterPath);

// rasterPath with its extension replaced by ".prj" (and ".PRJ").
std::vector<std::string> PrjFileCandidates(const std::string& rasterPath);

// The text of a .prj file as the coordinate-system parser wants it: a UTF-8
// byte order mark, NUL bytes and the blank space around the text removed.
// nullopt with `reason` set when nothing is left or the text holds control
// characters other than line ends and tabs (not a text file).
std::optional<std::string> CleanPrjText(std::string_view raw, std::string* reason);

// Reads a small regular file whole. nullopt with `reason` set when it cannot
// be opened, is not a regular file, or is longer than `maxBytes`;
// `missing` (when given) tells that the file is simply not there.
std::optional<std::string> ReadSmallFile(const std::string& path, std::size_t maxBytes,
                                         std::string* reason, bool* missing = nullptr);

}  // namespace mw
