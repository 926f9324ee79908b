// Opening a file handed to the program from outside (the command line, the
// desktop's "Open With", a second start passing its files on): the file's
// extension decides what loads it, as if the matching menu command had been
// chosen and the file picked in its dialog.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "track/track_file.h"

namespace mw {

inline constexpr const char* kNoMapForImageText =
    "No map file (.map) of the same name lies beside this map image";
inline constexpr const char* kUnknownFileKindText = "Mapwanderer cannot open this kind of file";

enum class OpenFileResult {
    Opened,
    Failed,       // the loader refused it and has told the user why
    UnknownKind,  // no row for the extension; the user has been told
};

// One kind of file: its extension (lower case, without the dot) and the
// function that loads it into the running program; the function returns
// false after telling the user what went wrong.
struct FileKindRow {
    const char* extension;
    std::function<bool(App&, const std::string& path)> open;
};

// Every kind the program opens this way. A new kind is one more row here.
std::vector<FileKindRow> FileKindRows();

// The extension of `path`'s file name in lower case, without the dot; empty
// when the name has none.
std::string FileExtension(const std::string& path);

// Opens `path` by its extension (any letter case) with the matching row.
OpenFileResult OpenFileByKind(App& app, const std::string& path);

}  // namespace mw
