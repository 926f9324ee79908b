// The settings dialogs as data. Every dialog of the Configuration menu is one
// table of controls (kind, label, the setting it edits, the list that
// fills it, the range its spin buttons step in); one dialog class in the
// window layer builds any of them from its table, and the rules of turning a
// stored value into a control state and back live here.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "config/settings.h"

namespace mw {

enum class ControlKind {
    List,       // drop-down list; the value is the list position
    Check,      // check box; 0 or 1
    Number,     // integer field shown "%d"; spin buttons step inside the range
    Speed,      // real field shown "%.0f" and read as a real
    Folder,     // one-line folder text with a "..." button beside it
    PathLines,  // the six map folders as one multi-line text
    PathActive, // the "Active" check of one map folder line
    PathButton, // the "..." button of one map folder line
};

enum class ListId {
    None,
    PositionFormats,
    Datums,
    Ports,
    BaudRates,
    Sentences,
    SpeedUnits,
    DistanceUnits,
    AltitudeUnits,
    HeadingReference,
    PointerStyles,
    Colours,
    RouteLineColours,
};

struct DialogControl {
    int id;                  // control number; the window layer names the widget "ctl<id>"
    ControlKind kind;
    const char* label;
    // The setting this control edits (none for the multi-line path text and
    // the "..." buttons, which edit several).
    SettingField setting;
    ListId list = ListId::None;
    int spinMin = 0, spinMax = 0;  // spin range; both 0: no spin buttons
    int buttonId = 0;              // Folder: the "..." button's control number
    int line = 0;                  // PathActive, PathButton: map folder line 0..5
    const char* group = nullptr;   // title of the group box the control sits in
};

struct DialogTable {
    int number;         // what SaveConfiguration takes
    int resource;       // the dialog's resource number (its object name "dlg<resource>")
    const char* caption;
    std::span<const DialogControl> controls;
};

// The eleven dialogs in the order of the Configuration menu's table
// ("System", "Map & Data Files", "Image Files", "NMEA (GPS)", "Moving Map",
// "Track", "Units", "Waypoints", "Maw Routes", "Navigation", "Speed Monitor").
std::span<const DialogTable> SettingsDialogs();
// The table of a SaveConfiguration number; null for 3 (no dialog) and others.
const DialogTable* FindSettingsDialog(int number);

// The entries of a list, by position. The datum list is the table's
// `datumCount` names, so user datums appear after the built-in ones.
std::vector<std::string> ListEntries(ListId list, const DatumTable& datums);

// The value a control shows or takes: list position, check state or integer
// in `number`, a speed in `real`, a folder text in `text`.
struct ControlValue {
    int number = 0;
    double real = 0;
    std::string text;
    bool operator==(const ControlValue&) const = default;
};
// The value of `control`'s key in `settings`. PathLines gives the joined text.
ControlValue ReadControl(const AppSettings& settings, const DialogControl& control);
// Stores `value` into `control`'s key of `settings` (what SaveConfiguration
// then takes). PathLines splits the text into the six map folders.
void WriteControl(AppSettings& settings, const DialogControl& control, const ControlValue& value);

// The list row to select for a stored index: the index itself inside
// 0..count-1, otherwise -1 (no selection, which OK stores as -1).
int ListSelection(int storedIndex, int count);

// The text of a number field, and a lenient reading of it as the file reader
// reads numbers (C locale, leading digits, nothing gives 0).
std::string FormatNumberField(ControlKind kind, const ControlValue& value);
ControlValue ParseNumberField(ControlKind kind, std::string_view text);

// A typed number field as OK takes it: a whole number for Number fields, a
// decimal for Speed fields, spaces around it ignored, inside the control's
// range [spinMin, spinMax] (the range of its key). A decimal point is always
// accepted; a comma is accepted in its place only when `decimalSeparator` (the
// user's locale's) is a comma. Anything else, an empty field, a number too
// large for its key or out of range gives nullopt: the field is refused, never
// stored as 0 or cut.
std::optional<ControlValue> CheckNumberField(const DialogControl& control, std::string_view text,
                                             char decimalSeparator);
// The unit of a number field's key as the units settings say: "m" or "ft" for
// the log distances, the speed unit for the speed limits, "px", "points",
// "fixes".
std::string NumberFieldUnit(const DialogControl& control, const AppSettings& settings);
// What OK says of a refused field: its label and the range it takes, with the
// unit ("Log Dist takes a whole number from 0 to 10000 m").
std::string RefusedFieldText(const DialogControl& control, const AppSettings& settings);

// One spin button press: the field's number moved by `step` and kept inside
// [spinMin, spinMax]. A field that is no number steps from 0.
std::string StepNumberField(const DialogControl& control, std::string_view text, int step,
                            char decimalSeparator = '.');

// The six map folders as the multi-line text shows them, each followed by a
// line end; and the text back into six folders: lines 0..5 (CR LF or LF
// ends), missing lines empty, further lines dropped, each cut to the longest
// text a setting holds.
std::string JoinPathLines(const std::array<std::string, 6>& paths);
std::array<std::string, 6> SplitPathLines(std::string_view text);
// `text` with line `line` (0..5) replaced by `path`; the other lines as typed.
std::string ReplacePathLine(std::string_view text, int line, const std::string& path);

// The setting a folder picker ("...") writes at once, before the dialog's own
// OK: map folder line 0..5 for a PathButton, the control's key for a Folder.
std::string* FolderSettingOf(AppSettings& settings, const DialogControl& control);

}  // namespace mw
