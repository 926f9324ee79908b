// The floating scale bar. A tap gives it a caption ("Drag Scale") to drag it
// by; the next tap fixes it where it is. Its place is kept in the view
// settings.
#pragma once

#include <QWidget>

#include "app/app.h"
#include "app/window_placement.h"
#include "view/scale_bar.h"

namespace mw {

// The map window's rectangle and the free area of its screen, in screen
// pixels, for placing the floating windows of `main` (false when `main`
// has no map window).
bool MapAreaOnScreen(const QWidget* main, ScreenRect* area, ScreenRect* screen);

// Moves a floating window to where it belongs: its corner of the map area
// while the stored position is the untouched default, else the stored
// position pulled onto the screen. Returns the position chosen.
QPoint PlaceFloating(QWidget* window, const QWidget* main, int storedX, int storedY,
                     MapCorner corner);

class ScaleBarWindow : public QWidget {
    Q_OBJECT
public:
    ScaleBarWindow(App& app, QWidget* parent);
    // Chooses the step for the current map, zoom and unit, sizes and places
    // the window, repaints. It runs by itself when the map window has been
    // painted with a view the bar no longer matches, and a repaint of the
    // scale window works the bar out anew too.
    void Refresh();
    // Refresh when the bar for the view now differs from the one shown.
    void Follow();
    bool CaptionShown() const { return caption_; }
    const ScaleBar& Bar() const { return bar_; }
    // Without a map there is no bar to show: the window stays hidden while
    // "Scale" is on, and shows when a map is loaded.
    void setVisible(bool visible) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void ApplyFlags();
    void Place();
    App& app_;
    ScaleBar bar_;
    bool caption_ = false;
};

}  // namespace mw
