#include "ui/button_icon.h"

#include <QFont>
#include <QPainter>
#include <QPixmap>

namespace mw {

// Tool button images are drawn here rather than shipped: a short caption on
// a rounded plate, 16 logical pixels like the handheld's strip.
QIcon ButtonIcon(const std::string& label) {
    QPixmap pm(64, 64);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(40, 52, 70), 3));
    p.setBrush(QColor(236, 230, 206));
    p.drawRoundedRect(QRectF(3, 3, 58, 58), 10, 10);
    QFont f = p.font();
    f.setBold(true);
    f.setPixelSize(label.size() <= 1 ? 44 : label.size() == 2 ? 30 : 22);
    p.setFont(f);
    p.drawText(QRect(0, 0, 64, 64), Qt::AlignCenter, QString::fromStdString(label));
    return QIcon(pm);
}

}  // namespace mw
