#include <QListWidget>
#include <QPushButton>
#include <QtTest>

#include "ui/map_dialogs.h"

using namespace mw;

class MapDialogsTest : public QObject {
    Q_OBJECT

private slots:
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
