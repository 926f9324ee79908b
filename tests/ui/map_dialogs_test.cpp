#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "app/app.h"
#include "app/commands.h"
#include "app/map_commands.h"
#include "testlib/map_file_writer.h"
#include "ui/main_window.h"
#include "ui/map_dialogs.h"

using namespace mw;

namespace {

std::string WriteMap(const QTemporaryDir& dir, const std::string& name) {
    mwtest::WriteSheetMap(dir.path().toStdString(), name, 50, 0);
    return dir.filePath(QString::fromStdString(name)).toStdString();
}

QStringList ActionTexts(QMenu* menu) {
    QStringList out;
    for (QAction* a : menu->actions()) out << a->text();
    return out;
}

// Runs `fn` on the modal dialog once it is showing.
template <typename Fn>
void WhenModal(Fn fn) {
    QTimer::singleShot(0, [fn] {
        QTRY_VERIFY(QApplication::activeModalWidget() != nullptr);
        fn(QApplication::activeModalWidget());
    });
}

}  // namespace

class MapDialogsTest : public QObject {
    Q_OBJECT

private slots:
    void recentMapsMenuFollowsTheLoads() {
        QTemporaryDir home, maps;
        App app;
        MainWindow w(app, home.path().toStdString(), "/home/u");
        w.show();
        w.Start();
        QMenu* recent = w.findChild<QMenu*>("recent");
        QVERIFY(recent);
        QCOMPARE(ActionTexts(recent), QStringList{"None"});

        std::string a = WriteMap(maps, "a&b.map"), b = WriteMap(maps, "second.map");
        QVERIFY(LoadMapFile(app, a));
        QVERIFY(LoadMapFile(app, b));
        QCOMPARE(ActionTexts(recent), (QStringList{"second.map", "a&&b.map"}));
        QCOMPARE(recent->actions()[1]->data().toInt(), 40113);
        // Choosing an item loads that map and rebuilds the menu around it.
        recent->actions()[1]->trigger();
        QCOMPARE(app.map.mapFilePath, a);
        QTRY_COMPARE(ActionTexts(recent), (QStringList{"a&&b.map", "second.map"}));
        QVERIFY(w.Action(kCmdRecentMap0)->isEnabled());
    }

    void mapsFoundLoadsOnDoubleTapAndOnOk() {
        std::vector<int> chosen;
        MapsFoundDialog dialog(
            {"one.map", "two.map", "three.map"}, [&](int i) { chosen.push_back(i); }, nullptr);
        dialog.show();
        QListWidget* list = dialog.findChild<QListWidget*>("ctl1014");
        QVERIFY(list);
        QCOMPARE(list->count(), 3);
        list->setCurrentRow(1);
        emit list->itemDoubleClicked(list->item(1));
        QCOMPARE(chosen, std::vector<int>{1});
        QVERIFY(dialog.isVisible());  // a double tap leaves the list open
        list->setCurrentRow(2);
        dialog.findChild<QPushButton*>("ok")->click();
        QCOMPARE(chosen, (std::vector<int>{1, 2}));
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }

};

QTEST_MAIN(MapDialogsTest)
#include "map_dialogs_test.moc"
