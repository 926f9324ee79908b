// The track commands of the File menu: what each asks, proposes and reports.
// The command table calls these; a command that needs a loaded map is
// checked for one by the caller (RequireMap) before it gets here.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "geo/datums.h"
#include "ports/system.h"
#include "track/track_store.h"

namespace mw {

class Ui;
struct FileFilter;

inline constexpr const char* kClearTrackQuestion = "Clear the Track from the Map ?";
// Base names of the proposed file names.
inline constexpr const char* kTrackSaveBaseName = "Track";
inline constexpr const char* kTrackLogSaveBaseName = "TrackLog";
inline constexpr const char* kTrackExtension = "plt";

// What the track commands need from the running program.
struct TrackCommandContext {
    const DatumTable& datums;
    int mapDatum = kDatumWgs84;  // datum of the loaded map (the ring's datum)
    std::string dataFolder;      // "Data Path" as a local folder
    DateTime localNow;           // local time, for the proposed file names
};

// The file filter of every track open and save request: "Track files (*.plt)".
FileFilter TrackFileFilter();

// "<baseName> yyyy-MM-dd hh-mm-ss.<extension>", 24-hour local time.
std::string ProposeSaveName(std::string_view baseName, std::string_view extension,
                            const DateTime& localNow);

// Appends "." + extension to the file name of `path` unless a lower-case
// copy of that name already contains it somewhere.
std::string WithExtension(const std::string& path, std::string_view extension);

// The save request with the proposed name in `folder`; the chosen path with
// the extension made sure, or nullopt when cancelled.
std::optional<std::string> AskSaveName(Ui& ui, const std::string& folder, std::string_view baseName,
                                       std::string_view extension, const DateTime& localNow);

// "Load Track File": open request in the data folder, then the file into the
// ring and a repaint of the map window. Cancelled: nothing happens.
void LoadTrackCommand(TrackStore& track, const TrackCommandContext& context, Ui& ui);
// "Save Track From Map": save request proposing "Track <date> <time>.plt",
// then SaveTrackFile.
void SaveTrackCommand(const TrackStore& track, const TrackCommandContext& context, Ui& ui);
// "Clear Track from Map": on Yes to "Clear the Track from the Map ?", clears
// the ring and repaints the map window.
void ClearTrackCommand(TrackStore& track, Ui& ui);
// "Save Track Log File": save request proposing "TrackLog <date> <time>.plt",
// then SaveTrackLogAs.
void SaveTrackLogCommand(const TrackCommandContext& context, Ui& ui);
// "Delete Track Log File": DeleteTrackLog on the data folder's log.
void DeleteTrackLogCommand(const TrackCommandContext& context, Ui& ui);

}  // namespace mw
