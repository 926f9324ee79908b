// The program's own loadable modules: parts that pull in many libraries
// (sound: Qt Multimedia; map import: GDAL and its hundred dependencies) are
// built as modules and loaded on first use, so that a start pays only for
// what the first map frame needs.
#pragma once

#include <QString>
#include <QStringList>

namespace mw {

// Where the program looks for the module `file`, first found wins: beside
// the program (the build tree), in its installed library folder, and in the
// build tree's module folder (for the test programs, which lie elsewhere).
QStringList ModuleCandidates(const QString& programFolder, const QString& file);

// Loads the module `file` (from `path` when that is not empty, else from the
// first candidate that exists) and returns its function `entry`; null with
// the reason in `error` when the module is missing or lacks the function.
// A loaded module stays loaded until the program ends.
void* LoadModuleEntry(const QString& file, const QString& path, const char* entry,
                      QString* error);

}  // namespace mw
