// What the settings dialogs ask of the running program: the file is read
// again when a dialog opens, and written (then read again) when it is
// confirmed, so every dialog shows and leaves exactly what the file holds.
#pragma once

#include "config/settings.h"

namespace mw {

struct App;

// Keep-alive period of timer 3, in milliseconds.
inline constexpr int kKeepAliveTimerPeriodMs = 30000;

// A settings dialog opens: the main file is read again into app.settings.
void BeginSettingsDialog(App& app);
// OK: the keys of dialog `dialogNumber` are taken from `values` and the main
// file is written ("Cannot Save ini File" when it cannot be), then read
// again. False when the file could not be written.
bool ConfirmSettingsDialog(App& app, int dialogNumber, const AppSettings& values);

// Cancel (or any close but OK): every in-memory setting goes back to
// `opened`, the values the dialog opened with. A folder chosen with "..."
// takes effect at once while the dialog is open, so without this a cancelled
// choice would stay in force until the next dialog re-reads the file.
void CancelSettingsDialog(App& app, const AppSettings& opened);

// The Configuration menu's command of a dialog number, and back (0 for none).
int SettingsDialogCommand(int dialogNumber);

}  // namespace mw
