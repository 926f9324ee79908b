#include <unistd.h>
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QToolBar>
#include <QtTest>
#include <csignal>
#include <fstream>
#include <sstream>
#include <thread>

#include "app/app.h"
#include "app/commands.h"
#include "testlib/fake_ui.h"
#include "ui/main_window.h"
#include "ui/map_widget.h"
#include "ui/single_instance.h"
#include "ui/unix_signals.h"

using namespace mw;

namespace {

std::string ReadFile(const QString& path) {
    std::ifstream in(path.toStdString(), std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

int VisibleButtons(QToolBar* bar) {
    int n = 0;
    for (QAction* a : bar->actions())
        if (!a->isSeparator()) ++n;
    return n;
}

void CollectIds(const std::vector<MenuNode>& nodes, std::vector<const MenuNode*>& out) {
    for (const MenuNode& n : nodes) {
        if (n.kind == MenuNode::Kind::Submenu)
            CollectIds(n.children, out);
        else if (n.kind != MenuNode::Kind::Separator)
            out.push_back(&n);
    }
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void menusComeFromTheCommandTable() {
        QTemporaryDir home;
        App app;
        MainWindow w(app, home.path().toStdString(), "/home/u");
        w.show();
        w.Start();
        QStringList titles;
        for (QAction* a : w.menuBar()->actions()) titles << a->text();
        QCOMPARE(titles, (QStringList{"File", "View", "Map"}));
        std::vector<const MenuNode*> items;
        CollectIds(MenuBar(), items);
        for (const MenuNode* n : items) {
            QAction* a = w.findChild<QAction*>(QString("cmd%1").arg(n->id));
            QVERIFY2(a, qPrintable(QString("no action for %1").arg(n->id)));
            QCOMPARE(a->text().toStdString(), n->text);
        }
        // "Toolbar" is grey in landscape, where every button is on the bar.
        w.resize(800, 480);
        QTRY_VERIFY(!app.state.portrait);
        QVERIFY(!w.findChild<QAction*>(QString("cmd%1").arg(kCmdViewToolbar))->isEnabled());
        QMenu* recent = w.findChild<QMenu*>("recent");
        QVERIFY(recent);
        QCOMPARE(recent->actions().size(), 1);
        QCOMPARE(recent->actions()[0]->text(), QString("None"));
        QVERIFY(w.findChild<QMenu*>("zoom"));
        QCOMPARE(w.windowTitle(), QString("Mapwanderer"));
    }

    void togglesReachTheCoreAndTheViewFile() {
        QTemporaryDir home;
        App app;
        {
            MainWindow w(app, home.path().toStdString(), "/home/u");
            w.show();
            w.Start();
            // A menu item runs its command; its check mark follows the core.
            QAction* track = w.Action(kCmdViewTrack);
            QVERIFY(track->isChecked());
            track->trigger();
            QCOMPARE(app.view.viewTrack, 0);
            QVERIFY(!track->isChecked());
            w.Action(kCmdDragMap)->trigger();
            w.Action(kCmdScreenControl)->trigger();
            QVERIFY(!w.Action(kCmdDragMap)->isChecked());
            QVERIFY(w.Action(kCmdScreenControl)->isChecked());
            w.close();
            QVERIFY(w.ShutdownDone());
        }
        std::string text = ReadFile(home.filePath("mapwanderer2.ini"));
        QVERIFY(text.find("\r\nView Track,0\r\n") != std::string::npos);
        QVERIFY(text.ends_with("End End End\r\n"));
    }

    void portraitAndLandscapeToolBars() {
        QTemporaryDir home;
        App app;
        MainWindow w(app, home.path().toStdString(), "/home/u");
        w.resize(480, 640);
        w.show();
        w.Start();
        QVERIFY(app.state.portrait);
        QCOMPARE(VisibleButtons(w.CommandBar()), 4);
        QVERIFY(w.ToolPanel()->isVisible());
        QCOMPARE(VisibleButtons(w.ToolPanel()), 11);
        w.Action(kCmdViewToolbar)->trigger();
        QVERIFY(!w.ToolPanel()->isVisible());
        QCOMPARE(app.view.viewToolbar, 0);

        w.resize(900, 500);
        QTRY_VERIFY(!app.state.portrait);
        QCOMPARE(VisibleButtons(w.CommandBar()), 12);
        QVERIFY(!w.ToolPanel()->isVisible());
        QVERIFY(w.Action(kCmdViewToolbar)->isChecked());
        QVERIFY(!w.Action(kCmdViewToolbar)->isEnabled());
        // The map window fills the client area below the tool bars.
        QCOMPARE(w.Map()->width(), app.mapView.width);
        QCOMPARE(app.mapView.halfWidth, w.Map()->width() / 2);
    }

    void mapWindowShowsTheLogo() {
        QTemporaryDir home;
        App app;
        MainWindow w(app, home.path().toStdString(), "/home/u");
        w.show();
        w.Start();
        QImage img = w.Map()->grab().toImage();
        QVERIFY(!img.isNull());
        int coloured = 0;
        for (int y = 0; y < img.height(); y += 4)
            for (int x = 0; x < img.width(); x += 4)
                if (img.pixelColor(x, y) != QColor(Qt::white)) ++coloured;
        QVERIFY(coloured > 100);
        QCOMPARE(img.pixelColor(2, 2), QColor(Qt::white));
    }

    void secondStartReachesTheFirst() {
        QString name =
            QString("mwtest-%1-%2").arg(getpid()).arg(QRandomGenerator::global()->generate());
        SingleInstance first(name);
        QVERIFY(!first.AskRunningInstanceToRaise(200));  // nobody runs yet
        QVERIFY(first.Listen());
        QSignalSpy raised(&first, &SingleInstance::raiseRequested);
        // The second start runs its blocking request from another thread so
        // the first one's event loop can answer.
        bool answered = false;
        std::thread second([&] {
            SingleInstance client(name);
            answered = client.AskRunningInstanceToRaise(3000);
        });
        QTRY_COMPARE(raised.count(), 1);
        second.join();
        QVERIFY(answered);
    }

    void sigtermBecomesAnOrderlyClose() {
        UnixSignals unixSignals;
        QVERIFY(unixSignals.Install());
        QSignalSpy spy(&unixSignals, &UnixSignals::terminateRequested);
        ::raise(SIGTERM);
        QTRY_COMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toInt(), SIGTERM);
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
