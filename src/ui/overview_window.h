// The "MapView" overview window: a small floating window with the whole map,
// the view centre marked, "<" and ">" to shrink and enlarge it; a tap
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

private:
    void Step(bool larger);
    void FitToPicture();
    App& app_;
    QPushButton* smaller_;
    QPushButton* larger_;
};

}  // namespace mw
