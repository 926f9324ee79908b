#include "ui/handheld_layout.h"

#include <QApplication>
#include <QDialog>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>
#include <QString>
#include <algorithm>
#include <cmath>

namespace mw {

namespace {

const QScreen* ScreenOf(const QWidget* widget) {
    if (widget && widget->screen()) return widget->screen();
    return QGuiApplication::primaryScreen();
}

// Densities outside this range come from screens that report no or a
// made-up physical size.
constexpr double kLowestDensity = 40;
constexpr double kHighestDensity = 800;
constexpr double kMillimetresPerInch = 25.4;

}  // namespace

int FingerSizeFor(double logicalDotsPerInch) {
    if (!(logicalDotsPerInch >= kLowestDensity && logicalDotsPerInch <= kHighestDensity))
        return kFingerSize;
    const double pixels = kFingerMillimetres / kMillimetresPerInch * logicalDotsPerInch;
    return std::max(kFingerSize, static_cast<int>(std::lround(pixels)));
}

int FingerSize(const QWidget* widget) {
    const QScreen* screen = ScreenOf(widget);
    return screen ? FingerSizeFor(screen->physicalDotsPerInchY()) : kFingerSize;
}

bool IsSmallScreen(const QWidget* widget) {
    const QScreen* screen = ScreenOf(widget);
    if (!screen) return false;
    QSize size = screen->availableGeometry().size();
    return size.width() < 600 || size.height() < 480;
}

bool WantsFingerSizedControls(const QScreen* screen) {
    if (!screen) return false;
    const QSize size = screen->availableGeometry().size();
    return size.width() < 600 || size.height() < 480 || screen->devicePixelRatio() >= 2;
}

QString FingerSizedStyleSheet(int finger, int fontHeight) {
    // Menu entries take no minimum height: their padding makes the room.
    const int pad = std::max(2, (finger - fontHeight + 1) / 2);
    return QString(
               "QPushButton, QToolButton, QComboBox, QLineEdit, QAbstractSpinBox,"
               " QCheckBox, QRadioButton { min-height: %1px; }\n"
               "QToolBar QToolButton { min-width: %1px; }\n"
               "QAbstractItemView::item { min-height: %1px; }\n"
               "QMenuBar::item { padding: %2px 8px; }\n"
               // A long menu on a short screen scrolls instead of opening
               // more columns beyond the screen's edge.
               "QMenu { menu-scrollable: 1; }\n"
               "QMenu::item { padding: %2px 24px %2px 24px; }\n"
               "QMenu::item:selected { background: palette(highlight);"
               " color: palette(highlighted-text); }\n"
               "QMenu::item:disabled { color: palette(mid); }\n")
        .arg(finger)
        .arg(pad);
}

void UseFingerSizedControls(QApplication& app) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!WantsFingerSizedControls(screen)) return;
    const int finger = FingerSizeFor(screen->physicalDotsPerInchY());
    app.setStyleSheet(app.styleSheet() +
                      FingerSizedStyleSheet(finger, QFontMetrics(QApplication::font()).height()));
}

void MakeFingerSized(QWidget* control, bool small) {
    if (small) control->setMinimumHeight(FingerSize(control));
}

void FitDialogToScreen(QDialog* dialog) {
    if (!IsSmallScreen(dialog)) return;
    const QScreen* screen = ScreenOf(dialog);
    if (screen) dialog->setGeometry(screen->availableGeometry());
}

}  // namespace mw
