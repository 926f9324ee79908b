#include "app/app_state.h"

#include "support/text.h"

namespace mw {

void SetScreenSize(App& app, int clientWidth, int clientHeight) {
    app.state.screenWidth = clientWidth;
    app.state.screenHeight = clientHeight;
    app.state.portrait = clientWidth < clientHeight;
}

void ApplyToolbar(App& app, bool show) {
    if (!app.state.portrait) return;
    app.state.mapTop = show ? 59 : 39;
    app.ports.ui->ShowFloatingWindow(WindowId::ToolPanel, show);
}

std::string NoteAutomaticSave(App& app, std::string_view text, const WriteOutcome& outcome) {
    if (outcome.Ok()) {
        app.lastSaveNote.clear();
        return {};
    }
    std::string note = WriteFailureText(text, outcome);
    if (note != app.lastSaveNote && app.ports.ui) app.ports.ui->ShowStatusNote(note);
    app.lastSaveNote = note;
    return note;
}

}  // namespace mw
