#include "app/open_file.h"

#include <cctype>

#include "app/map_commands.h"
#include "app/track_commands.h"
#include "support/text.h"

namespace mw {

namespace {

void Tell(App& app, const std::string& text) {
    if (app.ports.ui) app.ports.ui->ShowMessage(text);
}

bool OpenTrack(App& app, const std::string& path) {
    // Track points are kept on the loaded map's datum, so a track needs a map
    // as the "Load Track File" command does.
    if (!RequireMap(app)) return false;
    const ReadOutcome read = LoadTrackShowingWait(app.track, path, app.datums, app.map.datumIndex, app.ports.ui);
    // The refusal, or what the budget and the ring left out, in one box.
    if (const std::string report = ReadReportText(kTrackNotOpenedText, path, read); !report.empty())
        Tell(app, report);
    if (!read) return false;
    if (app.ports.ui) app.ports.ui->Repaint(WindowId::Map);
    return true;
}

// A map image on its own cannot be shown: it is placed on the earth by its
// calibration file, which usually has the image's name.
bool LoadMapBesideImage(App& app, const std::string& path) {
    std::string stem = path.substr(0, path.size() - FileExtension(path).size());
    for (const char* ext : {"map", "MAP", "Map"}) {
        if (FileExists(stem + ext)) return LoadMapFile(app, stem + ext);
    }
    Tell(app, kNoMapForImageText);
    return false;
}

}  // namespace

std::vector<FileKindRow> FileKindRows() {
    std::vector<FileKindRow> rows;
    rows.push_back({"map", [](App& app, const std::string& path) { return LoadMapFile(app, path); }});
    rows.push_back({"plt", OpenTrack});
    rows.push_back({"mwf2", LoadMapBesideImage});
    return rows;
}

std::string FileExtension(const std::string& path) {
    std::string name = FileNameOf(path);
    std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0) return {};
    std::string ext = name.substr(dot + 1);
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

OpenFileResult OpenFileByKind(App& app, const std::string& path) {
    const std::string ext = FileExtension(path);
    for (const FileKindRow& row : FileKindRows()) {
        if (ext == row.extension)
            return row.open(app, path) ? OpenFileResult::Opened : OpenFileResult::Failed;
    }
    Tell(app, std::string(kUnknownFileKindText) + ":\n" + FileNameOf(path));
    return OpenFileResult::UnknownKind;
}

}  // namespace mw
