#include "nav/replay.h"

#include <cmath>

#include "ports/ui.h"
#include "track/track_commands.h"
#include "track/track_file.h"
#include "track/track_store.h"

namespace mw {

namespace {

// Opens `replay.path` and reads past the header lines.
void OpenAtFirstPoint(ReplayState& replay) {
    replay.file = std::make_unique<TextFileReader>(replay.path);
    std::string line;
    for (int i = 0; i < kTrackHeaderLines && replay.file->IsOpen(); ++i)
        if (!ReadLine(*replay.file, line)) break;
}

double FiniteOrZero(double value) { return std::isfinite(value) ? value : 0.0; }

}  // namespace

bool StartReplay(ReplayState& replay, TrackStore& track, const std::string& dataFolder, Ui& ui) {
    std::optional<std::string> path = ui.AskOpenFileName("Load Track File", dataFolder, {TrackFileFilter()});
    if (!path || path->empty()) return false;
    replay.path = *path;
    OpenAtFirstPoint(replay);
    if (!replay.IsOpen()) {
        replay.file.reset();
        ShowMessage(ui, kCannotOpenTrackSimText);
        return false;
    }
    ClearTrack(track);
    return true;
}

void StopReplay(ReplayState& replay, TrackStore& track, Ui& ui) {
    replay.file.reset();
    ClearTrack(track);
    ui.Repaint(WindowId::Map);
}

bool ReplayTrackCommand(ReplayState& replay, TrackStore& track, const std::string& dataFolder,
                        Ui& ui) {
    if (replay.mode) {
        replay.mode = false;
        StopReplay(replay, track, ui);
        return false;
    }
    replay.mode = StartReplay(replay, track, dataFolder, ui);
    return replay.mode;
}

ReplayStepResult ReplayStep(ReplayState& replay) {
    if (!replay.IsOpen()) return ReplayStepResult::NotOpen;
    std::string line;
    const int more = ReadLine(*replay.file, line);
    // A last line without a line end still holds a point.
    if (more || !line.empty()) {
        SplitFieldTable fields = SplitFields(line);
        replay.replayLat = FiniteOrZero(ParseReal(fields.Get(1, "0")));
        replay.replayLon = FiniteOrZero(ParseReal(fields.Get(2, "0")));
        return ReplayStepResult::Point;
    }
    replay.replayLat = 0;
    replay.replayLon = 0;
    OpenAtFirstPoint(replay);
    return ReplayStepResult::EndOfFile;
}

ReplayStepResult ReplayTick(ReplayState& replay, GpsParserState& parser, DispatchEnv env,
                            const std::function<void()>& atEnd) {
    const ReplayStepResult step = ReplayStep(replay);
    if (step == ReplayStepResult::NotOpen) return step;
    if (step == ReplayStepResult::EndOfFile && atEnd) atEnd();
    if (env.clock) {
        env.replay = true;
        DispatchSentence("", parser, env);
    }
    return step;
}

}  // namespace mw
