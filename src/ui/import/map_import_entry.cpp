// The map import module: the core's import, with GDAL, behind one entry.
#include <QtGlobal>
#include <type_traits>

#include "ui/map_import_module.h"

extern "C" Q_DECL_EXPORT const mw::MapImportFunctions* mw_map_import_v1() {
    static const mw::MapImportFunctions functions{&mw::ImportMapName, &mw::DefaultImportFolder,
                                                  &mw::ImportMap};
    return &functions;
}

static_assert(std::is_same_v<decltype(&mw_map_import_v1), mw::MapImportEntry>,
              "the entry point must match what the program calls");
