// "Name Search": the command that opens the dialog and every operation the
// dialog calls. The dialog only shows what these leave in app.names and asks
// them to act; it holds no search logic of its own.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "app/app_state.h"
#include "names/name_search.h"

namespace mw {

inline constexpr const char* kNameSearchTitle = "Name Search";
inline constexpr const char* kNamesNotLoadedText = "A Names Database has not been Loaded";
inline constexpr const char* kNoRecordSelectedText = "There is no Record selected";
inline constexpr const char* kLoadNamesTitle = "Load Names File";
inline constexpr const char* kLastNamesKey = "Last Names File";
inline constexpr const char* kFilteredPrefix = "(Filtered) ";
inline constexpr const char* kStoppedFilterPrefix = "(Stopped Filter) ";
// Said when the open file was changed on disk by another program: "NAME has
// changed; reloaded", or "NAME is damaged" when it no longer opens.
std::string NamesChangedText(const std::string& title);
std::string NamesDamagedText(const std::string& title);
// Longest search text the dialog takes.
inline constexpr int kNameSearchTextMax = 50;

// Closes the open file (stopping a filter) and opens `path`: on success reads
// its side file, takes its title and remembers the path in
// "LastNamesFile.ini". A file that cannot be opened fails silently; a damaged
// one says why. A header that claims more records than the file holds is said
// once and the records present are used.
bool LoadNamesDatabase(App& app, const std::string& path);
// "Load": the file request in the last file's folder (or the data folder's
// "Name Search"), then LoadNamesDatabase.
void LoadNamesCommand(App& app);
// On opening the dialog: loads the file "LastNamesFile.ini" names, if any.
void LoadLastNamesFile(App& app);
// Closing the dialog: stops a running filter, waits for it and closes the file.
void CloseNameSearch(App& app);

// "F": with no file, "A Names Database has not been Loaded"; unfiltered, starts
// the filter on a worker thread and returns true; filtered, returns to the
// full list. The query's text must already be upper case.
bool ToggleNameFilter(App& app, const NameQuery& query);
// The query of the dialog's inputs: the border of the loaded map (when `M`
// and the map has one) converted to the names datum.
NameQuery MakeNameQuery(const App& app, const std::string& upperText, const std::string& code,
                        bool prefix, bool insideMap);
// The same from a map record: with `insideMap` and a loaded map with a border,
// the border converted from the map's datum to `namesDatum`.
NameQuery MakeNameQuery(const MapRecord& map, const DatumTable& datums, int namesDatum,
                        const std::string& upperText, const std::string& code, bool prefix,
                        bool insideMap);
// What the dialog's upper-case edit holds for a typed text: upper case (see
// UpperName), at most 50 characters.
std::string NameSearchText(std::string_view typed);
// A changed input while filtered: back to the full list.
void ClearNameFilter(App& app);
// Whether a filter runs now.
bool NameFilterRunning(const App& app);
// Called by the dialog's timer while a filter runs: the progress text, or
// nullopt once the filter has finished (its matches then are the list; a
// file changed under the search is reloaded instead, unfiltered).
std::optional<std::string> PollNameFilter(App& app);
// "Stop" (the "Map" button while filtering).
void StopNameFilter(App& app);

// The list: rows and the record each shows.
std::uint32_t NameSearchRowCount(const App& app);
std::optional<std::uint32_t> NameSearchRecord(const App& app, int row);
// The texts of row `row` (all empty for no such row), read from the file.
// Says nothing, so a list may call it while it paints: a file changed on
// disk since it was loaded reads as empty rows from then on and is noted
// (NamesFileChangeNoted) for ReloadChangedNamesFile.
const NameRecord& NameSearchRow(App& app, int row);
bool NamesFileChangeNoted(const App& app);
// When the open file was changed on disk (a read noted it, or its size,
// stamp or identity differ): stops a running filter, reopens the file and
// its side file with the list unfiltered, and says NamesChangedText; a file
// that no longer opens is closed with NamesDamagedText. True when the list
// changed (the caller shows it afresh).
bool ReloadChangedNamesFile(App& app);
// "Name Search", the file title, or the title with the filter's prefix.
std::string NameSearchCaption(const App& app);

// The buttons on the selected row (-1: none selected, which says "There is
// no Record selected"). The place's position is converted from the names
// datum to the loaded map's datum first. A file changed on disk is reloaded
// first (ReloadChangedNamesFile), and the button then does nothing: the
// selected row was a row of the old file.
void NameSearchShowOnMap(App& app, int row);    // "Map", a double click
void NameSearchWaypoint(App& app, int row);     // "Wp"
void NameSearchGoTo(App& app, int row);         // "Gt"
void NameSearchFindMaps(App& app, int row);     // "Find"
// Whether "Wp" has anything to do in this build.
bool NameSearchCanCreateWaypoint(const App& app);

}  // namespace mw
