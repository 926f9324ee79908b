#include "ui/program_style.h"

#include <QApplication>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QWidget>

namespace mw {

namespace {

// A double chevron, "»" or its turn downwards, in the text colour, at the
// sizes a tool or menu bar shows it.
QIcon ExtensionArrows(bool down, const QColor& colour) {
    QIcon icon;
    for (int size : {16, 24, 32}) {
        QPixmap pm(size, size);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(colour, size / 10.0 + 0.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        if (down) {
            p.translate(size, 0);
            p.rotate(90);
        }
        const double s = size;
        for (double x : {0.25 * s, 0.5 * s}) {
            const QPointF chevron[] = {{x, 0.3 * s}, {x + 0.2 * s, 0.5 * s}, {x, 0.7 * s}};
            p.drawPolyline(chevron, 3);
        }
        p.end();
        icon.addPixmap(pm);
    }
    return icon;
}

}  // namespace

QIcon ProgramStyle::standardIcon(StandardPixmap which, const QStyleOption* option,
                                 const QWidget* widget) const {
    if (which == SP_ToolBarHorizontalExtensionButton || which == SP_ToolBarVerticalExtensionButton) {
        const QPalette palette = widget ? widget->palette() : QApplication::palette();
        return ExtensionArrows(which == SP_ToolBarVerticalExtensionButton,
                               palette.color(QPalette::ButtonText));
    }
    return QProxyStyle::standardIcon(which, option, widget);
}

void UseProgramStyle(QApplication& app) {
    // The proxy takes the platform's style as its base, as the program had.
    app.setStyle(new ProgramStyle);
}

}  // namespace mw
