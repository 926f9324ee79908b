// The route commands, the route view toggles and "Cancel Navigation".
// Rows with an empty handler are not built yet: their menu items are shown
// disabled.
#include "app/app.h"
#include "app/command_table.h"
#include "app/commands.h"

namespace mw {

CommandRows RouteCommandRows() {
    return {
        {kCmdLoadRouteFile, "Load Maw Route File", CommandKind::Action, {}, {}, {}},
        {kCmdClearRoutes, "Clear Routes from Map", CommandKind::Action, {}, {}, {}},
        {kCmdCancelNavigation, "Cancel Navigation", CommandKind::Action, {}, {}, {}},
        ViewToggleRow(kCmdViewRoutes, "Show", &ViewSettings::viewRoutes, true),
        ViewToggleRow(kCmdViewRouteHighlights, "Highlight Route", &ViewSettings::viewRouteHighlights, true),
        ViewToggleRow(kCmdViewRouteWpNames, "Show WP Names", &ViewSettings::viewRouteWpNames, true),
        ViewToggleRow(kCmdViewRouteName, "Show Route Name", &ViewSettings::viewRouteName, true),
        ViewToggleRow(kCmdViewRouteBW, "Black && White", &ViewSettings::viewRouteBW, true),
    };
}

}  // namespace mw
