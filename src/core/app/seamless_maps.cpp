#include "app/seamless_maps.h"

#include <memory>

#include "app/commands.h"
#include "app/view_steps.h"
#include "ports/std_file_system.h"
#include "view/seamless.h"

namespace mw {

void InstallSeamlessMaps(App& app) {
    auto fill = std::make_shared<NeighbourFill>();
    app.viewport.afterRender = [&app, fill](Viewport& vp, const MapView& view) {
        if (!vp.file) return;
        NeighbourSource source;
        source.folders = SearchFolders(app.settings, app.state.userHome, app.map.mapFilePath);
        source.covering = [&app](const std::string& folder, const MapSearch& search) {
            FileSystem& files = app.ports.files ? *app.ports.files : DefaultFileSystem();
            return app.catalogue.Covering(files, folder, search, app.datums);
        };
        source.filePath1 = app.settings.filePath1;
        source.filePath2 = app.settings.filePath2;
        source.userHome = app.state.userHome;
        fill->Apply(*vp.file, vp.view, view, app.map, app.datums, source,
                    app.view.viewSeamlessMaps != 0);
    };
}

void ToggleSeamlessMaps(App& app) {
    int& value = app.view.viewSeamlessMaps;
    value = value ? 0 : 1;
    if (app.ports.ui) app.ports.ui->SetCommandChecked(kCmdSeamlessMaps, value != 0);
    RunViewStep(app, [&app] { return RenderMapView(app.viewport, app.mapView); });
}

}  // namespace mw
