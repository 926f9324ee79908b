// The "MapView" overview window: a small floating window with the whole map,
// the view centre marked, "<" and ">" to shrink and enlarge it in a strip
// below the picture (so they never cover its corners); a tap on the picture
// recentres the map. The core keeps its picture, size and position.
#pragma once

#include <QWidget>

#include "app/app.h"

class QPushButton;

namespace mw {

class OverviewWindow : public QWidget {
    Q_OBJECT
public:
    OverviewWindow(App& app, QWidget* parent);
    // Follows the open image and "MapView Size" (the size may change the
    // window's size), then repaints. Call after every view change.
    void Refresh();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void Step(bool larger);
    void FitToPicture();
    void Place();
    int pictureHeight_ = 0;
    // Where the window last placed itself: a move there is not the user's.
    QPoint placed_{-1, -1};
    App& app_;
    QPushButton* smaller_;
    QPushButton* larger_;
};

}  // namespace mw
