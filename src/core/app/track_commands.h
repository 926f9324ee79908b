// The track commands of the File menu and "Replay Track": what each asks,
// proposes and reports. The track files' readers and writers say what came
// of them; the words the user sees are these. The command table calls these;
// a command that needs a loaded map is checked for one by the caller
// (RequireMap) before it gets here.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "geo/datums.h"
#include "ports/system.h"
#include "support/text.h"
#include "track/track_store.h"

namespace mw {

class Ui;
struct FileFilter;
struct ReplayState;

inline constexpr const char* kClearTrackQuestion = "Clear the Track from the Map ?";
inline constexpr const char* kTrackNotOpenedText = "Track file could not be opened";
inline constexpr const char* kCannotCreateTrackFileText = "Cannot Create Track File";
inline constexpr const char* kSavedAsText = "Saved as : ";
inline constexpr const char* kTrackNotSavedText = "Track file could not be saved.";
inline constexpr const char* kDeleteTrackLogQuestion =
    "Delete the Track Log File ?\n\nIt will be created empty when Logging Resumes";
inline constexpr const char* kTrackLogMissingText = "Track Log File does not exist";
inline constexpr const char* kTrackLogDeletedText = "Track Log File has been Deleted";
inline constexpr const char* kTrackLogNotDeletedText = "Track Log File could not be Deleted";
inline constexpr const char* kCannotOpenTrackSimText = "Cannot Open Track Sim File";
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

// The save request with the proposed name in `folder`; the chosen path with
// the extension made sure, or nullopt when cancelled.
std::optional<std::string> AskSaveName(Ui& ui, const std::string& folder, std::string_view baseName,
                                       std::string_view extension, const DateTime& localNow);

// LoadTrackFile under the wait cursor (none without a `ui`).
ReadOutcome LoadTrackShowingWait(TrackStore& track, const std::string& path,
                                 const DatumTable& datums, int mapDatum, Ui* ui);

// "Load Track File": open request in the data folder, then the file into the
// ring and a repaint of the map window; the refusal, or what the budget and
// the ring left out, in one box. Cancelled: nothing happens.
void LoadTrackCommand(TrackStore& track, const TrackCommandContext& context, Ui& ui);
// "Save Track From Map": save request proposing "Track <date> <time>.plt",
// then SaveTrackFile; a failure says "Cannot Create Track File" with the
// file and the system's reason.
void SaveTrackCommand(const TrackStore& track, const TrackCommandContext& context, Ui& ui);
// "Clear Track from Map": on Yes to "Clear the Track from the Map ?", clears
// the ring and repaints the map window.
void ClearTrackCommand(TrackStore& track, Ui& ui);
// "Save Track Log File": save request proposing "TrackLog <date> <time>.plt",
// then a copy of the log, reporting "Saved as : " + path, or "Track file
// could not be saved." (with the file and why when the copy was not written).
void SaveTrackLogCommand(const TrackCommandContext& context, Ui& ui);
// "Delete Track Log File": asks "Delete the Track Log File ?..." and, on Yes,
// deletes the data folder's log with one of the three reports. The next
// logged point creates it again.
void DeleteTrackLogCommand(const TrackCommandContext& context, Ui& ui);

// "Replay Track" (the caller has checked that a map is loaded): switches
// replay mode off (StopReplay and a repaint of the map window) or on: an
// open request in `dataFolder`, then StartReplay ("Cannot Open Track Sim
// File" when the file cannot be opened; the mode stays off, as it does when
// cancelled). Returns the mode afterwards, for the command's check mark.
// When it switches off while the GPS runs, the caller switches the GPS off
// too, so the ticks stop with the replay.
bool ReplayTrackCommand(ReplayState& replay, TrackStore& track, const std::string& dataFolder,
                        Ui& ui);

}  // namespace mw
