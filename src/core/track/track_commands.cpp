#include "track/track_commands.h"

#include <algorithm>
#include <cctype>

#include "ports/ui.h"
#include "support/paths.h"
#include "support/text.h"
#include "track/track_file.h"

namespace mw {

FileFilter TrackFileFilter() { return FileFilter{"Track files", "*.plt"}; }

std::string ProposeSaveName(std::string_view baseName, std::string_view extension,
                            const DateTime& t) {
    return std::string(baseName) +
           Format(" %04d-%02d-%02d %02d-%02d-%02d.", t.year, t.month, t.day, t.hour, t.minute,
                  t.second) +
           std::string(extension);
}

std::string WithExtension(const std::string& path, std::string_view extension) {
    std::string name = FileNameOf(path);
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    std::string dotted = "." + std::string(extension);
    if (name.find(dotted) != std::string::npos) return path;
    return path + dotted;
}

std::optional<std::string> AskSaveName(Ui& ui, const std::string& folder, std::string_view baseName,
                                       std::string_view extension, const DateTime& localNow) {
    std::string proposal = JoinPath(folder, ProposeSaveName(baseName, extension, localNow));
    std::optional<std::string> path = ui.AskSaveFileName("Save Track File", proposal, {TrackFileFilter()});
    if (!path || path->empty()) return std::nullopt;
    return WithExtension(*path, extension);
}

void LoadTrackCommand(TrackStore& track, const TrackCommandContext& context, Ui& ui) {
    std::optional<std::string> path = ui.AskOpenFileName("Load Track File", context.dataFolder, {TrackFileFilter()});
    if (!path || path->empty()) return;
    const ReadOutcome read = LoadTrackFile(track, *path, context.datums, context.mapDatum, &ui);
    // The refusal, or what the budget and the ring left out, in one box.
    if (const std::string report = ReadReportText(kTrackNotOpenedText, *path, read);
        !report.empty())
        ShowMessage(ui, report);
    ui.Repaint(WindowId::Map);
}

void SaveTrackCommand(const TrackStore& track, const TrackCommandContext& context, Ui& ui) {
    std::optional<std::string> path =
        AskSaveName(ui, context.dataFolder, kTrackSaveBaseName, kTrackExtension, context.localNow);
    if (path) SaveTrackFile(track, *path, context.datums, context.mapDatum, &ui);
}

void ClearTrackCommand(TrackStore& track, Ui& ui) {
    if (!AskYesNo(ui, kClearTrackQuestion)) return;
    ClearTrack(track);
    ui.Repaint(WindowId::Map);
}

void SaveTrackLogCommand(const TrackCommandContext& context, Ui& ui) {
    std::optional<std::string> path = AskSaveName(ui, context.dataFolder, kTrackLogSaveBaseName,
                                                  kTrackExtension, context.localNow);
    if (path) SaveTrackLogAs(TrackLogPath(context.dataFolder), *path, ui);
}

void DeleteTrackLogCommand(const TrackCommandContext& context, Ui& ui) {
    DeleteTrackLog(TrackLogPath(context.dataFolder), ui);
}

}  // namespace mw
