#include "ui/alarm_popup.h"

#include <QKeyEvent>
#include <QPainter>

#include "app/alarm_actions.h"

namespace mw {

AlarmPopup::AlarmPopup(App& app, QWidget* anchor)
    : QWidget(anchor, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      app_(app),
      anchor_(anchor) {
    setObjectName("alarmPopup");
    setFocusPolicy(Qt::StrongFocus);
}

void AlarmPopup::Sync() {
    const AlarmPopupState& state = app_.alarms.popup;
    const RgbBitmap& bitmap = state.picture;
    if (!state.shown || bitmap.width <= 0 || bitmap.height <= 0 ||
        bitmap.pixels.size() < static_cast<std::size_t>(bitmap.width) * bitmap.height) {
        hide();
        picture_ = QImage();
        return;
    }
    QImage image(bitmap.width, bitmap.height, QImage::Format_RGB32);
    for (int y = 0; y < bitmap.height; ++y)
        std::copy_n(bitmap.pixels.data() + static_cast<std::size_t>(y) * bitmap.width,
                    bitmap.width, reinterpret_cast<std::uint32_t*>(image.scanLine(y)));
    picture_ = std::move(image);
    setFixedSize(bitmap.width, bitmap.height);
    const QPoint at(state.place.left, state.place.top);
    move(anchor_ ? anchor_->mapToGlobal(at) : at);
    show();
    raise();
    // Escape reaches the window that has the focus.
    activateWindow();
    setFocus();
    update();
}

void AlarmPopup::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(0, 0, picture_);
}

void AlarmPopup::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        EndProximityAlarm(app_);
        Sync();
        return;
    }
    QWidget::keyPressEvent(event);
}

void AlarmPopup::mousePressEvent(QMouseEvent*) {
    EndProximityAlarm(app_);
    Sync();
}

}  // namespace mw
