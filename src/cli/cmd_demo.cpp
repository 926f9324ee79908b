// mwtool demo DIR: writes the demo map set the program opens with `make run`.
//
// By default: the world and three neighbouring relief sheets of Europe cut
// from Debian's public-domain marble-qt-data imagery. With --synthetic
// (used by the tests, which must not depend on that package): three maps of
// one made-up landscape, two neighbours and a more detailed one inside the
// western map, drawn from one continuous terrain function so that they agree
// at their edges. Each map is encoded as a tiled map image with its
// calibration file; a track crosses from one map to the next; and an
// application home's settings point at them.
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>

#include "cli/console.h"
#include "cli/mwtool.h"
#include "config/settings.h"
#include "geo/datums.h"
#include "image/mwf2_writer.h"
#include "support/paths.h"
#include "support/text.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kMetresPerDegree = 111320.0;
constexpr double kRefLat = 54.5;  // the landscape's middle latitude

// A deterministic lattice noise: smooth, continuous everywhere, so maps cut
// from it at any resolution meet at their edges.
double Hash(int x, int y, int seed) {
    std::uint32_t h = static_cast<std::uint32_t>(x) * 374761393u +
                      static_cast<std::uint32_t>(y) * 668265263u +
                      static_cast<std::uint32_t>(seed) * 2147483647u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return (h & 0xffffff) / double(0xffffff);
}

double SmoothNoise(double x, double y, int seed) {
    int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
    double fx = x - x0, fy = y - y0;
    double sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    double a = Hash(x0, y0, seed), b = Hash(x0 + 1, y0, seed);
    double c = Hash(x0, y0 + 1, seed), d = Hash(x0 + 1, y0 + 1, seed);
    return (a + (b - a) * sx) + ((c + (d - c) * sx) - (a + (b - a) * sx)) * sy;
}

// Height in metres at a position (degrees).
double Height(double lat, double lon) {
    double x = (lon + 3.0) * kMetresPerDegree * std::cos(kRefLat * kPi / 180) / 1000.0;  // km
    double y = (lat - kRefLat) * kMetresPerDegree / 1000.0;
    double h = 0, amp = 1, freq = 0.25, norm = 0;
    for (int octave = 0; octave < 6; ++octave) {
        h += amp * SmoothNoise(x * freq, y * freq, octave + 11);
        norm += amp;
        amp *= 0.5;
        freq *= 2.1;
    }
    h /= norm;
    // A broad valley along the middle holds the lakes.
    double valley = std::exp(-std::pow((y + 0.15 * std::sin(x * 0.7)) / 2.2, 2));
    return 80 + 900 * std::pow(h, 1.6) * (1 - 0.75 * valley);
}

std::uint32_t TerrainColour(double h, double shade) {
    struct Stop {
        double h;
        int r, g, b;
    };
    static const Stop stops[] = {{0, 170, 205, 150},   {200, 190, 215, 150}, {350, 215, 220, 160},
                                 {500, 225, 205, 150}, {650, 200, 175, 135}, {800, 185, 170, 160},
                                 {1000, 235, 235, 235}};
    int i = 0;
    while (i + 2 < static_cast<int>(std::size(stops)) && h > stops[i + 1].h) ++i;
    double t = std::clamp((h - stops[i].h) / (stops[i + 1].h - stops[i].h), 0.0, 1.0);
    auto mix = [&](int a, int b) {
        return std::clamp(static_cast<int>((a + (b - a) * t) * shade), 0, 255);
    };
    return mw::PackRgb(mix(stops[i].r, stops[i + 1].r), mix(stops[i].g, stops[i + 1].g),
                       mix(stops[i].b, stops[i + 1].b));
}

constexpr double kLakeLevel = 175;

// A demo map: its area, its pixel size and its title.
struct DemoMap {
    std::string name;
    std::string title;
    double north, west, south, east;
    double metresPerPixel;
    int width = 0, height = 0;  // 0: from the area and metresPerPixel at the landscape's latitude
    int Width() const {
        if (width > 0) return width;
        return static_cast<int>(std::lround((east - west) * kMetresPerDegree *
                                            std::cos(kRefLat * kPi / 180) / metresPerPixel));
    }
    int Height() const {
        if (height > 0) return height;
        return static_cast<int>(std::lround((north - south) * kMetresPerDegree / metresPerPixel));
    }
    QPointF Pixel(double lat, double lon) const {
        return QPointF((lon - west) / (east - west) * Width(),
                       (north - lat) / (north - south) * Height());
    }
};

// Roads and the names of places, in degrees, drawn on every map they cross.
struct Road {
    std::vector<std::pair<double, double>> points;  // lat, lon
    bool major;
};
const std::vector<Road>& Roads() {
    static const std::vector<Road> roads = {
        {{{54.458, -3.150},
          {54.478, -3.110},
          {54.492, -3.070},
          {54.500, -3.030},
          {54.506, -2.990},
          {54.515, -2.940},
          {54.530, -2.880},
          {54.541, -2.850}},
         true},
        {{{54.550, -3.080}, {54.520, -3.068}, {54.496, -3.060}, {54.470, -3.040}, {54.450, -3.020}},
         false},
        {{{54.545, -2.990}, {54.525, -2.960}, {54.500, -2.955}, {54.470, -2.930}}, false},
    };
    return roads;
}

struct Place {
    double lat, lon;
    const char* name;
};
const Place kPlaces[] = {{54.493, -3.066, "Wanderby"},
                         {54.512, -2.962, "Easthwaite"},
                         {54.532, -3.118, "High Fell"},
                         {54.466, -2.905, "Lowmoor"},
                         {54.486, -3.048, "Mill Bridge"}};

QImage DrawMap(const DemoMap& m) {
    const int w = m.Width(), h = m.Height();
    QImage img(w, h, QImage::Format_RGB32);
    // Heights on a grid one pixel larger than the image, for the shading.
    std::vector<double> heights(static_cast<std::size_t>(w + 1) * (h + 1));
    for (int y = 0; y <= h; ++y) {
        double lat = m.north - (m.north - m.south) * y / h;
        for (int x = 0; x <= w; ++x)
            heights[y * (w + 1) + x] = Height(lat, m.west + (m.east - m.west) * x / w);
    }
    const double contour = m.metresPerPixel < 4 ? 10 : 25;
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(img.scanLine(y));
        for (int x = 0; x < w; ++x) {
            double z = heights[y * (w + 1) + x];
            double zx = heights[y * (w + 1) + x + 1], zy = heights[(y + 1) * (w + 1) + x];
            if (z < kLakeLevel) {
                bool shore = zx >= kLakeLevel || zy >= kLakeLevel;
                row[x] = shore ? mw::PackRgb(60, 110, 170) : mw::PackRgb(150, 190, 230);
                continue;
            }
            // Light from the north-west.
            double slope = ((z - zx) + (z - zy)) / m.metresPerPixel;
            double shade = std::clamp(1.0 + slope * 0.9, 0.72, 1.15);
            std::uint32_t c = TerrainColour(z, shade);
            bool isContour = std::floor(z / contour) != std::floor(zx / contour) ||
                             std::floor(z / contour) != std::floor(zy / contour);
            if (isContour) {
                bool index = std::floor(z / (contour * 4)) != std::floor(zx / (contour * 4)) ||
                             std::floor(z / (contour * 4)) != std::floor(zy / (contour * 4));
                c = index ? mw::PackRgb(140, 90, 50) : mw::PackRgb(185, 135, 95);
            }
            row[x] = c;
        }
    }

    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const double px = 5.0 / m.metresPerPixel;  // drawing scale: sizes were chosen at 5 m a pixel

    // A grid every 0.01 degrees.
    p.setPen(QPen(QColor(70, 110, 200, 150), std::max(1.0, 0.8 * px)));
    for (double lon = std::ceil(m.west * 100) / 100; lon < m.east; lon += 0.01)
        p.drawLine(m.Pixel(m.north, lon), m.Pixel(m.south, lon));
    for (double lat = std::ceil(m.south * 100) / 100; lat < m.north; lat += 0.01)
        p.drawLine(m.Pixel(lat, m.west), m.Pixel(lat, m.east));

    for (const Road& r : Roads()) {
        QPainterPath path;
        for (std::size_t i = 0; i < r.points.size(); ++i) {
            QPointF pt = m.Pixel(r.points[i].first, r.points[i].second);
            if (i == 0)
                path.moveTo(pt);
            else
                path.lineTo(pt);
        }
        double width = (r.major ? 7 : 5) * px;
        p.setPen(
            QPen(QColor(90, 60, 40), width + 2 * px, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(path);
        p.setPen(QPen(r.major ? QColor(250, 200, 60) : QColor(255, 255, 250), width, Qt::SolidLine,
                      Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(path);
    }

    QFont font("DejaVu Sans");
    for (const Place& place : kPlaces) {
        if (place.lat > m.north || place.lat < m.south || place.lon < m.west || place.lon > m.east)
            continue;
        QPointF pt = m.Pixel(place.lat, place.lon);
        p.setPen(QPen(Qt::black, 1.5 * px));
        p.setBrush(QColor(200, 40, 40));
        p.drawRect(QRectF(pt.x() - 6 * px, pt.y() - 6 * px, 12 * px, 12 * px));
        font.setPixelSize(static_cast<int>(26 * px));
        font.setBold(true);
        p.setFont(font);
        p.setPen(QColor(30, 30, 30));
        p.drawText(pt + QPointF(12 * px, -10 * px), place.name);
    }

    // The sheet's own title and a notice, in the top left corner.
    font.setPixelSize(std::max(14, static_cast<int>(22 * px)));
    font.setBold(true);
    p.setFont(font);
    QRectF box(10, 10, w * 0.6, font.pixelSize() * 3.2);
    p.fillRect(box, QColor(255, 255, 255, 210));
    p.setPen(QColor(30, 40, 60));
    p.drawText(box.adjusted(8, 4, -8, -4), Qt::AlignLeft | Qt::AlignTop,
               QString::fromStdString(m.title) + "\nMapwanderer demo map - not for navigation");
    p.end();
    return img;
}

std::string DegMin(double v, char pos, char neg, std::string& hemi) {
    hemi = v < 0 ? std::string(1, neg) : std::string(1, pos);
    double a = std::fabs(v);
    int d = static_cast<int>(a);
    return mw::Format("%d,%.6f", d, (a - d) * 60);
}

// The calibration file of a demo map: four corner points in degrees, the
// moving-map flag, the scale and the border in pixels and degrees.
std::string CalibrationText(const DemoMap& m) {
    std::vector<std::string> lines = {
        "Mapwanderer Map File,Version 1.0",
        m.title,
        m.name + ".png",
        "1 ,Map Code,",
        "WGS 84,WGS 84,   0.0000,   0.0000,WGS 84",
        "Reserved 1",
        "Reserved 2",
        "Magnetic Variation,,,E",
        "Map Projection,Latitude/Longitude,PolyCal,No,AutoCalOnly,No,BSBUseWPX,No",
    };
    struct Corner {
        int x, y;
        double lat, lon;
    };
    const int w = m.Width(), h = m.Height();
    const Corner corners[] = {{0, 0, m.north, m.west},
                              {w, 0, m.north, m.east},
                              {w, h, m.south, m.east},
                              {0, h, m.south, m.west}};
    for (int i = 0; i < 30; ++i) {
        std::string line = mw::Format("Point%02d,xy,", i + 1);
        if (i < 4) {
            const Corner& c = corners[i];
            std::string latH, lonH;
            std::string lat = DegMin(c.lat, 'N', 'S', latH), lon = DegMin(c.lon, 'E', 'W', lonH);
            line += mw::Format("%5d,%5d,in, deg,", c.x, c.y) + lat + "," + latH + "," + lon + "," +
                    lonH + ", grid,   ,           ,           ,N";
        } else {
            line +=
                "     ,     ,in, deg,    ,        ,N,    ,        ,W, grid,   ,           ,        "
                "   ,N";
        }
        lines.push_back(line);
    }
    lines.push_back("Projection Setup,,,,,,,,,,");
    lines.push_back("Map Feature = MF ; Map Comment = MC");
    lines.push_back("MM0,Yes");
    lines.push_back("MMPNUM,4");
    for (int i = 0; i < 4; ++i)
        lines.push_back(mw::Format("MMPXY,%d,%d,%d", i + 1, corners[i].x, corners[i].y));
    for (int i = 0; i < 4; ++i)
        lines.push_back(mw::Format("MMPLL,%d,%.6f,%.6f", i + 1, corners[i].lon, corners[i].lat));
    lines.push_back(mw::Format("MM1B,%.6f", m.metresPerPixel));
    std::string text;
    for (const auto& l : lines) text += l + "\r\n";
    return text;
}

// Writes `text` to `path`; a failure is said with the file and the reason.
bool WriteText(const std::string& path, const std::string& text) {
    const mw::WriteOutcome written = mw::WriteFileAtomically(path, text);
    if (!written)
        std::cerr << "mwtool: " << mw::WriteFailureText("an output file could not be written", written)
                  << "\n";
    return written.Ok();
}

constexpr const char* kTrackHeader =
    "Mapwanderer CE Track Point File Version 2.0\r\nWGS 84\r\nAltitude is in Feet\r\n"
    "Reserved 3\r\n0,2,255,MawCE Track Log file     ,1\r\n0\r\n";

// A journey along a polyline (lat, lon pairs), `steps` points a leg, one
// point every `seconds`, as the track log writes it.
std::string TrackText(const std::vector<std::pair<double, double>>& line, int steps, int seconds,
                      bool withHeight) {
    std::string text = kTrackHeader;
    int second = 10 * 3600;
    for (std::size_t i = 0; i + 1 < line.size(); ++i) {
        for (int k = 0; k < steps || (i + 2 == line.size() && k == steps); ++k) {
            double t = static_cast<double>(k) / steps;
            double lat = line[i].first + (line[i + 1].first - line[i].first) * t;
            double lon = line[i].second + (line[i + 1].second - line[i].second) * t;
            double feet = withHeight ? Height(lat, lon) * 3.28084 : -777;
            text += mw::Format("%12.7f,%12.7f,%d,%7.0f, ,060626,%02d%02d%02d\r\n", lat, lon,
                               i == 0 && k == 0 ? 1 : 0, feet, second / 3600 % 24, second / 60 % 60,
                               second % 60);
            second += seconds;
        }
    }
    return text;
}

// Encodes one sheet's picture and writes its calibration file.
bool WriteSheet(const DemoMap& m, const QImage& picture, const std::string& maps, bool quiet) {
    QImage img = picture.convertToFormat(QImage::Format_RGB32);
    mw::RgbImageView view{reinterpret_cast<const std::uint32_t*>(img.constBits()), img.width(),
                          img.height(), img.bytesPerLine() / 4};
    mw::EncodeOptions options;
    options.levelPercents = {100, 50, 25, 10};
    mw::EncodeReport report;
    std::string error;
    const std::string imagePath = mw::JoinPath(maps, m.name + ".mwf2");
    if (!mw::EncodeMapImage(view, options, imagePath, &report, &error)) {
        std::cerr << "mwtool: " << imagePath << ": " << error << "\n";
        return false;
    }
    if (!WriteText(mw::JoinPath(maps, m.name + ".map"), CalibrationText(m))) return false;
    if (!quiet)
        std::cout << imagePath << " " << m.Width() << "x" << m.Height()
                  << mw::Format(" %.1f dB\n", report.psnr);
    return true;
}

// The synthetic landscape: two neighbouring sheets and a detailed one.
bool WriteSyntheticSet(const std::string& maps, const std::string& data, bool quiet,
                       std::string& lastMap) {
    const DemoMap demoMaps[] = {
        {"demo_west", "Wanderdale West 1:25 000", 54.55, -3.15, 54.45, -3.00, 5.0},
        {"demo_east", "Wanderdale East 1:25 000", 54.55, -3.00, 54.45, -2.85, 5.0},
        {"demo_wanderby", "Wanderby 1:10 000", 54.51, -3.085, 54.48, -3.035, 2.0},
    };
    for (const DemoMap& m : demoMaps)
        if (!WriteSheet(m, DrawMap(m), maps, quiet)) return false;
    lastMap = mw::JoinPath(maps, "demo_west.map");
    // A drive along the main road: west sheet, detailed sheet, east sheet.
    return WriteText(mw::JoinPath(data, "demo_drive.plt"),
                     TrackText(Roads()[0].points, 40, 5, true));
}

// Public-domain imagery from Debian's marble-qt-data: the world picture
// (equirectangular, 2700 x 1350) and the shaded-relief pyramid, whose level L
// has 2^(L+1) x 2^L equirectangular tiles of 675 x 675 pixels.
constexpr const char* kImageryRoot = "/usr/share/marble/data/maps/earth";

// Tiles of relief level 3 stitched into one picture: columns [col0, col1),
// rows [row0, row1). The grey relief is tinted like paper.
std::optional<QImage> ReliefSheet(int col0, int col1, int row0, int row1) {
    const int tile = 675;
    QImage sheet((col1 - col0) * tile, (row1 - row0) * tile, QImage::Format_RGB32);
    QPainter p(&sheet);
    for (int row = row0; row < row1; ++row) {
        for (int col = col0; col < col1; ++col) {
            QString path = QString("%1/srtm/3/%2/%2_%3.jpg")
                               .arg(kImageryRoot)
                               .arg(row, 6, 10, QChar('0'))
                               .arg(col, 6, 10, QChar('0'));
            QImage t(path);
            if (t.isNull() || t.width() != tile || t.height() != tile) return std::nullopt;
            p.drawImage((col - col0) * tile, (row - row0) * tile,
                        t.convertToFormat(QImage::Format_RGB32));
        }
    }
    p.end();
    for (int y = 0; y < sheet.height(); ++y) {
        auto* line = reinterpret_cast<std::uint32_t*>(sheet.scanLine(y));
        for (int x = 0; x < sheet.width(); ++x) {
            int g = mw::GreenOf(line[x]);
            line[x] = mw::PackRgb(std::min(255, g + 20), std::min(255, g + 12), g);
        }
    }
    return sheet;
}

// The world and three neighbouring relief sheets across Europe, 22.5° wide
// and 45° tall each, so that panning east or west off one loads the next.
bool WriteImagerySet(const std::string& maps, const std::string& data, bool quiet,
                     std::string& lastMap) {
    QImage world(QString(kImageryRoot) + "/bluemarble/bluemarble.jpg");
    if (world.isNull()) {
        std::cerr << "mwtool: the world picture of marble-qt-data is missing\n";
        return false;
    }
    DemoMap worldMap{"world",
                     "The World (Blue Marble)",
                     90,
                     -180,
                     -90,
                     180,
                     40075016.7 / world.width(),
                     world.width(),
                     world.height()};
    if (!WriteSheet(worldMap, world, maps, quiet)) return false;
    const struct {
        const char* name;
        const char* title;
        int col;
    } sheets[] = {
        {"europe_west", "Western Europe (relief)", 7},
        {"europe_central", "Central Europe (relief)", 8},
        {"europe_east", "Eastern Europe (relief)", 9},
    };
    for (const auto& sheet : sheets) {
        // Relief level 3: column c starts at -180 + 22.5 c, row r at 90 - 22.5 r.
        double west = -180 + 22.5 * sheet.col;
        DemoMap m{sheet.name, sheet.title, 67.5, west, 22.5, west + 22.5, 40075016.7 / (16 * 675),
                  675,        1350};
        auto picture = ReliefSheet(sheet.col, sheet.col + 1, 1, 3);
        if (!picture) {
            std::cerr << "mwtool: relief tiles of marble-qt-data are missing\n";
            return false;
        }
        if (!WriteSheet(m, *picture, maps, quiet)) return false;
    }
    lastMap = mw::JoinPath(maps, "europe_west.map");
    // A drive across the boundary of the western and central sheets, a point
    // every 1.5 km (closer than the 2.5 km that would start a new piece of
    // track at every point).
    return WriteText(mw::JoinPath(data, "demo_drive.plt"),
                     TrackText({{47.8, -2.5}, {48.6, 2.5}}, 260, 60, false));
}

int Demo(mwtool::Args& args) {
    bool quiet = args.Flag("--quiet");
    bool synthetic = args.Flag("--synthetic");
    if (!synthetic && !mw::FileExists(kImageryRoot)) {
        std::cerr
            << "mwtool: the demo imagery comes from Debian's marble-qt-data package, which is "
               "not installed; install it, or use --synthetic for a made-up landscape\n";
        return 1;
    }
    if (args.words.size() != 1) return mwtool::UsageError("demo needs one folder: mwtool demo DIR");
    if (auto opt = args.UnknownOption()) return mwtool::UsageError("unknown option " + *opt);
    namespace fs = std::filesystem;
    const fs::path root = fs::absolute(args.words[0]);
    const std::string maps = (root / "maps").string(), data = (root / "data").string();
    const std::string home = (root / "config" / "mapwanderer").string();
    for (const std::string& d : {maps, data, home}) {
        if (!mw::MakeFolders(d)) {
            std::cerr << "mwtool: cannot create " << d << "\n";
            return 1;
        }
    }

    auto app = mwtool::EnsureGuiApplication();
    std::string lastMap;
    bool ok = synthetic ? WriteSyntheticSet(maps, data, quiet, lastMap)
                        : WriteImagerySet(maps, data, quiet, lastMap);
    if (!ok) return 1;

    // Settings: the demo folders, and the western map as the last map.
    mw::DatumTable datums;
    mw::AppSettings settings;
    settings.mapPath = {maps, "", "", "", "", ""};
    settings.filePath1 = maps;
    settings.dataPath = data;
    if (const mw::WriteOutcome saved = mw::WriteConfiguration(home, datums, settings); !saved) {
        std::cerr << "mwtool: " << mw::WriteFailureText(mw::kCannotSaveIniText, saved) << "\n";
        return 1;
    }
    if (const mw::WriteOutcome saved = mw::SaveLastIni(home, mw::kLastMapFile, "Last Map", lastMap);
        !saved) {
        std::cerr << "mwtool: " << mw::WriteFailureText(mw::kCannotSaveLastIniText, saved) << "\n";
        return 1;
    }
    if (!quiet) std::cout << "application home: " << home << "\n";
    return 0;
}

}  // namespace

MW_COMMAND("demo", "demo DIR [--synthetic] [--quiet]", Demo);
