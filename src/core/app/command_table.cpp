#include "app/command_table.h"

#include <unordered_map>

#include "app/app_state.h"
#include "app/command_ids.h"

namespace mw {

CommandRow ViewToggleRow(int id, std::string text, int ViewSettings::*field, bool toolPanel,
                         Placement place) {
    CommandRow row;
    row.place = place;
    row.id = id;
    row.text = std::move(text);
    row.kind = CommandKind::Toggle;
    row.run = [id, field, toolPanel](App& app) {
        int& value = app.view.*field;
        value = value ? 0 : 1;
        if (!app.ports.ui) return;
        app.ports.ui->SetCommandChecked(id, value != 0);
        if (toolPanel) app.ports.ui->Repaint(WindowId::ToolPanel);
        app.ports.ui->Repaint(WindowId::Map);
    };
    row.checked = [field](const App& app) { return app.view.*field != 0; };
    return row;
}

const CommandRows& AllCommandRows() {
    static const CommandRows rows = [] {
        CommandRows all;
        for (auto area : {GeneralCommandRows, MapCommandRows, ViewCommandRows, TrackCommandRows,
                          WaypointCommandRows, RouteCommandRows, NameCommandRows,
                          PanelCommandRows, SettingsCommandRows, GpxCommandRows}) {
            CommandRows part = area();
            all.insert(all.end(), std::make_move_iterator(part.begin()),
                       std::make_move_iterator(part.end()));
        }
        return all;
    }();
    return rows;
}

const CommandRow* FindCommandRow(int id) {
    static const std::unordered_map<int, const CommandRow*> byId = [] {
        std::unordered_map<int, const CommandRow*> m;
        // The first row of an identifier wins; a second would be a slip that
        // the command-table test reports.
        for (const CommandRow& r : AllCommandRows()) m.emplace(r.id, &r);
        return m;
    }();
    auto it = byId.find(CanonicalCommand(id));
    return it == byId.end() ? nullptr : it->second;
}

}  // namespace mw
