#include "ui/handheld_layout.h"

#include <QDialog>
#include <QGuiApplication>
#include <QScreen>

namespace mw {

namespace {

const QScreen* ScreenOf(const QWidget* widget) {
    if (widget && widget->screen()) return widget->screen();
    return QGuiApplication::primaryScreen();
}

}  // namespace

bool IsSmallScreen(const QWidget* widget) {
    const QScreen* screen = ScreenOf(widget);
    if (!screen) return false;
    QSize size = screen->availableGeometry().size();
    return size.width() < 600 || size.height() < 480;
}

void MakeFingerSized(QWidget* control, bool small) {
    if (small) control->setMinimumHeight(kFingerSize);
}

void FitDialogToScreen(QDialog* dialog) {
    if (!IsSmallScreen(dialog)) return;
    const QScreen* screen = ScreenOf(dialog);
    if (screen) dialog->setGeometry(screen->availableGeometry());
}

}  // namespace mw
