#include "raster/raster_rows.h"

#include <gdal.h>
#include <cpl_conv.h>
#include <cpl_error.h>

#include <sys/stat.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <mutex>
#include <new>
#include <vector>

namespace mw {

namespace {

// Byte offsets of the channels in a 0x??RRGGBB word as it lies in memory.
constexpr bool kLittle = std::endian::native == std::endian::little;
constexpr int kRedByte = kLittle ? 2 : 1, kGreenByte = kLittle ? 1 : 2, kBlueByte = kLittle ? 0 : 3,
              kSpareByte = kLittle ? 3 : 0;

void RegisterDrivers() {
    static std::once_flag once;
    std::call_once(once, [] {
        GDALAllRegister();
        // libjpeg fills a cut-short JPEG with grey and only warns; a scan
        // that ends early should be refused, not encoded half grey.
        if (!CPLGetConfigOption("GDAL_ERROR_ON_LIBJPEG_WARNING", nullptr))
            CPLSetConfigOption("GDAL_ERROR_ON_LIBJPEG_WARNING", "YES");
    });
}

// GDAL's messages would go to stderr unasked; they are kept on this thread
// (GDAL's error state is per thread) and handed back with the failure.
class QuietErrors {
public:
    QuietErrors() {
        CPLPushErrorHandler(CPLQuietErrorHandler);
        CPLErrorReset();
    }
    ~QuietErrors() { CPLPopErrorHandler(); }
    QuietErrors(const QuietErrors&) = delete;
    QuietErrors& operator=(const QuietErrors&) = delete;
};

std::string LastGdalError(const char* otherwise) {
    const char* message = CPLGetLastErrorMsg();
    return message && *message ? message : otherwise;
}

bool Fail(std::string* error, const std::string& path, const std::string& reason) {
    if (error) *error = "cannot read " + path + ": " + reason;
    return false;
}

// One band of source values on its way to 8 bits.
struct Channel {
    GDALRasterBandH band = nullptr;
    bool byte = true;         // GDT_Byte: read as it is
    double low = 0, scale = 1;  // otherwise (value - low) * scale
    bool hasNodata = false;
    double nodata = 0;
};

std::uint8_t ToByte(double v, const Channel& c) {
    const double s = (v - c.low) * c.scale;
    if (!(s > 0)) return 0;  // NaN too
    return s >= 255 ? 255 : static_cast<std::uint8_t>(s + 0.5);
}

bool IsNodata(double v, const Channel& c) {
    if (std::isnan(v)) return true;  // never a colour
    return c.hasNodata && (v == c.nodata || (std::isnan(c.nodata) && std::isnan(v)));
}

// Transparent parts go on white; `a` is the alpha of a colour that is not
// premultiplied.
inline std::uint8_t OverWhite(int c, int a) {
    return static_cast<std::uint8_t>((c * a + 255 * (255 - a) + 127) / 255);
}

class RasterRows : public PictureRows {
public:
    ~RasterRows() override {
        if (dataset_) {
            QuietErrors quiet;
            GDALClose(dataset_);
        }
    }

    bool Open(const std::string& path, std::string* error);
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    bool ReadRows(int y, int count, std::uint32_t* out, std::string* error) override;

private:
    bool SetUpScale(std::string* error);
    bool ReadChannel(const Channel& c, int y, int count, std::uint8_t* bytes, int offset,
                     std::uint8_t* nodataHits);
    bool ReadAlpha(GDALRasterBandH band, int y, int count, std::uint8_t* alpha);

    std::string path_;
    GDALDatasetH dataset_ = nullptr;
    int width_ = 0, height_ = 0;
    std::vector<Channel> colours_;  // 1 (grey or palette index) or 3 (red, green, blue)
    bool palette_ = false;
    bool interleaved_ = false;  // 8-bit RGB(A) without nodata, read in one call
    std::vector<std::uint32_t> lut_;      // palette: colour of each index...
    std::vector<std::uint8_t> lutAlpha_;  // ...and its alpha
    GDALRasterBandH alpha_ = nullptr;     // an alpha band
    GDALRasterBandH mask_ = nullptr;      // the file's own validity mask (0: no data)
    // Scratch for one band of rows, kept between calls.
    std::vector<double> values_;
    std::vector<std::int32_t> indices_;
    std::vector<std::uint8_t> alphaRow_, maskRow_, hits_;
};

bool RasterRows::Open(const std::string& path, std::string* error) {
    path_ = path;
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return Fail(error, path, std::strerror(errno));
    if (S_ISDIR(st.st_mode)) return Fail(error, path, "it is a folder");

    RegisterDrivers();
    QuietErrors quiet;
    dataset_ = GDALOpenEx(path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY, nullptr, nullptr,
                          nullptr);
    if (!dataset_) return Fail(error, path, LastGdalError("not a picture in a format GDAL reads"));
    width_ = GDALGetRasterXSize(dataset_);
    height_ = GDALGetRasterYSize(dataset_);
    const int bands = GDALGetRasterCount(dataset_);
    if (bands == 0) return Fail(error, path, "it has no raster bands");
    if (width_ <= 0 || height_ <= 0 || width_ > (1 << 30) || height_ > (1 << 30))
        return Fail(error, path, "the picture has no usable size");

    GDALRasterBandH red = nullptr, green = nullptr, blue = nullptr;
    for (int i = 1; i <= bands; ++i) {
        GDALRasterBandH b = GDALGetRasterBand(dataset_, i);
        switch (GDALGetRasterColorInterpretation(b)) {
            case GCI_RedBand: red = red ? red : b; break;
            case GCI_GreenBand: green = green ? green : b; break;
            case GCI_BlueBand: blue = blue ? blue : b; break;
            case GCI_AlphaBand: alpha_ = alpha_ ? alpha_ : b; break;
            default: break;
        }
    }
    GDALRasterBandH first = GDALGetRasterBand(dataset_, 1);
    const bool indexed = GDALGetRasterColorInterpretation(first) == GCI_PaletteIndex &&
                         GDALGetRasterColorTable(first) != nullptr;
    if (!(red && green && blue) && !indexed && bands >= 3 && first != alpha_) {
        // Three bands of no stated meaning (some JPEG2000 and raw files):
        // taken as red, green and blue, the usual order.
        red = first;
        green = GDALGetRasterBand(dataset_, 2);
        blue = GDALGetRasterBand(dataset_, 3);
    }
    std::vector<GDALRasterBandH> chosen;
    if (red && green && blue && !indexed) {
        chosen = {red, green, blue};
    } else {
        chosen = {first};
    }
    for (GDALRasterBandH b : chosen) {
        Channel c;
        c.band = b;
        c.byte = GDALGetRasterDataType(b) == GDT_Byte;
        int has = 0;
        c.nodata = GDALGetRasterNoDataValue(b, &has);
        c.hasNodata = has != 0;
        colours_.push_back(c);
    }

    if (indexed) {
        palette_ = true;
        GDALColorTableH table = GDALGetRasterColorTable(first);
        const int n = GDALGetColorEntryCount(table);
        lut_.assign(std::max(n, 1), 0xffffff);
        lutAlpha_.assign(lut_.size(), 0);  // indices beyond the table: no data
        for (int i = 0; i < n; ++i) {
            GDALColorEntry e{};
            GDALGetColorEntryAsRGB(table, i, &e);
            lut_[i] = PackRgb(std::clamp<int>(e.c1, 0, 255), std::clamp<int>(e.c2, 0, 255),
                              std::clamp<int>(e.c3, 0, 255));
            lutAlpha_[i] = static_cast<std::uint8_t>(std::clamp<int>(e.c4, 0, 255));
        }
    } else if (!SetUpScale(error)) {
        return false;
    }
    if (alpha_ == first) alpha_ = nullptr;
    interleaved_ = kLittle && colours_.size() == 3 &&
                   std::all_of(colours_.begin(), colours_.end(),
                               [](const Channel& c) { return c.byte && !c.hasNodata; }) &&
                   (!alpha_ || GDALGetRasterDataType(alpha_) == GDT_Byte);
    // A mask of the file's own (a TIFF's internal mask, a .msk file); alpha
    // and nodata masks are read from their bands above.
    if (!alpha_ && GDALGetMaskFlags(first) == GMF_PER_DATASET) mask_ = GDALGetMaskBand(first);

    // GDAL's block cache would otherwise grow to a share of the machine's
    // memory; one row of the file's blocks across the picture, twice over,
    // is what reading bands top to bottom needs. A cache the user set is
    // left alone.
    if (!CPLGetConfigOption("GDAL_CACHEMAX", nullptr)) {
        int bx = 0, by = 0;
        GDALGetBlockSize(first, &bx, &by);
        const GIntBig blockRow = GIntBig(width_) * std::max(by, 1) * bands *
                                 std::max(GDALGetDataTypeSizeBytes(GDALGetRasterDataType(first)), 1);
        GDALSetCacheMax64(std::clamp<GIntBig>(2 * blockRow, 32ll << 20, 256ll << 20));
    }
    return true;
}

// The colour bands' common scale to 8 bits: from the lowest to the highest
// value of all of them, so grey stays grey and colours keep their balance.
bool RasterRows::SetUpScale(std::string* error) {
    if (std::all_of(colours_.begin(), colours_.end(), [](const Channel& c) { return c.byte; }))
        return true;
    double low = HUGE_VAL, high = -HUGE_VAL;
    for (const Channel& c : colours_) {
        double mn = 0, mx = 0, mean = 0, sd = 0;
        // Statistics the file already holds cost nothing; otherwise GDAL's
        // approximate min/max (a sample of the blocks), which unlike its
        // statistics is not written back beside the file.
        if (GDALGetRasterStatistics(c.band, TRUE, FALSE, &mn, &mx, &mean, &sd) != CE_None) {
            double minMax[2] = {0, 0};
            CPLErrorReset();
            if (GDALComputeRasterMinMax(c.band, TRUE, minMax) != CE_None)
                return Fail(error, path_, LastGdalError("its values cannot be read"));
            mn = minMax[0], mx = minMax[1];
        }
        if (std::isfinite(mn)) low = std::min(low, mn);
        if (std::isfinite(mx)) high = std::max(high, mx);
    }
    for (Channel& c : colours_) {
        if (c.byte) continue;
        c.low = std::isfinite(low) ? low : 0;
        // A flat raster (every value the same) comes out black.
        c.scale = high > low ? 255.0 / (high - low) : 0;
    }
    return true;
}

bool RasterRows::ReadChannel(const Channel& c, int y, int count, std::uint8_t* bytes, int offset,
                             std::uint8_t* nodataHits) {
    const std::size_t n = std::size_t(width_) * count;
    if (c.byte && !c.hasNodata) {
        return GDALRasterIOEx(c.band, GF_Read, 0, y, width_, count, bytes + offset, width_, count,
                              GDT_Byte, 4, GSpacing(4) * width_, nullptr) == CE_None;
    }
    values_.resize(n);
    if (GDALRasterIOEx(c.band, GF_Read, 0, y, width_, count, values_.data(), width_, count,
                       GDT_Float64, 0, 0, nullptr) != CE_None)
        return false;
    for (std::size_t i = 0; i < n; ++i) {
        const double v = values_[i];
        if (IsNodata(v, c)) ++nodataHits[i];
        bytes[4 * i + offset] =
            c.byte ? static_cast<std::uint8_t>(std::clamp(v, 0.0, 255.0)) : ToByte(v, c);
    }
    return true;
}

bool RasterRows::ReadAlpha(GDALRasterBandH band, int y, int count, std::uint8_t* alpha) {
    // Alpha of more than 8 bits (16-bit RGBA) is brought to 0 .. 255 by its
    // type's range.
    const GDALDataType type = GDALGetRasterDataType(band);
    if (type == GDT_Byte)
        return GDALRasterIOEx(band, GF_Read, 0, y, width_, count, alpha, width_, count, GDT_Byte,
                              0, 0, nullptr) == CE_None;
    const std::size_t n = std::size_t(width_) * count;
    values_.resize(n);
    if (GDALRasterIOEx(band, GF_Read, 0, y, width_, count, values_.data(), width_, count,
                       GDT_Float64, 0, 0, nullptr) != CE_None)
        return false;
    const double full = type == GDT_UInt16 || type == GDT_Int16 ? 65535.0
                        : GDALDataTypeIsFloating(type)          ? 1.0
                                                                : 4294967295.0;
    for (std::size_t i = 0; i < n; ++i)
        alpha[i] = static_cast<std::uint8_t>(std::clamp(values_[i] / full, 0.0, 1.0) * 255 + 0.5);
    return true;
}

bool RasterRows::ReadRows(int y, int count, std::uint32_t* out, std::string* error) {
    if (y < 0 || count < 0 || y + count > height_) return Fail(error, path_, "rows beyond the picture");
    if (count == 0) return true;
    QuietErrors quiet;
    const std::size_t n = std::size_t(width_) * count;
    auto* bytes = reinterpret_cast<std::uint8_t*>(out);
    auto failed = [&] { return Fail(error, path_, LastGdalError("the file is damaged")); };
    try {
        const bool nodata = std::any_of(colours_.begin(), colours_.end(),
                                        [](const Channel& c) { return c.hasNodata || !c.byte; });
        const bool transparent = alpha_ || mask_ || nodata || palette_;
        if (transparent) alphaRow_.assign(n, 255);
        if (nodata) hits_.assign(n, 0);

        if (palette_) {
            const Channel& c = colours_[0];
            indices_.resize(n);
            if (GDALRasterIOEx(c.band, GF_Read, 0, y, width_, count, indices_.data(), width_,
                               count, GDT_Int32, 0, 0, nullptr) != CE_None)
                return failed();
            const auto size = static_cast<std::int32_t>(lut_.size());
            for (std::size_t i = 0; i < n; ++i) {
                const std::int32_t k = indices_[i];
                const bool inTable = k >= 0 && k < size;
                out[i] = inTable ? lut_[k] : 0xffffff;
                std::uint8_t a = inTable ? lutAlpha_[k] : 0;
                if (c.hasNodata && k == c.nodata) a = 0;
                alphaRow_[i] = std::min(alphaRow_[i], a);
            }
        } else if (interleaved_) {
            // All colour bands (and alpha) in one call: a pixel-interleaved
            // file (PNG, JPEG, most TIFFs) is then decoded once, not once a
            // band. The band map lays them out as the bytes of 0xAARRGGBB.
            int map[4] = {GDALGetBandNumber(colours_[2].band), GDALGetBandNumber(colours_[1].band),
                          GDALGetBandNumber(colours_[0].band),
                          alpha_ ? GDALGetBandNumber(alpha_) : 0};
            if (GDALDatasetRasterIOEx(dataset_, GF_Read, 0, y, width_, count, bytes, width_, count,
                                      GDT_Byte, alpha_ ? 4 : 3, map, 4, GSpacing(4) * width_, 1,
                                      nullptr) != CE_None)
                return failed();
            if (alpha_)
                for (std::size_t i = 0; i < n; ++i) alphaRow_[i] = bytes[4 * i + 3];
        } else if (colours_.size() == 3) {
            const int offsets[3] = {kRedByte, kGreenByte, kBlueByte};
            for (int k = 0; k < 3; ++k)
                if (!ReadChannel(colours_[k], y, count, bytes, offsets[k], hits_.data()))
                    return failed();
        } else {
            if (!ReadChannel(colours_[0], y, count, bytes, kRedByte, hits_.data())) return failed();
            for (std::size_t i = 0; i < n; ++i)
                bytes[4 * i + kGreenByte] = bytes[4 * i + kBlueByte] = bytes[4 * i + kRedByte];
        }

        if (alpha_ && !interleaved_ && !ReadAlpha(alpha_, y, count, alphaRow_.data()))
            return failed();
        if (mask_) {
            maskRow_.resize(n);
            if (GDALRasterIOEx(mask_, GF_Read, 0, y, width_, count, maskRow_.data(), width_,
                               count, GDT_Byte, 0, 0, nullptr) != CE_None)
                return failed();
            for (std::size_t i = 0; i < n; ++i)
                if (maskRow_[i] == 0) alphaRow_[i] = 0;
        }
        if (nodata && !palette_) {
            // A pixel is no data when all its colour bands say so: one band
            // at its nodata value alone is a colour like any other.
            const auto all = static_cast<std::uint8_t>(colours_.size());
            for (std::size_t i = 0; i < n; ++i)
                if (hits_[i] == all) alphaRow_[i] = 0;
        }
        if (transparent) {
            for (std::size_t i = 0; i < n; ++i) {
                const int a = alphaRow_[i];
                if (a == 255) continue;
                std::uint8_t* p = bytes + 4 * i;
                p[kRedByte] = OverWhite(p[kRedByte], a);
                p[kGreenByte] = OverWhite(p[kGreenByte], a);
                p[kBlueByte] = OverWhite(p[kBlueByte], a);
            }
        }
        for (std::size_t i = 0; i < n; ++i) bytes[4 * i + kSpareByte] = 0;
    } catch (const std::bad_alloc&) {
        return Fail(error, path_, "out of memory");
    }
    return true;
}

}  // namespace

std::unique_ptr<PictureRows> OpenRasterRows(const std::string& path, std::string* error) {
    auto rows = std::make_unique<RasterRows>();
    if (!rows->Open(path, error)) return nullptr;
    return rows;
}

}  // namespace mw
