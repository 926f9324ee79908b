#include "ui/handheld_layout.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>
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

void SetFrameGeometry(QWidget* window, const QRect& outer) {
    // Before it is shown a window has no frame yet.
    const QRect frame = window->frameGeometry(), inner = window->geometry();
    const int left = inner.left() - frame.left(), right = frame.right() - inner.right();
    const int top = inner.top() - frame.top(), bottom = frame.bottom() - inner.bottom();
    window->setGeometry(outer.adjusted(left, top, -right, -bottom));
}

void FitDialogToScreen(QDialog* dialog) {
    if (!IsSmallScreen(dialog)) return;
    const QScreen* screen = ScreenOf(dialog);
    if (!screen) return;
    // Maximised rather than given the screen's rectangle: the window
    // manager's title bar and frame then stay on the screen too.
    SetFrameGeometry(dialog, screen->availableGeometry());
    dialog->setWindowState(dialog->windowState() | Qt::WindowMaximized);
}

void MakeNarrow(QPushButton* button, bool small) {
    if (!small) return;
    const int text = button->fontMetrics().horizontalAdvance(button->text());
    // The frame and padding around the text, as the styles draw them.
    constexpr int kPadding = 14;
    button->setMinimumWidth(std::max(FingerSize(button), text + kPadding));
}

void FitFileDialogToScreen(QFileDialog* dialog) {
    if (!IsSmallScreen(dialog->parentWidget() ? dialog->parentWidget() : dialog)) return;
    // A native window cannot be laid out from here.
    dialog->setOption(QFileDialog::DontUseNativeDialog, true);
    // The places list, the history arrows and the view switches give way
    // to the file list; the folder list and "up" still move between folders.
    for (const char* name : {"sidebar", "backButton", "forwardButton", "listModeButton",
                             "detailModeButton", "lookInLabel"})
        if (auto* w = dialog->findChild<QWidget*>(name)) w->hide();
    auto* grid = qobject_cast<QGridLayout*>(dialog->layout());
    auto* nameLabel = dialog->findChild<QWidget*>("fileNameLabel");
    auto* nameEdit = dialog->findChild<QLineEdit*>("fileNameEdit");
    auto* typeLabel = dialog->findChild<QWidget*>("fileTypeLabel");
    auto* typeCombo = dialog->findChild<QWidget*>("fileTypeCombo");
    auto* buttons = dialog->findChild<QDialogButtonBox*>("buttonBox");
    if (grid && nameLabel && nameEdit && typeLabel && typeCombo && buttons) {
        // The labels' column goes: the name field says what it wants in
        // its placeholder, the type list shows its type.
        nameLabel->hide();
        typeLabel->hide();
        nameEdit->setPlaceholderText(QFileDialog::tr("File name"));
        // The top row (folder list and buttons) across the whole width.
        for (int i = 0; i < grid->count(); ++i) {
            int row, column, rows, columns;
            grid->getItemPosition(i, &row, &column, &rows, &columns);
            if (row == 0 && grid->itemAt(i)->layout()) {
                QLayoutItem* top = grid->takeAt(i);
                grid->addItem(top, 0, 0, 1, 3);
                break;
            }
        }
        for (QWidget* w : std::initializer_list<QWidget*>{nameEdit, typeCombo, buttons})
            grid->removeWidget(w);
        buttons->setOrientation(Qt::Horizontal);
        grid->addWidget(nameEdit, 2, 0, 1, 3);
        grid->addWidget(typeCombo, 3, 0, 1, 3);
        grid->addWidget(buttons, 4, 0, 1, 3);
        grid->setColumnMinimumWidth(0, 0);
    }
    if (auto* combo = dialog->findChild<QComboBox*>("lookInCombo")) combo->setMinimumWidth(0);
    FitDialogToScreen(dialog);
}

}  // namespace mw
