// The application core's entry points: the start-up and shutdown sequence of
// one running program and the dispatch of its commands. The window layer
// creates the windows, then drives everything through here; the record they
// act on is app_state.h, the commands' areas stand between the two.
#pragma once

#include <string>

#include "app/app_state.h"
#include "app/panels.h"
#include "app/view_commands.h"

namespace mw {

// What "About" shows: the product name and, after a blank line, the
// version the build was made as (the one `--version` prints too).
std::string AboutText();

// What start-up reads from the home, in its order: the user's datums, the
// main and the view configuration files and the user's pointer. A file that
// is missing leaves its defaults; one that cannot be read is told, named.
// Writes nothing, so a tool that draws from the home can share it.
void ReadHomeFiles(App& app, const std::string& home, const std::string& userHome);

// Start-up after the windows exist: reads the datums, the main and view
// configuration files in that order, sets every check mark and the layout for
// the given client size, and decides the keep-alive timer. `home` is the
// application home, `userHome` the user's home folder.
bool StartApplication(App& app, const std::string& home, const std::string& userHome,
                      int clientWidth, int clientHeight);

// Runs one command as the menus and buttons send it. Returns false for an
// identifier this build does not handle.
bool ExecuteCommand(App& app, int id);

// Whether a view toggle command is on, for check marks; false for others.
bool CommandChecked(const App& app, int id);

// Timer 3: true when the idle timer must be reset now (the GPS runs).
bool KeepAliveTick(const App& app);

// Orderly shutdown: stops what runs and writes the view configuration file.
// Nothing waits for the user: a file that cannot be written is a status
// note, and the returned text (empty when all was saved) is for the caller
// to print where it can still be seen.
std::string ShutdownApplication(App& app);

}  // namespace mw
