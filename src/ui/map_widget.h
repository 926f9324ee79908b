// The map window: shows the map view (or the start-up logo while no map is
// loaded) and takes taps.
#pragma once

#include <QWidget>

#include "app/app.h"

namespace mw {

class MapWidget : public QWidget {
    Q_OBJECT
public:
    MapWidget(App& app, QWidget* parent);

signals:
    // The view was painted: what measures it (the scale bar) follows.
    void painted();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    App& app_;
    bool dragging_ = false;
    QPoint dragNow_;
    int wheelAngle_ = 0;  // eighths of a degree not yet a whole notch
};

}  // namespace mw
