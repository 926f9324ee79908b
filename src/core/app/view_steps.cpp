#include "app/view_steps.h"

#include <algorithm>

#include "app/command_ids.h"

namespace mw {

void ShowImageFault(App& app, ImageFault fault) {
    if (fault != ImageFault::None && app.ports.ui)
        app.ports.ui->ShowMessage(ImageFaultText(fault, app.viewport.imagePath));
}

ViewChange RunViewStep(App& app, const std::function<ViewChange()>& step,
                       std::initializer_list<WindowId> alsoRepaint) {
    Ui* ui = app.ports.ui;
    if (ui) ui->SetWaitCursor(true);
    const ViewChange change = step();
    ShowImageFault(app, change.fault);
    if (!ui) return change;
    ui->SetWaitCursor(false);
    if (change.drawn) ui->Repaint(WindowId::Map);
    if (change.acted) {
        for (WindowId w : alsoRepaint) ui->Repaint(w);
        // The scale bar measures the view: a zoom, or the map a move
        // switched to, changes what its step is worth.
        ui->Repaint(WindowId::Scale);
    }
    return change;
}

std::vector<MenuEntry> ZoomMenu(const Viewport& vp) {
    std::vector<MenuEntry> items = {{kCmdFullMap, "Full Map"}};
    for (const ZoomEntry& e : vp.zoomTable) items.push_back({e.command, e.label});
    return items;
}

void LayoutMapWindow(App& app, int areaWidth, int areaHeight) {
    const bool portrait = app.mapView.screen.portrait;
    int panels = (app.view.viewSpeedInfo ? 1 : 0) + (app.view.viewSpeedNavInfo ? 1 : 0);
    int width = areaWidth, height = areaHeight;
    if (portrait)
        height = areaHeight - kInfoPanelHeight * panels;
    else if (panels > 0)
        width = areaWidth - kInfoPanelColumn;
    ApplyViewSize(app, std::max(width, 0), std::max(height, 0));
}

void ApplyViewSize(App& app, int width, int height) {
    Viewport& vp = app.viewport;
    // A layout pass that leaves the window as it was (the window layer lays
    // out on every resize event, start-up lays out before and after the last
    // map is loaded) keeps the view it has: a full-screen render is not free.
    const bool resized = Resize(app.mapView, width, height, app.mapView.screen.portrait);
    const bool unchanged =
        !resized && vp.view.Width() == width && vp.view.Height() == height;
    if (!vp.HasImage() || unchanged) return;
    RunViewStep(app, [&app] { return RenderMapView(app.viewport, app.mapView); });
}

}  // namespace mw
