// mwtool mapinfo, pixel, maps: a calibration file as the program reads it,
// its pixel <-> position conversions, and the map search of automatic map
// selection. Numbers are read and written in the C locale.
#include <cmath>
#include <filesystem>
#include <iostream>
#include <sstream>

#include "cli/mwtool.h"
#include "config/settings.h"
#include "image/image_file.h"
#include "map/calibration.h"
#include "map/catalogue.h"
#include "map/map_file.h"
#include "platform/posix_file_system.h"
#include "support/paths.h"
#include "support/text.h"
#include "view/viewport.h"

namespace {

using Words = std::vector<std::string>;

int Fail(const std::string& message) {
    std::cerr << "mwtool: " << message << "\n";
    return 1;
}

// The path as the program would have it after opening it: absolute and
// without "." or "..", so it compares equal to the same file found by a
// folder search.
std::string AbsolutePath(const std::string& path) {
    std::error_code ec;
    auto p = std::filesystem::absolute(path, ec);
    return ec ? path : p.lexically_normal().string();
}

std::optional<mw::MapRecord> ReadMap(const std::string& path, const mw::DatumTable& datums) {
    auto map = mw::ReadMapFile(path, datums);
    if (map && map->projectionId == mw::kProjUnsupported)
        std::cerr << "mwtool: Map Projection not Supported\n";
    return map;
}

// The image the program would open for the map: the first candidate that
// opens as a map image, with the image folders of the configuration.
struct FoundImage {
    std::string path;
    int width = 0, height = 0;
};

std::optional<FoundImage> FindImage(const mw::MapRecord& m, const std::string& home,
                                    const std::string& userHome,
                                    const mw::DatumTable& datums) {
    mw::AppSettings settings;
    mw::ReadConfiguration(home, datums, settings);
    for (const std::string& path :
         mw::MapImageCandidates(m.imageBaseName, m.mapFilePath, settings.filePath1,
                                settings.filePath2, userHome)) {
        if (auto image = mw::OpenImageFile(path))
            return FoundImage{path, image->width, image->height};
    }
    return std::nullopt;
}

// JSON string: valid UTF-8 passes through, other bytes are taken as Latin-1.
std::string Json(const std::string& text) {
    const bool utf8 = mw::IsValidUtf8(text);
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || (!utf8 && c >= 0x80)) {
            out += mw::Format("\\u%04x", c);
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string Num(double v) {
    if (!std::isfinite(v)) return "null";
    return mw::Format("%.10g", v);
}

std::vector<double> Params(const mw::ProjectionParams& p) {
    return {p.originLatitude, p.centralMeridian,   p.scaleFactor,      p.falseEasting,
            p.falseNorthing,  p.standardParallel1, p.standardParallel2};
}

void PrintText(const mw::MapRecord& m, const std::optional<FoundImage>& image) {
    std::cout << "file: " << m.mapFilePath << "\n"
              << "title: " << m.title << "\n"
              << "datum: " << m.datumName << " (" << m.datumIndex << ")\n"
              << "scale factor: " << Num(m.mapScaleFactor) << "\n"
              << "projection: " << m.projection.projectionName << " (" << m.projectionId << ")\n"
              << "parameters:";
    for (double v : Params(m.projection.params)) std::cout << " " << Num(v);
    std::cout << "\n"
              << "calibration mode: " << m.calibration.calibrationMode << "\n"
              << "usable points: " << m.calibration.usablePoints << "\n"
              << "utm central meridian: " << Num(m.projection.utmCentralMeridian) << "\n"
              << "scale: " << Num(m.scale) << "\n"
              << "border corners: " << m.borderCount << "\n";
    for (int i = 1; i <= m.borderCount; ++i)
        std::cout << mw::Format("corner %d: %.9f %.9f\n", i, m.borderLat[i], m.borderLon[i]);
    std::cout << "image base name: " << m.imageBaseName << "\n";
    if (image)
        std::cout << "image: " << image->path << " " << image->width << "x" << image->height
                  << "\n";
    else
        std::cout << "image: not found\n";
}

void PrintJson(const mw::MapRecord& m, const std::optional<FoundImage>& image) {
    std::ostringstream o;
    o << "{\"file\":" << Json(m.mapFilePath) << ",\"title\":" << Json(m.title)
      << ",\"datum\":{\"name\":" << Json(m.datumName) << ",\"index\":" << m.datumIndex << "}"
      << ",\"mapScaleFactor\":" << Num(m.mapScaleFactor)
      << ",\"projection\":{\"name\":" << Json(m.projection.projectionName)
      << ",\"id\":" << m.projectionId << ",\"parameters\":[";
    auto params = Params(m.projection.params);
    for (std::size_t i = 0; i < params.size(); ++i) o << (i ? "," : "") << Num(params[i]);
    o << "]},\"calibrationMode\":" << m.calibration.calibrationMode
      << ",\"usablePoints\":" << m.calibration.usablePoints
      << ",\"utmCentralMeridian\":" << Num(m.projection.utmCentralMeridian)
      << ",\"scale\":" << Num(m.scale) << ",\"border\":[";
    for (int i = 1; i <= m.borderCount; ++i)
        o << (i > 1 ? "," : "")
          << mw::Format("{\"lat\":%.9f,\"lon\":%.9f}", m.borderLat[i], m.borderLon[i]);
    o << "],\"imageBaseName\":" << Json(m.imageBaseName) << ",\"image\":";
    if (image)
        o << "{\"path\":" << Json(image->path) << ",\"width\":" << image->width
          << ",\"height\":" << image->height << "}";
    else
        o << "null";
    o << "}";
    std::cout << o.str() << "\n";
}

int MapInfo(mwtool::Args& args) {
    bool json = args.Flag("--json");
    if (auto opt = args.UnknownOption()) return mwtool::UsageError("unknown option " + *opt);
    if (args.words.size() != 1) return mwtool::UsageError("mapinfo needs one FILE.map");
    mw::DatumTable datums = mwtool::LoadDatums(args.home);
    auto map = ReadMap(args.words[0], datums);
    if (!map) return Fail("cannot read " + args.words[0]);
    auto image = FindImage(*map, args.home, args.userHome, datums);
    if (json)
        PrintJson(*map, image);
    else
        PrintText(*map, image);
    return 0;
}

Words SplitWords(const std::string& line) {
    std::istringstream in(line);
    Words words;
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

std::string Joined(const Words& w) {
    std::string text;
    for (const auto& s : w) text += (text.empty() ? "" : " ") + s;
    return text;
}

int Pixel(mwtool::Args& args) {
    bool inverse = args.Flag("--inverse");
    if (auto opt = args.UnknownOption()) return mwtool::UsageError("unknown option " + *opt);
    if (args.words.size() != 1 && args.words.size() != 3)
        return mwtool::UsageError("pixel needs FILE.map and optionally two numbers");
    mw::DatumTable datums = mwtool::LoadDatums(args.home);
    auto map = ReadMap(args.words[0], datums);
    if (!map) return Fail("cannot read " + args.words[0]);
    if (!mw::HasCalibration(*map)) return Fail(args.words[0] + " has no usable calibration");

    auto convert = [&](const Words& w) -> std::string {
        std::optional<double> a, b;
        if (w.size() == 2) {
            a = mwtool::ParseNumber(w[0]);
            b = mwtool::ParseNumber(w[1]);
        }
        if (!a || !b)
            return mw::Format("error: expected %s, got '%s'", inverse ? "X Y" : "LAT LON",
                              Joined(w).c_str());
        if (inverse) {
            mw::GeoPoint g = mw::MapPixelToLatLon(*map, datums, *a, *b);
            return mw::Format("%.9f %.9f", g.lat, g.lon);
        }
        mw::MapPixel p = mw::LatLonToMapPixel(*map, datums, *a, *b);
        return mw::Format("%d %d", p.x, p.y);
    };
    bool failed = false;
    auto one = [&](const Words& w) {
        std::string out = convert(w);
        if (out.rfind("error:", 0) == 0) failed = true;
        std::cout << out << "\n";
    };
    if (args.words.size() == 3) {
        one({args.words[1], args.words[2]});
    } else {
        for (std::string line; std::getline(std::cin, line);) one(SplitWords(line));
    }
    std::cout.flush();
    return failed ? 1 : 0;
}

int Maps(mwtool::Args& args) {
    std::vector<std::string> dirs;
    while (auto d = args.Option("--dir")) dirs.push_back(*d);
    std::string loaded = args.Option("--loaded").value_or("");
    std::optional<double> currentScale = mw::kUnknownScale;
    if (auto s = args.Option("--current-scale")) currentScale = mwtool::ParseNumber(*s);
    std::string datumName = args.Option("--datum").value_or("WGS 84");
    if (auto opt = args.UnknownOption()) return mwtool::UsageError("unknown option " + *opt);
    if (!currentScale) return mwtool::UsageError("--current-scale needs a number");
    if (args.words.size() != 2) return mwtool::UsageError("maps needs LAT LON");
    auto lat = mwtool::ParseNumber(args.words[0]), lon = mwtool::ParseNumber(args.words[1]);
    if (!lat || !lon) return mwtool::UsageError("maps needs LAT LON as numbers");

    mw::DatumTable datums = mwtool::LoadDatums(args.home);
    int datum = mw::FindDatumByName(datums, datumName);
    if (datum == mw::kDatumWgs84 && datumName != "WGS 84")
        std::cerr << "mwtool: unknown datum '" << datumName << "', using WGS 84\n";
    mw::AppSettings settings;
    mw::ReadConfiguration(args.home, datums, settings);
    if (!loaded.empty()) loaded = AbsolutePath(loaded);

    std::vector<std::string> folders;
    if (dirs.empty()) {
        folders = mw::SearchFolders(settings, args.userHome, loaded);
    } else {
        std::vector<mw::MapFolderSetting> given;
        for (const std::string& d : dirs) given.push_back({AbsolutePath(d), true});
        folders = mw::SearchFolders(given, settings.mapPathLoadedActive == 1, loaded);
    }

    mw::PosixFileSystem files;
    mw::MapCatalogue catalogue;
    mw::MapSearch search{*lat, *lon, datum};
    mw::CoverageFinder find = [&](const std::string& folder) {
        return catalogue.Covering(files, folder, search, datums);
    };
    for (const mw::CoveringMap& m : mw::FindMapsAtPosition(folders, find))
        std::cout << Num(m.scale) << " " << m.path << (m.path == loaded ? " (loaded)" : "") << "\n";
    auto choice = mw::ChooseMap(folders, find, loaded, *currentScale);
    std::cout << "selected: " << (choice ? choice->path : std::string("none")) << "\n";
    return 0;
}

MW_COMMAND("mapinfo", "mapinfo FILE.map [--json]  (what the program reads, and its image)",
           MapInfo);
MW_COMMAND("pixel",
           "pixel FILE.map [--inverse] [LAT LON | X Y]  (no numbers: one pair a line on stdin)",
           Pixel);
MW_COMMAND("maps",
           "maps [--dir FOLDER]... [--loaded FILE.map] [--current-scale S] [--datum NAME] LAT LON",
           Maps);

}  // namespace
