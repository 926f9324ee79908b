#include "app/app_state.h"

#include "support/text.h"

namespace mw {

void SetScreenSize(App& app, int clientWidth, int clientHeight) {
    SetScreenSize(app.mapView, clientWidth, clientHeight);
}

void ApplyToolbar(App& app, bool show) {
    if (!app.mapView.screen.portrait) return;
    PlaceMapTop(app.mapView, show);
    app.ports.ui->ShowFloatingWindow(WindowId::ToolPanel, show);
}

BusyScope::BusyScope(App& app) : app_(app), before_(app.state.busy) {
    app.state.busy = true;
    if (app.gps.session) app.gps.session->busy = true;
}

BusyScope::~BusyScope() {
    app_.state.busy = before_;
    if (app_.gps.session) app_.gps.session->busy = before_;
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
