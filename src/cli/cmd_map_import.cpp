// mwtool map import: any georeferenced raster made a map of the program (the
// map image and its calibration file) in a maps folder.
#include <unistd.h>

#include <iostream>
#include <sstream>

#include "cli/map_subcommands.h"
#include "cli/mwtool.h"
#include "config/settings.h"
#include "raster/map_import.h"
#include "support/paths.h"
#include "support/text.h"

namespace {

int Import(mwtool::Args& args) {
    mw::ImportRequest request;
    request.crs = args.Option("--crs").value_or("");
    request.name = args.Option("--name").value_or("");
    std::optional<std::string> folder = args.Option("-o");
    if (!folder) folder = args.Option("--output");
    if (auto levels = args.Option("--levels")) {
        auto parsed = mwtool::ParseLevels(*levels);
        if (!parsed) return mwtool::UsageError("--levels takes percentages such as 100,50,25,10");
        request.encode.levelPercents = *parsed;
    }
    if (auto unknown = args.UnknownOption()) return mwtool::UsageError("unknown option " + *unknown);
    if (args.words.size() != 1) return mwtool::UsageError("map import takes one raster IN");
    request.input = args.words[0];

    mw::DatumTable datums = mwtool::LoadDatums(args.home);
    if (folder) {
        request.folder = *folder;
    } else {
        mw::AppSettings settings;
        mw::ReadConfiguration(args.home, datums, settings);
        request.folder = mw::DefaultImportFolder(settings, args.userHome);
        // The settings' folder may not have been made yet on a new system.
        mw::MakeFolders(request.folder);
    }

    const bool terminal = isatty(STDOUT_FILENO) == 1;
    int shown = -1;
    mw::ImportProgress progress = [&](double fraction) {
        const int percent = static_cast<int>(fraction * 100);
        if (percent == shown) return;
        shown = percent;
        std::cout << "\rimporting " << request.input << ": " << percent << " %" << std::flush;
    };
    mw::ImportOutcome outcome =
        mw::ImportMap(request, datums, terminal ? progress : mw::ImportProgress{});
    if (terminal && shown >= 0) std::cout << "\r\033[K" << std::flush;
    if (!outcome.ok) {
        std::cerr << "mwtool: " << outcome.message << "\n";
        return 1;
    }
    const mw::ImportReport& r = outcome.report;
    std::cout << request.input << ": georeference from " << r.georeferenceSource << ", "
              << (r.crsName.empty() ? std::string("unnamed system") : r.crsName) << "\n";
    if (r.warped) std::cout << "warped: " << r.warpNote << "\n";
    std::cout << "projection: " << r.system.projectionName << ", datum " << r.system.datumName
              << "\n";
    std::cout << "grid: " << r.imageCrs << mw::Format(" %d x %d", r.width, r.height);
    for (double c : r.transform.c) std::cout << mw::Format(" %.10g", c);
    std::cout << "\n"
              << mw::Format("calibration: %d points, %d border corners, %.3f m a pixel\n",
                            int(r.points.size()), int(r.border.size()), r.metresPerPixel)
              << "wrote " << r.imagePath << " (" << r.encode.levels.size() << " levels) and "
              << r.mapPath << "\n";
    return 0;
}

MW_MAP_SUBCOMMAND("import",
                  "map import IN [--crs EPSG:N|PROJ] [--levels 100,50,25,10] [--name NAME] "
                  "[-o FOLDER]",
                  Import);

}  // namespace
