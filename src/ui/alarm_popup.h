// The proximity alarm's picture: a frameless window over the main window
// showing the waypoint's picture at its own size where the core placed it.
// A tap on it or Escape ends the alarm early.
#pragma once

#include <QImage>
#include <QWidget>

namespace mw {

struct App;

class AlarmPopup : public QWidget {
    Q_OBJECT
public:
    // `anchor` is the window whose client pixels the core's placement counts
    // in (the main window).
    AlarmPopup(App& app, QWidget* anchor);

    // Shows, moves or hides the window as the core's alarm state says. The
    // main window calls it when the core shows or hides WindowId::AlarmPopup
    // or asks for its repaint.
    void Sync();

    const QImage& Picture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    App& app_;
    QWidget* anchor_;
    QImage picture_;
};

}  // namespace mw
