// The record of one running program: its state, settings, ports and stores,
// and the few operations on the record alone that every command area uses
// (the screen size, the tool panel, the note of an automatic save). The
// commands act on this record; the start-up and the dispatch (app.h) stand
// above them.
#pragma once

#include <string>

#include "config/settings.h"
#include "geo/datums.h"
#include "map/catalogue.h"
#include "map/map_file.h"
#include "map/map_record.h"
#include "map/position_store.h"
#include "names/name_search.h"
#include "ports/file_system.h"
#include "ports/system.h"
#include "ports/ui.h"
#include "gps/gps_session.h"
#include "gps/mailbox.h"
#include "nav/alarms.h"
#include "nav/gps_timing.h"
#include "nav/navigation.h"
#include "nav/record_rule.h"
#include "nav/replay.h"
#include "nav/route_store.h"
#include "nav/trip_computer.h"
#include "track/track_store.h"
#include "view/overview.h"
#include "view/map_view.h"
#include "view/viewport.h"
#include "view/waypoint_layer.h"
#include "waypoint/waypoint_store.h"
#include "ports/canvas.h"

namespace mw {

// Display facts the "Developer Info" command reports; the window layer fills
// them from the screen it runs on.
struct DisplayCaps {
    int rasterCaps = 0;
    int numColors = -1;  // -1: more colours than a palette holds
    int numReserved = 0;
    int sizePalette = 0;
    int colorRes = 24;
};

struct AppState {
    // The application home: every configuration file, "datums.dat" and the
    // help, symbol and sound folders live here.
    std::string programFolder;
    // The user's home, under which the handheld's root folders ("\Mapwanderer\Maps") live.
    std::string userHome;
    bool paletteDisplay = false;
    DisplayCaps display;

    // Tap mode; never on together with the view's drag mode (mapView.drag).
    bool screenControlMode = false;

    bool replayActive = false;
    bool navigationActive = false;
    // Set while a map loads or the view renders; input that would work on a
    // half-loaded map is dropped meanwhile.
    bool busy = false;
    bool keepAliveTimer = false;  // timer 3 runs
    int ntfDatum = kDatumNtfFrance;
};

// The ports the core talks to the outside through. The window layer (or a
// test) owns the objects; the core only borrows them.
struct Ports {
    Ui* ui = nullptr;
    Clock* clock = nullptr;
    Sound* sound = nullptr;
    Shell* shell = nullptr;
    // Folder listings and file stamps for the map catalogue; the standard
    // library's version when the window layer gives none.
    FileSystem* files = nullptr;
    // The GPS receiver's port (a serial device or gpsd); none: the moving
    // map cannot be switched on with a receiver, replay still works.
    SerialPort* serial = nullptr;
};

// What the moving map keeps between fixes.
struct GpsState {
    GpsFix fix;               // the current fix as the GUI thread sees it
    GpsParserState parser;    // the parsers' own state for replayed sentences
    GpsMailboxes mailboxes;   // results from the reader thread
    std::unique_ptr<GpsSession> session;
    RecordState record;
    MapSearchTiming timing;
    ScreenUpdateCounter counter;
    // The map window is being painted: a screen update waits for the next fix.
    bool drawing = false;
    // Fixes that reached the pipeline, for the headless run.
    long fixesProcessed = 0;
    // Distance and moving time since the GPS was opened or "Reset Trip".
    TripComputer trip;
};

// Everything one running program owns, for the life of the program.
struct App {
    AppState state;
    AppSettings settings;
    ViewSettings view;
    DatumTable datums;
    Ports ports;
    // The one loaded map.
    MapRecord map;
    // The stores whose positions follow the loaded map's datum.
    std::vector<PositionStore*> positionStores;
    // What the map folders' calibration files say, kept between searches.
    MapCatalogue catalogue;
    // What the map window shows (the moving map's "GPS on" included) and the
    // image machinery behind it.
    MapView mapView;
    Viewport viewport;
    // The in-memory track, the replay and the moving map.
    TrackStore track;
    WaypointStore waypoints;
    // The symbol pictures of the home's symbol folder, read when first drawn.
    SymbolSet symbols;
    ReplayState replay;
    GpsState gps;
    // The navigation target (navigationActive mirrors whether there is one).
    NavigationState navigation;
    RouteStore routes;
    NameSearchStore names;
    // The overview window's picture and geometry.
    OverviewState overview;
    // The outline of the "User" GPS pointer.
    std::vector<Point> userPointer;
    // Called with each fix on the map datum while "WP Check Proximity" is
    // on; the waypoint alarms plug in here.
    std::function<void(double lat, double lon)> checkProximity;
    AlarmState alarms;
    // The failed automatic save last said in the status line: the same
    // failure at every map change is said once (NoteAutomaticSave).
    std::string lastSaveNote;
};

inline constexpr const char* kNeedMapText = "A Map must be loaded for this Operation";
inline constexpr const char* kHelpFolder = "help";
inline constexpr const char* kHelpFile = "mawce_d_help.html";
inline constexpr const char* kCompanionProgram = "MawCEgps";
// Pixels an info panel takes below the map in portrait, and the column it
// takes on the right in landscape.
inline constexpr int kInfoPanelHeight = 25;
inline constexpr int kInfoPanelColumn = 128;

// Sets `portrait` from the main window's client size.
void SetScreenSize(App& app, int clientWidth, int clientHeight);

// Portrait only: shows or hides the tool panel and moves the map window's top.
void ApplyToolbar(App& app, bool show);

// The program is busy while it lives (a map loads): fixes that reach the
// position pipeline meanwhile are dropped, and the receiver's reader drops
// what it receives. A message box shown during a load runs the event loop,
// which is how a fix can arrive in the middle of one. Scopes nest.
class BusyScope {
public:
    explicit BusyScope(App& app);
    ~BusyScope();
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    App& app_;
    bool before_;
};

// Says how a save the user did not ask for went ("LastMap.ini" at a map
// load, the names file, the view file at shutdown): a failure is one status
// note, `text` with the file and the reason, and is said again only after a
// save worked or failed otherwise. Never a message box: its event loop would
// stop the moving map. Returns the note, empty when the save worked.
std::string NoteAutomaticSave(App& app, std::string_view text, const WriteOutcome& outcome);

}  // namespace mw
