#include "app/track_commands.h"

#include "browse/browser_modes.h"
#include "nav/replay.h"
#include "ports/ui.h"
#include "support/durable_file.h"
#include "support/paths.h"
#include "track/track_file.h"

namespace mw {

FileFilter TrackFileFilter() { return FileFilter{"Track files", "*.plt"}; }

std::optional<std::string> AskSaveName(Ui& ui, const std::string& folder, std::string_view baseName,
                                       std::string_view extension, const DateTime& localNow) {
    std::string proposal = JoinPath(folder, ProposeSaveName(baseName, extension, localNow));
    std::optional<std::string> path = ui.AskSaveFileName("Save Track File", proposal, {TrackFileFilter()});
    if (!path || path->empty()) return std::nullopt;
    return WithExtension(*path, extension);
}

ReadOutcome LoadTrackShowingWait(TrackStore& track, const std::string& path,
                                 const DatumTable& datums, int mapDatum, Ui* ui) {
    WaitCursor cursor(ui);
    return LoadTrackFile(track, path, datums, mapDatum);
}

void LoadTrackCommand(TrackStore& track, const TrackCommandContext& context, Ui& ui) {
    std::optional<std::string> path = ui.AskOpenFileName("Load Track File", context.dataFolder, {TrackFileFilter()});
    if (!path || path->empty()) return;
    const ReadOutcome read = LoadTrackShowingWait(track, *path, context.datums, context.mapDatum, &ui);
    if (const std::string report = ReadReportText(kTrackNotOpenedText, *path, read);
        !report.empty())
        ShowMessage(ui, report);
    ui.Repaint(WindowId::Map);
}

void SaveTrackCommand(const TrackStore& track, const TrackCommandContext& context, Ui& ui) {
    std::optional<std::string> path =
        AskSaveName(ui, context.dataFolder, kTrackSaveBaseName, kTrackExtension, context.localNow);
    if (!path) return;
    if (const WriteOutcome saved = SaveTrackFile(track, *path, context.datums, context.mapDatum);
        !saved)
        ShowMessage(ui, WriteFailureText(kCannotCreateTrackFileText, saved));
}

void ClearTrackCommand(TrackStore& track, Ui& ui) {
    if (!AskYesNo(ui, kClearTrackQuestion)) return;
    ClearTrack(track);
    ui.Repaint(WindowId::Map);
}

void SaveTrackLogCommand(const TrackCommandContext& context, Ui& ui) {
    std::optional<std::string> path = AskSaveName(ui, context.dataFolder, kTrackLogSaveBaseName,
                                                  kTrackExtension, context.localNow);
    if (!path) return;
    const std::optional<WriteOutcome> copied =
        CopyFileAtomically(TrackLogPath(context.dataFolder), *path);
    if (!copied)
        ShowMessage(ui, kTrackNotSavedText);
    else
        ShowMessage(ui, *copied ? std::string(kSavedAsText) + *path
                                : WriteFailureText(kTrackNotSavedText, *copied));
}

void DeleteTrackLogCommand(const TrackCommandContext& context, Ui& ui) {
    if (!AskYesNo(ui, kDeleteTrackLogQuestion)) return;
    switch (RemoveFile(TrackLogPath(context.dataFolder))) {
        case Removal::Missing: return ShowMessage(ui, kTrackLogMissingText);
        case Removal::Removed: return ShowMessage(ui, kTrackLogDeletedText);
        case Removal::Failed: return ShowMessage(ui, kTrackLogNotDeletedText);
    }
}

bool ReplayTrackCommand(ReplayState& replay, TrackStore& track, const std::string& dataFolder,
                        Ui& ui) {
    if (replay.mode) {
        replay.mode = false;
        StopReplay(replay, track);
        ui.Repaint(WindowId::Map);
        return false;
    }
    std::optional<std::string> path =
        ui.AskOpenFileName("Load Track File", dataFolder, {TrackFileFilter()});
    if (!path || path->empty()) return false;
    replay.mode = StartReplay(replay, track, *path);
    if (!replay.mode) ShowMessage(ui, kCannotOpenTrackSimText);
    return replay.mode;
}

}  // namespace mw
