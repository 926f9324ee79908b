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

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    App& app_;
};

}  // namespace mw
