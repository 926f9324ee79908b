// "View Satellites": the sky plot and the signal bars of every visible
// satellite, redrawn when a complete set of satellites arrives. The bar
// strip scrolls when it is taller than the window.
#pragma once

#include <QDialog>
#include <QTimer>

#include "app/app.h"
#include "view/satellite_view.h"

class QScrollBar;

namespace mw {

class SatellitesView;

class SatellitesDialog : public QDialog {
    Q_OBJECT
public:
    SatellitesDialog(App& app, QWidget* parent);
    ~SatellitesDialog() override;
    // What the view shows now.
    SatelliteViewInputs Inputs() const;
    QScrollBar* BarScroll() const { return scroll_; }
    // Takes a newly arrived set, if any; called by the timer.
    void Poll();

protected:
    void done(int result) override;

private:
    App& app_;
    unsigned setsAtOpening_ = 0;
    unsigned lastSets_ = 0;
    SatellitesView* view_;
    QScrollBar* scroll_;
    QTimer poll_;
};

}  // namespace mw
