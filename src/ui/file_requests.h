// The entry points of every open and save request: the program's own
// browser where the rules choose it (portrait, "Use CE Open File" 0, a title
// it has a mode for), the platform's file dialog otherwise. The main window's
// Ui port hands its AskOpenFileName and AskSaveFileName here.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/app.h"
#include "ports/ui.h"

class QWidget;

namespace mw {

// An open request captioned `title`; the full path chosen, or nullopt.
std::optional<std::string> ShowOpenDialog(QWidget* parent, App& app, const std::string& title,
                                          const std::string& startFolder,
                                          const std::vector<FileFilter>& filters);
// A save request captioned `title` proposing `proposedPath` (its folder and
// name); the full path chosen, or nullopt. The own browser appends its
// mode's extension unless the name already holds it.
std::optional<std::string> ShowSaveDialog(QWidget* parent, App& app, const std::string& title,
                                          const std::string& proposedPath,
                                          const std::vector<FileFilter>& filters);

}  // namespace mw
