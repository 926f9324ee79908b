// GPX import and export from the File menu.
#pragma once

namespace mw {

inline constexpr const char* kImportGpxTitle = "Import GPX";
inline constexpr const char* kExportGpxTitle = "Export GPX";
// The proposed name of an export: "<base> <date> <time>.gpx".
inline constexpr const char* kGpxSaveBaseName = "Mapwanderer";
inline constexpr const char* kGpxExtension = "gpx";

}  // namespace mw
