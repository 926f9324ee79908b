// What the program asks of its map import module (mapwanderer-import, built
// from src/ui/import/): the import reads rasters through GDAL, whose hundred
// and more libraries a start would otherwise load and initialise; the
// program loads the module when the "Import Map…" dialog first opens.
#pragma once

#include <QString>
#include <atomic>
#include <string>

#include "raster/map_import.h"

namespace mw {

// The functions of raster/map_import.h the dialog calls.
struct MapImportFunctions {
    std::string (*mapName)(const std::string& input, const std::string& requested);
    std::string (*defaultFolder)(const AppSettings& settings, const std::string& userHome);
    ImportOutcome (*run)(const ImportRequest& request, const DatumTable& datums,
                         const ImportProgress& progress, const std::atomic<bool>* stop);
};

// The module's one entry point; its name carries a version, as the sound
// module's does.
using MapImportEntry = const MapImportFunctions* (*)();
inline constexpr char kMapImportModuleEntry[] = "mw_map_import_v1";
inline constexpr char kMapImportModuleFile[] = "mapwanderer-import.so";

// The module's functions, loaded on the first call; null, with the reason
// in `error`, when the module is missing (and on every later call).
const MapImportFunctions* MapImportModule(QString* error);

}  // namespace mw
