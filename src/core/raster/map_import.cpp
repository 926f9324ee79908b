#include "raster/map_import.h"

#include <fcntl.h>
#include <unistd.h>

#include <cpl_conv.h>
#include <cpl_error.h>
#include <gdal_priv.h>
#include <gdal_utils.h>
#include <ogr_spatialref.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

#include "geo/distance.h"
#include "map/calibration.h"
#include "map/map_file.h"
#include "raster/georeference.h"
#include "raster/raster_rows.h"
#include "support/durable_file.h"
#include "support/paths.h"
#include "support/text.h"

namespace mw {

namespace {

namespace fs = std::filesystem;

struct DatasetCloser {
    void operator()(GDALDataset* d) const {
        if (d) GDALClose(GDALDataset::ToHandle(d));
    }
};
using Dataset = std::unique_ptr<GDALDataset, DatasetCloser>;

struct TransformDeleter {
    void operator()(OGRCoordinateTransformation* t) const {
        OGRCoordinateTransformation::DestroyCT(t);
    }
};
using Transform = std::unique_ptr<OGRCoordinateTransformation, TransformDeleter>;

std::string GdalError(const char* fallback) {
    const char* msg = CPLGetLastErrorMsg();
    return (msg && *msg) ? msg : fallback;
}

Dataset OpenRaster(const std::string& path) {
    CPLErrorReset();
    CPLPushErrorHandler(CPLQuietErrorHandler);
    Dataset ds(GDALDataset::FromHandle(
        GDALOpenEx(path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY, nullptr, nullptr, nullptr)));
    CPLPopErrorHandler();
    return ds;
}

bool ReadSrs(const std::string& definition, OGRSpatialReference& srs) {
    CPLPushErrorHandler(CPLQuietErrorHandler);
    const bool ok = ReadCoordinateSystem(definition, srs);
    CPLPopErrorHandler();
    srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    return ok;
}

// Map coordinates of `srs` to longitude/latitude on its own datum.
Transform ToOwnGeographic(const OGRSpatialReference& srs) {
    OGRSpatialReference geo;
    geo.CopyGeogCSFrom(&srs);
    geo.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    return Transform(OGRCreateCoordinateTransformation(&srs, &geo));
}

double NormalLongitude(double lon) {
    while (lon > 180) lon -= 360;
    while (lon < -180) lon += 360;
    return lon;
}

// Pixel edge coordinates as GDAL counts them ((0, 0) the outer corner of the
// first pixel). The program's pixel n is the pixel whose centre is n + 0.5.
struct EdgePoint {
    double x, y;
};

// The outline of the raster's valid pixels (its nodata and alpha edges left
// out), as a polygon in edge coordinates, clockwise from the top left, at
// most 96 corners. A raster whose every pixel is valid is its rectangle.
// Empty when no pixel is valid.
std::vector<EdgePoint> ValidOutline(GDALDataset& ds, std::string* error) {
    const int w = ds.GetRasterXSize(), h = ds.GetRasterYSize();
    GDALRasterBand* band = ds.GetRasterBand(1);
    if (!band || (band->GetMaskFlags() & GMF_ALL_VALID))
        return {{0, 0}, {double(w), 0}, {double(w), double(h)}, {0, double(h)}};
    GDALRasterBand* mask = band->GetMaskBand();
    const int rows = std::min(h, 24);
    const int cols = std::min(w, 4096);
    std::vector<GByte> line(static_cast<std::size_t>(cols));
    std::vector<EdgePoint> left, right;
    for (int i = 0; i < rows; ++i) {
        const double top = double(i) * h / rows, bottom = double(i + 1) * h / rows;
        const int y = std::min(h - 1, static_cast<int>((top + bottom) / 2));
        CPLErrorReset();
        if (mask->RasterIO(GF_Read, 0, y, w, 1, line.data(), cols, 1, GDT_Byte, 0, 0, nullptr) !=
            CE_None) {
            if (error) *error = GdalError("its mask cannot be read");
            return {};
        }
        int first = -1, last = -1;
        for (int c = 0; c < cols; ++c) {
            if (line[static_cast<std::size_t>(c)] == 0) continue;
            if (first < 0) first = c;
            last = c;
        }
        if (first < 0) continue;
        const double x0 = double(first) * w / cols, x1 = double(last + 1) * w / cols;
        left.push_back({x0, top});
        left.push_back({x0, bottom});
        right.push_back({x1, top});
        right.push_back({x1, bottom});
    }
    if (left.empty()) return {};
    // Top edge left to right, down the right side, back along the bottom and
    // up the left side.
    std::vector<EdgePoint> poly;
    poly.push_back(left.front());
    for (const EdgePoint& p : right) poly.push_back(p);
    for (auto it = left.rbegin(); it != left.rend(); ++it) poly.push_back(*it);
    poly.pop_back();  // the first point again
    // Points on the straight line between their neighbours say nothing.
    std::vector<EdgePoint> out;
    for (std::size_t i = 0; i < poly.size(); ++i) {
        const EdgePoint& a = out.empty() ? poly.back() : out.back();
        const EdgePoint& b = poly[i];
        const EdgePoint& c = poly[(i + 1) % poly.size()];
        const double cross = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
        const bool same = b.x == a.x && b.y == a.y;
        if (!same && std::fabs(cross) > 1e-9) out.push_back(b);
    }
    return out;
}

// The UTM zone of the centre for an area narrower than a zone, else
// latitude/longitude: both on WGS 84, which every receiver gives.
std::string WarpTarget(const OGRSpatialReference& srs, const GeoTransform& gt, int w, int h) {
    OGRSpatialReference wgs;
    wgs.SetWellKnownGeogCS("WGS84");
    wgs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    Transform t(OGRCreateCoordinateTransformation(&srs, &wgs));
    double minLon = 1e9, maxLon = -1e9, maxAbsLat = 0;
    double centreLon = 0, centreLat = 0;
    bool ok = t != nullptr;
    for (int i = 0; ok && i <= 4; ++i) {
        for (int j = 0; ok && j <= 4; ++j) {
            double x = gt.X(w * i / 4.0, h * j / 4.0), y = gt.Y(w * i / 4.0, h * j / 4.0);
            if (!t->Transform(1, &x, &y)) {
                ok = false;
                break;
            }
            minLon = std::min(minLon, x);
            maxLon = std::max(maxLon, x);
            maxAbsLat = std::max(maxAbsLat, std::fabs(y));
            if (i == 2 && j == 2) {
                centreLon = x;
                centreLat = y;
            }
        }
    }
    if (!ok || maxLon - minLon > 6 || maxAbsLat > 80) return "EPSG:4326";
    const int zone = std::clamp(static_cast<int>(std::floor((centreLon + 180) / 6)) + 1, 1, 60);
    return "EPSG:" + std::to_string((centreLat >= 0 ? 32600 : 32700) + zone);
}

// Writes a VRT of the raster that carries the georeference found for it (a
// world file's transform, the user's coordinate system), so that GDAL's warp
// sees what we see.
bool WriteSourceVrt(const std::string& input, const std::string& vrtPath, const GeoTransform& gt,
                    const OGRSpatialReference& srs, std::string* error) {
    Dataset src = OpenRaster(input);
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("VRT");
    if (!src || !driver) {
        *error = GdalError("it cannot be opened for warping");
        return false;
    }
    Dataset vrt(driver->CreateCopy(vrtPath.c_str(), src.get(), FALSE, nullptr, nullptr, nullptr));
    if (!vrt) {
        *error = GdalError("no warping copy could be made");
        return false;
    }
    double c[6];
    std::copy(gt.c.begin(), gt.c.end(), c);
    vrt->SetGeoTransform(c);
    vrt->SetSpatialRef(&srs);
    return true;
}

bool WarpTo(const std::string& sourceVrt, const std::string& target, const std::string& out,
            std::string* error) {
    Dataset src = OpenRaster(sourceVrt);
    if (!src) {
        *error = GdalError("its warping copy cannot be read");
        return false;
    }
    const char* args[] = {"-of", "VRT", "-t_srs", target.c_str(), "-r", "bilinear", "-dstalpha",
                          "-et", "0.05", nullptr};
    GDALWarpAppOptions* options = GDALWarpAppOptionsNew(const_cast<char**>(args), nullptr);
    GDALDatasetH in = GDALDataset::ToHandle(src.get());
    int usage = 0;
    CPLErrorReset();
    CPLPushErrorHandler(CPLQuietErrorHandler);
    GDALDatasetH warped = GDALWarp(out.c_str(), nullptr, 1, &in, options, &usage);
    CPLPopErrorHandler();
    GDALWarpAppOptionsFree(options);
    if (!warped) {
        *error = GdalError("GDAL could not warp it");
        return false;
    }
    GDALClose(warped);
    return true;
}

// Stops the encoder's reading once the caller asks for it.
class StoppableRows : public PictureRows {
public:
    StoppableRows(std::unique_ptr<PictureRows> rows, const std::atomic<bool>* stop)
        : rows_(std::move(rows)), stop_(stop) {}
    int Width() const override { return rows_->Width(); }
    int Height() const override { return rows_->Height(); }
    bool ReadRows(int y, int count, std::uint32_t* out, std::string* error) override {
        if (stop_ && stop_->load()) {
            stopped = true;
            if (error) *error = "stopped";
            return false;
        }
        return rows_->ReadRows(y, count, out, error);
    }
    bool stopped = false;

private:
    std::unique_ptr<PictureRows> rows_;
    const std::atomic<bool>* stop_;
};

// A folder of our own for the warp's intermediate files, gone afterwards.
class ScratchFolder {
public:
    ScratchFolder() {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/mw-import-XXXXXX";
        if (mkdtemp(pattern.data())) path_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code ec;
        if (!path_.empty()) fs::remove_all(path_, ec);
    }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

std::string DegreeFields(double value, char positive, char negative) {
    const double a = std::fabs(value);
    const int d = static_cast<int>(std::floor(a));
    return Format("%d,%.7f,%c", d, (a - d) * 60.0, value < 0 ? negative : positive);
}

std::string ParamField(double v) { return v == kUnsetParameter ? "" : Format("%.12g", v); }

}  // namespace

std::string DefaultImportFolder(const AppSettings& settings, const std::string& userHome) {
    std::string folder = settings.mapPath[0];
    while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
    return folder.empty() ? userHome : ToLocalPath(folder, userHome);
}

std::string ImportMapName(const std::string& input, const std::string& requested) {
    std::string name = requested;
    if (name.empty()) {
        name = fs::path(input).filename().string();
        const auto dot = name.find_last_of('.');
        if (dot != std::string::npos && dot > 0) name.resize(dot);
    }
    for (char& c : name)
        if (c == '.' || c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20) c = '_';
    if (name.empty()) name = "map";
    return name;
}

std::string CalibrationFileText(const std::string& title, const std::string& imageFile,
                                const MapCoordinateSystem& system,
                                const std::vector<PlacedPixel>& points,
                                const std::vector<PlacedPixel>& border, double metresPerPixel) {
    std::vector<std::string> lines = {
        "Mapwanderer Map File,Version 1.0",
        title,
        imageFile,
        "1 ,Map Code,",
        system.datumName + ",WGS 84,0.0000,0.0000,WGS 84",
        "Reserved 1",
        "Reserved 2",
        "Magnetic Variation,,,E",
        "Map Projection," + system.projectionName + ",PolyCal,No,AutoCalOnly,No,BSBUseWPX,No",
    };
    for (int i = 0; i < 30; ++i) {
        std::string line = Format("Point%02d,xy,", i + 1);
        if (i < static_cast<int>(points.size())) {
            const PlacedPixel& p = points[static_cast<std::size_t>(i)];
            // Point 1 at pixel (0, 0) carries the UTM zone: it fixes the
            // zone's central meridian for the whole map.
            const std::string zone =
                (i == 0 && system.utmZone > 0 && p.x == 0 && p.y == 0) ? std::to_string(system.utmZone) : "";
            line += Format("%d,%d,in, deg,", p.x, p.y) + DegreeFields(p.lat, 'N', 'S') + "," +
                    DegreeFields(p.lon, 'E', 'W') + ", grid," + zone + ",,," +
                    (system.southern ? "S" : "N");
        } else {
            line += ",,in, deg,,,N,,,W, grid,,,,N";
        }
        lines.push_back(line);
    }
    const ProjectionParams& q = system.params;
    lines.push_back("Projection Setup," + ParamField(q.originLatitude) + "," +
                    ParamField(q.centralMeridian) + "," + ParamField(q.scaleFactor) + "," +
                    ParamField(q.falseEasting) + "," + ParamField(q.falseNorthing) + "," +
                    ParamField(q.standardParallel1) + "," + ParamField(q.standardParallel2) +
                    ",,,");
    lines.push_back("Map Feature = MF ; Map Comment = MC");
    lines.push_back("MM0,Yes");
    const std::size_t corners = std::min<std::size_t>(border.size(), 99);
    lines.push_back(Format("MMPNUM,%d", static_cast<int>(corners)));
    for (std::size_t i = 0; i < corners; ++i)
        lines.push_back(Format("MMPXY,%d,%d,%d", int(i + 1), border[i].x, border[i].y));
    for (std::size_t i = 0; i < corners; ++i)
        lines.push_back(Format("MMPLL,%d,%.9f,%.9f", int(i + 1), border[i].lon, border[i].lat));
    lines.push_back(Format("MM1B,%.6f", metresPerPixel));
    std::string text;
    for (const std::string& l : lines) text += l + "\r\n";
    return text;
}

ImportOutcome ImportMap(const ImportRequest& request, const DatumTable& datums,
                        const ImportProgress& progress, const std::atomic<bool>* stop) {
    ImportOutcome outcome;
    ImportReport& report = outcome.report;
    auto fail = [&](std::string message) {
        outcome.ok = false;
        outcome.message = std::move(message);
        return outcome;
    };
    auto stopped = [&] {
        outcome.stopped = true;
        return fail("the import of " + request.input + " was stopped; nothing was written");
    };
    auto step = [&](double fraction) {
        if (progress) progress(fraction);
    };
    GDALAllRegister();
    const std::string shown = request.input;
    const std::string name = ImportMapName(request.input, request.name);
    report.mapPath = JoinPath(request.folder, name + ".map");
    report.imagePath = JoinPath(request.folder, name + ".mwf2");

    GeoreferenceOutcome found = FindGeoreference(request.input, request.crs, shown);
    if (!found.georeference) return fail(found.message);
    const RasterGeoreference& g = *found.georeference;
    report.georeferenceSource = g.source;
    if (g.width < 2 || g.height < 2)
        return fail(Format("%s: a picture of %d x %d pixels is too small to calibrate (it needs at "
                           "least 2 x 2)",
                           shown.c_str(), g.width, g.height));

    // The folder must take our files before any work is spent on them.
    {
        std::error_code ec;
        if (!fs::is_directory(request.folder, ec))
            return fail("cannot write " + report.imagePath + ": the folder " + request.folder +
                        " does not exist");
        std::string probe = JoinPath(request.folder, "." + name + ".mwf2.tmp-XXXXXX");
        const int fd = mkstemp(probe.data());
        if (fd < 0) return fail("cannot write " + report.imagePath + ": " + std::strerror(errno));
        ::close(fd);
        ::unlink(probe.c_str());
    }

    OGRSpatialReference srs;
    ReadSrs(g.crs, srs);
    CrsMatch match = MatchCoordinateSystem(g.crs, datums);
    report.crsName = match.crsName;
    std::string pixels = request.input;
    GeoTransform gt = g.transform;
    int width = g.width, height = g.height;
    ScratchFolder scratch;
    std::vector<EdgePoint> outline;
    {
        Dataset ds = OpenRaster(request.input);
        if (!ds) return fail(shown + ": cannot be read (" + GdalError("unknown format") + ")");
        std::string why;
        outline = ValidOutline(*ds, &why);
        if (outline.empty())
            return fail(shown + (why.empty() ? std::string(": it holds no valid pixel") : ": " + why));
    }
    double pm = match.primeMeridian;
    OGRSpatialReference mapSrs = srs;

    if (!match.system) {
        // No projection or datum of the program describes the raster: warp it
        // with GDAL into one that does.
        if (scratch.Path().empty()) return fail("no temporary folder for warping " + shown);
        const std::string target = WarpTarget(srs, gt, width, height);
        const std::string sourceVrt = scratch.Path() + "/source.vrt";
        const std::string warpedVrt = scratch.Path() + "/warped.vrt";
        std::string why;
        std::error_code ec;
        const std::string absolute = fs::absolute(request.input, ec).string();
        if (!WriteSourceVrt(ec ? request.input : absolute, sourceVrt, gt, srs, &why) ||
            !WarpTo(sourceVrt, target, warpedVrt, &why))
            return fail(shown + ": cannot be warped (" + why + ")");
        Dataset warped = OpenRaster(warpedVrt);
        double c[6];
        if (!warped || warped->GetGeoTransform(c) != CE_None)
            return fail(shown + ": its warped copy cannot be read (" + GdalError("unknown") + ")");
        OGRSpatialReference targetSrs;
        ReadSrs(target, targetSrs);
        // The valid area comes along: the source outline, its edges cut in
        // pieces so that the curve they become stays close, in the new grid.
        Transform toTarget(OGRCreateCoordinateTransformation(&srs, &targetSrs));
        GeoTransform wgt;
        std::copy(c, c + 6, wgt.c.begin());
        double inv[6];
        if (!toTarget || !GDALInvGeoTransform(c, inv))
            return fail(shown + ": its warped grid cannot be used");
        const std::size_t pieces = std::max<std::size_t>(1, 96 / outline.size());
        std::vector<EdgePoint> moved;
        for (std::size_t i = 0; i < outline.size(); ++i) {
            const EdgePoint a = outline[i], b = outline[(i + 1) % outline.size()];
            for (std::size_t k = 0; k < pieces; ++k) {
                const double t = double(k) / pieces;
                const double col = a.x + (b.x - a.x) * t, row = a.y + (b.y - a.y) * t;
                double x = gt.X(col, row), y = gt.Y(col, row);
                if (!toTarget->Transform(1, &x, &y)) continue;
                moved.push_back({inv[0] + x * inv[1] + y * inv[2], inv[3] + x * inv[4] + y * inv[5]});
            }
        }
        outline = std::move(moved);
        report.warped = true;
        report.warpNote = "its coordinate system (" +
                          (match.crsName.empty() ? std::string("unnamed") : match.crsName) +
                          ") has no counterpart here: " + match.whyNot + "; warped to " +
                          (targetSrs.GetName() ? targetSrs.GetName() : target);
        report.imageCrs = target;
        pixels = warpedVrt;
        gt = wgt;
        width = warped->GetRasterXSize();
        height = warped->GetRasterYSize();
        mapSrs = targetSrs;
        match = MatchCoordinateSystem(target, datums);
        pm = 0;
        if (!match.system) return fail(shown + ": the warp target " + target + " does not fit");
    } else {
        // The system's short name for the user: its code where it has one.
        const char* authority = srs.GetAuthorityName(nullptr);
        const char* code = srs.GetAuthorityCode(nullptr);
        report.imageCrs = authority && code ? std::string(authority) + ":" + code
                                            : (match.crsName.empty() ? "unnamed" : match.crsName);
    }
    report.system = *match.system;
    report.transform = gt;
    report.width = width;
    report.height = height;
    step(0.02);

    // Calibration points: the corners and an inner grid, each placed at the
    // centre of its pixel through the transform, on the map's own datum.
    Transform toGeo = ToOwnGeographic(mapSrs);
    if (!toGeo) return fail(shown + ": its positions cannot be computed (" + GdalError("") + ")");
    auto place = [&](double col, double row, PlacedPixel& out) {
        double x = gt.X(col, row), y = gt.Y(col, row);
        if (!toGeo->Transform(1, &x, &y) || !std::isfinite(x) || !std::isfinite(y)) return false;
        out.lon = NormalLongitude(x + pm);
        out.lat = y;
        return true;
    };
    const int xs[] = {0, width - 1, width - 1, 0};
    const int ys[] = {0, 0, height - 1, height - 1};
    std::vector<std::pair<int, int>> grid;
    for (int i = 0; i < 4; ++i) grid.push_back({xs[i], ys[i]});
    for (double fy : {0.25, 0.5, 0.75})
        for (double fx : {0.25, 0.5, 0.75})
            grid.push_back({static_cast<int>(std::lround(fx * (width - 1))),
                            static_cast<int>(std::lround(fy * (height - 1)))});
    for (auto [x, y] : grid) {
        PlacedPixel p;
        p.x = x;
        p.y = y;
        if (!place(x + 0.5, y + 0.5, p))
            return fail(Format("%s: pixel %d, %d has no position in its coordinate system",
                               shown.c_str(), x, y));
        report.points.push_back(p);
    }
    for (const EdgePoint& e : outline) {
        PlacedPixel p;
        // Edge coordinates to the program's pixels, kept inside the image.
        p.x = std::clamp(static_cast<int>(std::lround(e.x - 0.5)), 0, width - 1);
        p.y = std::clamp(static_cast<int>(std::lround(e.y - 0.5)), 0, height - 1);
        if (!place(p.x + 0.5, p.y + 0.5, p)) continue;
        if (!report.border.empty() && report.border.back().x == p.x && report.border.back().y == p.y)
            continue;
        report.border.push_back(p);
    }
    if (report.border.size() > 99) {
        std::vector<PlacedPixel> thinned;
        const double stepSize = report.border.size() / 99.0;
        for (int i = 0; i < 99; ++i)
            thinned.push_back(report.border[static_cast<std::size_t>(i * stepSize)]);
        report.border = std::move(thinned);
    }
    {
        // Ground size of a pixel at the centre, the mean of its two sides.
        PlacedPixel centre, right, down;
        const double cx = width / 2.0, cy = height / 2.0;
        if (place(cx, cy, centre) && place(cx + 1, cy, right) && place(cx, cy + 1, down))
            report.metresPerPixel =
                0.5 * (DistanceMetres(centre.lat, centre.lon, right.lat, right.lon) +
                       DistanceMetres(centre.lat, centre.lon, down.lat, down.lon));
    }

    const std::string text = CalibrationFileText(name, name + ".mwf2", report.system, report.points,
                                                 report.border, report.metresPerPixel);
    const std::string mapPart = JoinPath(request.folder, "." + name + ".map.part");
    const std::string imagePart = JoinPath(request.folder, "." + name + ".mwf2.part");
    const int mapPlace = RegisterTemporary(mapPart);
    const int imagePlace = RegisterTemporary(imagePart);
    auto cleanUp = [&] {
        ::unlink(mapPart.c_str());
        ::unlink(imagePart.c_str());
        UnregisterTemporary(mapPlace);
        UnregisterTemporary(imagePlace);
    };
    if (WriteOutcome w = WriteFileAtomically(mapPart, text); !w) {
        cleanUp();
        return fail(WriteFailureText("cannot write " + report.mapPath, w));
    }
    // The program reads the calibration back as it would on loading the map;
    // its points must land on their own pixels, or the map is not made.
    if (auto map = ReadMapFile(mapPart, datums); !map || !HasCalibration(*map)) {
        cleanUp();
        return fail(shown + ": the calibration made for it cannot be used");
    } else {
        for (const PlacedPixel& p : report.points) {
            const MapPixel back = LatLonToMapPixel(*map, datums, p.lat, p.lon);
            if (std::abs(back.x - p.x) > 1 || std::abs(back.y - p.y) > 1) {
                cleanUp();
                return fail(Format("%s: the calibration made for it misses pixel %d, %d by %d, %d",
                                   shown.c_str(), p.x, p.y, back.x - p.x, back.y - p.y));
            }
        }
    }

    std::string error;
    std::unique_ptr<PictureRows> rows = OpenRasterRows(pixels, &error);
    if (!rows) {
        cleanUp();
        return fail(error);
    }
    if (rows->Width() != width || rows->Height() != height) {
        cleanUp();
        return fail(shown + ": its pixels changed while it was read");
    }
    StoppableRows source(std::move(rows), stop);
    const bool encoded = EncodeMapImage(
        source, request.encode, imagePart, &report.encode, &error,
        [&](double f) { step(0.02 + 0.96 * f); });
    if (!encoded) {
        cleanUp();
        if (source.stopped) return stopped();
        return fail(error.empty() ? "cannot write " + report.imagePath : error);
    }
    if (stop && stop->load()) {
        cleanUp();
        return stopped();
    }
    // The image first: a calibration file is what makes a map visible, so it
    // comes last, with its image already in place.
    if (std::rename(imagePart.c_str(), report.imagePath.c_str()) != 0) {
        const int e = errno;
        cleanUp();
        return fail("cannot write " + report.imagePath + ": " + std::strerror(e));
    }
    if (std::rename(mapPart.c_str(), report.mapPath.c_str()) != 0) {
        const int e = errno;
        cleanUp();
        return fail("cannot write " + report.mapPath + ": " + std::strerror(e));
    }
    UnregisterTemporary(mapPlace);
    UnregisterTemporary(imagePlace);
    SyncFolderOf(report.mapPath);
    step(1.0);
    outcome.ok = true;
    return outcome;
}

}  // namespace mw
