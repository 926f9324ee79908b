// "Name Search".
#include "app/name_commands.h"

#include "app/command_table.h"
#include "app/commands.h"
#include "app/map_commands.h"
#include "config/settings.h"
#include "geo/datum_convert.h"
#include "support/paths.h"
#include "support/text.h"

namespace mw {

namespace {

void Say(App& app, const std::string& text) {
    if (app.ports.ui && !text.empty()) app.ports.ui->ShowMessage(text);
}

void StopAndForgetJob(NameSearchStore& names) {
    if (names.job) {
        names.job->Stop();
        names.job->Take();
        names.job.reset();
    }
}

// The selected place on the loaded map's datum, or nullopt after saying that
// no row is selected.
struct Place {
    double lat = 0, lon = 0;
    std::string name;
};

std::optional<Place> SelectedPlace(App& app, int row) {
    if (ReloadChangedNamesFile(app)) return std::nullopt;
    std::optional<std::uint32_t> record = NameSearchRecord(app, row);
    if (!record) {
        Say(app, kNoRecordSelectedText);
        return std::nullopt;
    }
    NameRecord r;
    if (!app.names.file->ReadRecord(*record, r)) {
        // Cut short between the look at the file and the read.
        app.names.reader.reset();
        ReloadChangedNamesFile(app);
        return std::nullopt;
    }
    Place p{ParseReal(r.lat), ParseReal(r.lon), r.name};
    ConvertDatum(app.datums, app.names.namesDatum, app.map.datumIndex, p.lat, p.lon);
    return p;
}

void OpenNameSearch(App& app) {
    if (app.ports.ui) app.ports.ui->OpenDialog(DialogId::NameSearch);
}

// An opened file becomes the search's file, with its side file.
void TakeNamesFile(App& app, std::shared_ptr<const NamesFile> file) {
    NameSearchStore& names = app.names;
    const std::string path = file->Path();
    names.file = std::move(file);
    names.reader.reset();
    ++names.generation;
    const std::string typesPath = NamesTypesPath(path);
    names.types = LoadNamesTypes(typesPath, app.datums);
    if (names.types.hasDatum) names.namesDatum = names.types.datum;
    names.title = FileNameOf(path);
    // The code list is optional: a missing one is normal, but one that is a
    // device or was cut at its budget is told, since its codes then differ
    // from what the file says.
    if (!names.types.read.Missing())
        Say(app, ReadReportText(kCodeListText, typesPath, names.types.read));
}

// Opens the search's file again after a change on disk.
void ReloadNamesFile(App& app) {
    const std::string path = app.names.file->Path();
    const std::string title = app.names.title;
    CloseNameSearch(app);
    NamesOpenError error = NamesOpenError::None;
    std::shared_ptr<const NamesFile> file = NamesFile::Open(path, error);
    if (!file) {
        Say(app, NamesDamagedText(title));
        return;
    }
    TakeNamesFile(app, std::move(file));
    Say(app, NamesChangedText(title));
}

}  // namespace

std::string NamesChangedText(const std::string& title) { return title + " has changed; reloaded"; }
std::string NamesDamagedText(const std::string& title) { return title + " is damaged"; }

bool LoadNamesDatabase(App& app, const std::string& path) {
    CloseNameSearch(app);
    NamesOpenError error = NamesOpenError::None;
    bool truncated = false;
    std::shared_ptr<const NamesFile> file = NamesFile::Open(path, error, &truncated);
    if (!file) {
        Say(app, NamesOpenMessage(error));
        return false;
    }
    if (truncated) Say(app, kNamesTruncatedText);
    TakeNamesFile(app, std::move(file));
    NoteAutomaticSave(app, kCannotSaveLastIniText,
                      SaveLastIni(app.state.programFolder, kLastNamesFile, kLastNamesKey, path));
    return true;
}

void LoadNamesCommand(App& app) {
    if (!app.ports.ui) return;
    std::string last =
        app.names.file ? app.names.file->Path() : ReadLastIni(app.state.programFolder, kLastNamesFile);
    std::string start = FolderOf(last);
    if (last.empty() || start.empty())
        start = JoinPath(ToLocalPath(StripTrailingBackslash(app.settings.dataPath), app.state.userHome),
                         kNameSearchTitle);
    std::optional<std::string> path =
        app.ports.ui->AskOpenFileName(kLoadNamesTitle, start, {{"Name files", "*.names"}});
    if (path) LoadNamesDatabase(app, *path);
}

void LoadLastNamesFile(App& app) {
    std::string last = ReadLastIni(app.state.programFolder, kLastNamesFile);
    if (!last.empty()) LoadNamesDatabase(app, last);
}

void CloseNameSearch(App& app) {
    NameSearchStore& names = app.names;
    StopAndForgetJob(names);
    names.reader.reset();
    if (names.file) ++names.generation;
    names.file.reset();
    names.types = NamesTypes{};
    names.title.clear();
    names.filtered = names.stopped = false;
    names.matches.clear();
}

NameQuery MakeNameQuery(const MapRecord& map, const DatumTable& datums, int namesDatum,
                        const std::string& upperText, const std::string& code, bool prefix,
                        bool insideMap) {
    NameQuery q;
    q.text = NameSearchText(upperText);
    q.code = code.empty() ? std::string(kAllCodesText) : code;
    q.prefix = prefix;
    if (insideMap && map.mapLoaded && map.borderCount > 0) {
        const int count = std::min(map.borderCount, kMaxBorderCorners);
        for (int i = 1; i <= count; ++i) {
            double lat = map.borderLat[i], lon = map.borderLon[i];
            ConvertDatum(datums, map.datumIndex, namesDatum, lat, lon);
            q.borderLat.push_back(lat);
            q.borderLon.push_back(lon);
        }
    }
    return q;
}

NameQuery MakeNameQuery(const App& app, const std::string& upperText, const std::string& code,
                        bool prefix, bool insideMap) {
    return MakeNameQuery(app.map, app.datums, app.names.namesDatum, upperText, code, prefix,
                         insideMap);
}

std::string NameSearchText(std::string_view typed) {
    std::string text = UpperName(typed);
    // Characters, not bytes, when the text is UTF-8.
    const bool utf8 = IsValidUtf8(text);
    std::size_t chars = 0, i = 0;
    for (; i < text.size(); ++i) {
        if (utf8 && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;
        if (chars == static_cast<std::size_t>(kNameSearchTextMax)) break;
        ++chars;
    }
    text.resize(i);
    return text;
}

bool ToggleNameFilter(App& app, const NameQuery& query) {
    NameSearchStore& names = app.names;
    if (!names.file) {
        Say(app, kNamesNotLoadedText);
        return false;
    }
    if (names.job) return false;  // "F" is disabled while a filter runs
    if (names.filtered) {
        ClearNameFilter(app);
        return false;
    }
    names.filtered = true;
    names.stopped = false;
    names.matches.clear();
    names.job = std::make_unique<NameFilterJob>(names.file, query);
    return true;
}

void ClearNameFilter(App& app) {
    NameSearchStore& names = app.names;
    StopAndForgetJob(names);
    names.filtered = names.stopped = false;
    names.matches.clear();
}

bool NameFilterRunning(const App& app) { return app.names.job != nullptr; }

std::optional<std::string> PollNameFilter(App& app) {
    NameSearchStore& names = app.names;
    if (!names.job) return std::nullopt;
    if (!names.job->Finished())
        return NameFilterProgressText(names.job->Progress(), names.file->RecordCount());
    NameFilterEnd end = NameFilterEnd::Running;
    names.matches = names.job->Take(&end);
    names.stopped = end == NameFilterEnd::Stopped;
    names.job.reset();
    if (end == NameFilterEnd::FileChanged)
        ReloadNamesFile(app);
    else
        ReloadChangedNamesFile(app);
    return std::nullopt;
}

void StopNameFilter(App& app) {
    if (app.names.job) app.names.job->Stop();
}

std::uint32_t NameSearchRowCount(const App& app) {
    const NameSearchStore& names = app.names;
    if (!names.file) return 0;
    if (names.filtered) return static_cast<std::uint32_t>(names.matches.size());
    return names.file->RecordCount();
}

std::optional<std::uint32_t> NameSearchRecord(const App& app, int row) {
    if (row < 0 || static_cast<std::uint32_t>(row) >= NameSearchRowCount(app)) return std::nullopt;
    if (app.names.filtered) return app.names.matches[row];
    return static_cast<std::uint32_t>(row);
}

const NameRecord& NameSearchRow(App& app, int row) {
    static const NameRecord kNone;
    NameSearchStore& names = app.names;
    std::optional<std::uint32_t> record = NameSearchRecord(app, row);
    if (!record) return kNone;
    if (!names.reader) names.reader = std::make_unique<NameRecordReader>(names.file);
    return names.reader->Read(*record);
}

bool NamesFileChangeNoted(const App& app) {
    return app.names.reader && app.names.reader->FileChanged();
}

bool ReloadChangedNamesFile(App& app) {
    NameSearchStore& names = app.names;
    if (!names.file || names.job) return false;
    if (!NamesFileChangeNoted(app) && !names.file->ChangedOnDisk()) return false;
    ReloadNamesFile(app);
    return true;
}

std::string NameSearchCaption(const App& app) {
    const NameSearchStore& names = app.names;
    if (!names.file) return kNameSearchTitle;
    if (names.stopped) return kStoppedFilterPrefix + names.title;
    if (names.filtered) return kFilteredPrefix + names.title;
    return names.title;
}

void NameSearchShowOnMap(App& app, int row) {
    std::optional<Place> p = SelectedPlace(app, row);
    if (!p) return;
    if (app.names.actions.showOnMap)
        app.names.actions.showOnMap(p->lat, p->lon);
    else
        ShowMapsFoundDialog(app, p->lat, p->lon);
}

void NameSearchWaypoint(App& app, int row) {
    std::optional<Place> p = SelectedPlace(app, row);
    if (!p || !app.names.actions.createWaypoint) return;
    app.names.actions.createWaypoint(p->lat, p->lon, UpperName(p->name));
}

void NameSearchGoTo(App& app, int row) {
    std::optional<Place> p = SelectedPlace(app, row);
    if (!p) return;
    if (app.names.actions.goTo) {
        app.names.actions.goTo(p->lat, p->lon, p->name);
        return;
    }
    SetNavigationTarget(app.navigation, p->lat, p->lon, -1, p->name);
    app.state.navigationActive = true;
    if (app.ports.ui) {
        app.ports.ui->Repaint(WindowId::Map);
        app.ports.ui->Repaint(WindowId::Main);
    }
}

void NameSearchFindMaps(App& app, int row) {
    std::optional<Place> p = SelectedPlace(app, row);
    if (p) ShowMapsFoundDialog(app, p->lat, p->lon);
}

bool NameSearchCanCreateWaypoint(const App& app) {
    return static_cast<bool>(app.names.actions.createWaypoint);
}

CommandRows NameCommandRows() {
    return {
        {kCmdNameSearch, "Name Search", CommandKind::Action, OpenNameSearch, {}, {},
         Menu("View", 2000).Panel(1045, "Ns")},
    };
}

}  // namespace mw
