#include "app/map_commands.h"

#include "app/command_table.h"
#include "app/commands.h"
#include "app/view_steps.h"
#include "map/recent_maps.h"
#include "map/position_store.h"
#include "ports/headless_ui.h"
#include "ports/std_file_system.h"
#include "support/paths.h"
#include "support/text.h"

namespace mw {

namespace {

constexpr const char* kRecentMenuName = "recent";

FileSystem& Files(App& app) { return app.ports.files ? *app.ports.files : DefaultFileSystem(); }

CoverageFinder CatalogueFinder(App& app, const MapSearch& search) {
    return [&app, search](const std::string& folder) {
        return app.catalogue.Covering(Files(app), folder, search, app.datums);
    };
}

void ShowRecentMaps(App& app, const std::vector<std::string>& paths) {
    if (app.ports.ui) app.ports.ui->SetMenuItems(kRecentMenuName, RecentMapsMenu(paths));
}

// The position "Find Maps at Cursor" searches for: the view centre, or the
// last GPS position while the view centre is unset.
GeoPoint CursorPosition(const App& app) {
    if (app.mapView.centre) return *app.mapView.centre;
    return {app.mapView.lastFix.lat, app.mapView.lastFix.lon};
}

}  // namespace

bool RequireMap(App& app) {
    if (app.map.mapLoaded) return true;
    if (app.ports.ui) ShowMessage(*app.ports.ui, kNeedMapText);
    return false;
}

namespace {

// Opens the first of the map's image candidates into `vp`. Damage met while
// drawing a first view is told at once, with the file's name (and not again
// while the image stays open); `unreadable` keeps why the first candidate
// that exists did not open, for the caller to tell if none does.
bool OpenFirstImage(App& app, Viewport& vp, MapView& view, MapRecord& map, Ui& ui,
                    std::string& unreadable) {
    unreadable.clear();
    for (const std::string& candidate :
         MapImageCandidates(map.imageBaseName, map.mapFilePath, app.settings.filePath1,
                            app.settings.filePath2, app.state.userHome)) {
        if (!FileExists(candidate)) continue;
        const MapImageOpen open = OpenMapImage(vp, view, map, app.datums, candidate);
        if (open.damaged != ImageFault::None)
            ShowMessage(ui, ImageFaultText(open.damaged, candidate));
        if (open.opened) return true;
        if (unreadable.empty() && open.unreadable != ImageFault::None)
            unreadable = ImageFaultText(open.unreadable, candidate, open.reason);
    }
    return false;
}

}  // namespace

bool LoadMapFile(App& app, const std::string& path, bool remember) {
    HeadlessUi quiet;
    Ui& ui = app.ports.ui ? *app.ports.ui : quiet;
    const std::string name = FileNameOf(path);
    auto data = ReadFilePrefix(path, kMaxCalibrationFileBytes);
    // A file that cannot be read at all (gone, a folder) changes nothing and
    // is not worth a message: the recent-maps list and the last map name
    // files that may have moved.
    if (!data) return false;

    BusyScope busy(app);
    // Everything is read and opened aside first: only a load that succeeded
    // replaces the map on screen.
    MapRecord next = ParseMapFile(*data, app.datums);
    next.mapFilePath = path;
    if (next.projectionId == kProjUnsupported) ShowMessage(ui, kProjectionNotSupportedText);
    if (next.calibration.usablePoints == 0) {
        ShowMessage(ui, Format("%s: not a calibration file", name.c_str()));
        return false;
    }
    Viewport images;
    images.zoomTable = app.viewport.zoomTable;
    images.zoomIndex100 = app.viewport.zoomIndex100;
    images.afterRender = app.viewport.afterRender;
    MapView view = app.mapView;
    ui.SetWaitCursor(true);
    std::string unreadable;
    const bool opened = OpenFirstImage(app, images, view, next, ui, unreadable);
    ui.SetWaitCursor(false);
    if (!opened && !unreadable.empty()) {
        // The image is there but cannot be read: say which and what is wrong
        // with it.
        ShowMessage(ui, unreadable);
        return false;
    }
    if (!opened) {
        std::string image = next.imageBaseName;
        if (!image.empty() && image.back() == '.') image.pop_back();
        ShowMessage(ui, Format("%s: %s", kImageNotFoundText, image.c_str()));
        return false;
    }

    // The load stands: the stores follow the new datum, the old image goes.
    ConvertStoredPositions(app.datums, app.map.datumIndex, next.datumIndex, app.positionStores);
    CloseMapImage(app.viewport);
    app.viewport = std::move(images);
    ShowOpenedView(app.mapView, view);
    app.map = std::move(next);
    app.map.mapLoaded = true;
    SetImageShown(app.mapView, true);
    ui.SetMenuItems("zoom", ZoomMenu(app.viewport));

    if (remember) {
        // Said in the status line, not a box: this runs inside the moving map's
        // sheet changes, and a box there would hold up every fix behind it.
        NoteAutomaticSave(app, kCannotSaveLastIniText,
                          SaveLastIni(app.state.programFolder, kLastMapFile, "Last Map", path));
        std::vector<std::string> recent;
        AddRecentMap(app.state.programFolder, path, recent);
        ShowRecentMaps(app, recent);
    }
    ui.Repaint(WindowId::Map);
    ui.Repaint(WindowId::Overview);
    // Another map has another scale.
    ui.Repaint(WindowId::Scale);
    return true;
}

void OpenMapCommand(App& app) {
    if (!app.ports.ui) return;
    std::string folder = ToLocalPath(app.settings.mapPath[0], app.state.userHome);
    auto path = app.ports.ui->AskOpenFileName("Open Map File", folder, {{"Map files", "*.map"}});
    if (path) LoadMapFile(app, *path);
}

int RecentMapCommand(int index) { return index == 0 ? kCmdRecentMap0 : kCmdRecentMap1 + index - 1; }

int RecentMapIndex(int commandId) {
    if (commandId == kCmdRecentMap0) return 0;
    if (commandId >= kCmdRecentMap1 && commandId <= kCmdRecentMap9)
        return commandId - kCmdRecentMap1 + 1;
    return -1;
}

std::vector<MenuEntry> RecentMapsMenu(const std::vector<std::string>& paths) {
    std::vector<MenuEntry> items;
    for (std::size_t k = 0; k < paths.size() && k < static_cast<std::size_t>(kRecentMapsMax); ++k)
        items.push_back({RecentMapCommand(static_cast<int>(k)), FileNameOf(paths[k])});
    if (items.empty()) items.push_back({kCmdRecentMap0, "None"});
    return items;
}

void BuildRecentMapsMenu(App& app) { ShowRecentMaps(app, ReadRecentMaps(app.state.programFolder)); }

bool OpenRecentMap(App& app, int index) {
    return LoadMapFile(app, RecentMapPath(app.state.programFolder, index));
}

bool SelectMapForPosition(App& app, const std::string& currentMapPath, double currentScale,
                          double lat, double lon, int datum) {
    auto folders = SearchFolders(app.settings, app.state.userHome, currentMapPath);
    return SelectMapForPosition(folders, CatalogueFinder(app, {lat, lon, datum}), currentMapPath,
                                currentScale,
                                [&](const std::string& path) { return LoadMapFile(app, path); });
}

std::vector<CoveringMap> FindMapsAtPosition(App& app, double lat, double lon, int datum) {
    auto folders = SearchFolders(app.settings, app.state.userHome, app.map.mapFilePath);
    return FindMapsAtPosition(folders, CatalogueFinder(app, {lat, lon, datum}));
}

void ShowMapsFoundDialog(App& app, double lat, double lon) {
    Ui* ui = app.ports.ui;
    if (!ui) return;
    ui->SetWaitCursor(true);
    std::vector<CoveringMap> found = FindMapsAtPosition(app, lat, lon, app.map.datumIndex);
    std::vector<std::string> names;
    for (const CoveringMap& m : found) names.push_back(FileNameOf(m.path));
    ui->SetWaitCursor(false);
    // Each entry keeps the path it was found at: two folders may hold maps
    // of the same name, and the one listed is the one that covers the place.
    ui->ShowMapsFound(names, [&app, found](int index) {
        if (index >= 0 && index < static_cast<int>(found.size()))
            LoadMapFile(app, found[index].path);
    });
}

namespace {

void ShowMapInformation(App& app) {
    if (!RequireMap(app)) return;
    if (app.ports.ui)
        app.ports.ui->ShowList(kMapInformationTitle,
                               {app.map.title, app.map.mapFilePath, app.map.datumName,
                                app.map.projection.projectionName});
}

void FindMapsAtCursor(App& app) {
    if (!RequireMap(app)) return;
    GeoPoint at = CursorPosition(app);
    if (at.lat == 0 && at.lon == 0) {
        if (app.ports.ui) ShowMessage(*app.ports.ui, kCursorNotSelectedText);
        return;
    }
    ShowMapsFoundDialog(app, at.lat, at.lon);
}

}  // namespace

CommandRows MapCommandRows() {
    CommandRows rows = {
        {kCmdOpenMap, "Open Map File", CommandKind::Action, OpenMapCommand, {}, {},
         Menu("File", 1000).Bar(1, "Op", "Open Map File", kCmdOpenMapButton)},
        {kCmdImportMap, "Import Map…", CommandKind::Action,
         [](App& app) { if (app.ports.ui) app.ports.ui->OpenDialog(DialogId::ImportMap); }, {}, {},
         Menu("File", 1005)},
        {kCmdCalibrateMap, "Calibrate Map\u2026", CommandKind::Action,
         [](App& app) {
             if (app.ports.ui) app.ports.ui->OpenDialog(DialogId::CalibrateMap);
         },
         {}, {}, Menu("File", 1020)},
        {kCmdMapInformation, "Map Information", CommandKind::Action, ShowMapInformation, {}, {},
         Menu("Map", 3210)},
        {kCmdFindMapsAtCursor, "Find Maps at Cursor", CommandKind::Action, FindMapsAtCursor, {}, {},
         Menu("Map", 3220).Bar(6, "mf", "Find Maps at Cursor").Panel(1037, "mf")},
    };
    // The recent maps: the texts are the files' names, set when the submenu
    // is rebuilt; "None" stands in an empty list and does nothing.
    rows.push_back({kCmdRecentMap0, "None", CommandKind::Action,
                    [](App& app) { OpenRecentMap(app, 0); }, {}, {},
                    Menu("File/Open Recent Maps", 1010)});
    for (int k = 1; k <= 9; ++k)
        rows.push_back({RecentMapCommand(k), "Recent Map " + std::to_string(k), CommandKind::Action,
                        [k](App& app) { OpenRecentMap(app, k); }, {}, {}});
    return rows;
}

}  // namespace mw
