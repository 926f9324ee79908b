// Finger-sized controls at device-pixel ratios 1, 2 and 3. Qt reads its
// scale factor once per process, so the test runs itself once for each.
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QFontMetrics>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QtTest>
#include <cstdlib>

#include "ui/handheld_layout.h"

using namespace mw;

namespace {
constexpr char kRatioVariable[] = "MW_TEST_PIXEL_RATIO";
}

class FingerSizeTest : public QObject {
    Q_OBJECT

private slots:
    void sizeFollowsThePhysicalDensity() {
        // 8 mm: 31.5 px at 100 logical dpi (raised to the floor of 32), 50.4
        // at 160, 63 at 200; no or a bogus physical size: the floor.
        const std::pair<double, int> cases[] = {
            {100, 32}, {160, 50}, {200, 63}, {0, 32}, {5000, 32}};
        for (auto [dpi, pixels] : cases) QCOMPARE(FingerSizeFor(dpi), pixels);
    }

    void controlsUnderTheSheetAreFingerSized() {
        const qreal ratio = qEnvironmentVariable(kRatioVariable).toDouble();
        QCOMPARE(qApp->primaryScreen()->devicePixelRatio(), ratio);
        // Larger than any of these controls' own height, so only the sheet
        // can make them this tall.
        const int finger = 44;
        qApp->setStyleSheet(FingerSizedStyleSheet(finger, QFontMetrics(qApp->font()).height()));

        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        auto* bar = new QToolBar(&window);
        QAction* tool = bar->addAction("Zoom");
        auto* button = new QPushButton("OK", &window);
        auto* combo = new QComboBox(&window);
        combo->addItem("Deg.Min");
        auto* list = new QListWidget(&window);
        list->addItems({"Harbour", "Riverside"});
        auto* tree = new QTreeWidget(&window);
        auto* row = new QTreeWidgetItem(tree, QStringList{"WP001"});
        for (QWidget* w : std::initializer_list<QWidget*>{bar, button, combo, list, tree})
            layout->addWidget(w);
        window.resize(300, 500);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        QMenu menu;
        QAction* entry = menu.addAction("Load Map");
        menu.addAction("Exit");
        menu.ensurePolished();
        menu.adjustSize();

        const std::pair<const char*, int> measures[] = {
            {"tool button", bar->widgetForAction(tool)->height()},
            {"push button", button->height()},
            {"combo box", combo->height()},
            {"list row", list->visualItemRect(list->item(0)).height()},
            {"tree row", tree->visualItemRect(row).height()},
            {"menu entry", menu.actionGeometry(entry).height()},
        };
        for (auto [what, height] : measures)
            QVERIFY2(height >= finger,
                     qPrintable(QString("%1 at ratio %2: %3 px").arg(what).arg(ratio).arg(height)));
        qApp->setStyleSheet(QString());
    }
};

int main(int argc, char** argv) {
    if (!std::getenv(kRatioVariable)) {
        // The parent: one child process a ratio, each with its own Qt.
        int failures = 0;
        for (const char* ratio : {"1", "2", "3"}) {
            const pid_t child = fork();
            if (child == 0) {
                setenv(kRatioVariable, ratio, 1);
                setenv("QT_SCALE_FACTOR", ratio, 1);
                execv("/proc/self/exe", argv);
                _exit(127);
            }
            int status = 0;
            if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
                WEXITSTATUS(status) != 0)
                ++failures;
        }
        return failures == 0 ? 0 : 1;
    }
    QApplication app(argc, argv);
    FingerSizeTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "finger_size_test.moc"
