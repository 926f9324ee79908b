// The floating scale bar. A tap gives it a caption ("Drag Scale") to drag it
// by; the next tap fixes it where it is. Its place is kept in the view
// settings.
#pragma once

#include <QWidget>

#include "app/app.h"
#include "view/scale_bar.h"

namespace mw {

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

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void ApplyFlags();
    App& app_;
    ScaleBar bar_;
    bool caption_ = false;
};

}  // namespace mw
