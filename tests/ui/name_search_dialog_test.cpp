// The "Name Search" dialog over the application core: the last file loads on
// opening, the edit is upper case, "F" filters on the worker and toggles
// back, "Map" stops a running filter, and the buttons reach the core.
#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

#include "app/app.h"
#include "app/name_commands.h"
#include "core/names/dbase_writer.h"
#include "support/text.h"
#include "testlib/fake_ui.h"
#include "testlib/temp_dir.h"
#include "ui/name_search_dialog.h"

using namespace mw;

class NameSearchDialogTest : public QObject {
    Q_OBJECT

    struct Fixture {
        mwtest::TempDir home, data;
        mwtest::FakeUi ui;
        App app;
        Fixture() {
            app.ports.ui = &ui;
            app.state.programFolder = home.Path();
            app.state.userHome = home.Path();
        }
        // A sorted gazetteer of `count` places, remembered as the last file.
        std::string Gazetteer(int count) {
            mwtest::DbfTable s;
            s.fields = mwtest::GazetteerFields(20);
            for (int i = 0; i < count; ++i)
                s.records.push_back({Format("Place %06d", i), i % 3 ? "PPL" : "MT", "",
                                     Format("%.4f", 50 + i * 1e-4), "10.5"});
            data.Write("demo.names", s.Bytes());
            data.Write("demo.types", "DATUM,WGS 84\nPPL\nMT\n");
            home.Write("LastNamesFile.ini", "Last Names File," + data.File("demo.names") + "\r\n");
            return data.File("demo.names");
        }
    };

    template <typename T>
    static T* Find(NameSearchDialog& d, const char* name) {
        T* w = d.findChild<T*>(name);
        if (!w) qFatal("no control %s", name);
        return w;
    }
    static void Click(NameSearchDialog& d, const char* button) {
        QTest::mouseClick(Find<QPushButton>(d, button), Qt::LeftButton);
    }
    static void Select(NameSearchDialog& d, int row) {
        auto* list = Find<QTreeView>(d, "nameList");
        list->setCurrentIndex(list->model()->index(row, 0));
    }
    static QString Cell(NameSearchDialog& d, int row, int column) {
        return d.Model()->index(row, column).data().toString();
    }

private slots:
    void editHoldsUpperCaseOnly() {
        Fixture f;
        NameSearchDialog d(f.app, nullptr);
        auto* edit = Find<QLineEdit>(d, "searchText");
        QTest::keyClicks(edit, "place ");
        QKeyEvent key(QEvent::KeyPress, Qt::Key_Odiaeresis, Qt::NoModifier, QString::fromUtf8("ö"));
        QApplication::sendEvent(edit, &key);
        QCOMPARE(edit->text(), QString("PLACE Ö"));
        QTest::keyClicks(edit, QString(60, 'x'));
        QCOMPARE(edit->text().size(), 50);
    }

    void filterTogglesAndInputsReturnToTheFullList() {
        Fixture f;
        f.Gazetteer(300);
        NameSearchDialog d(f.app, nullptr);
        QTest::keyClicks(Find<QLineEdit>(d, "searchText"), "place 0001");
        Find<QComboBox>(d, "codeList")->setCurrentIndex(2);  // MT
        Click(d, "buttonF");
        QTRY_VERIFY(!NameFilterRunning(f.app));
        QTRY_COMPARE(Find<QPushButton>(d, "buttonF")->text(), QString("F"));
        // 100..199 begin with the text; every third is MT.
        QCOMPARE(d.Model()->rowCount(), 33);
        QCOMPARE(Cell(d, 0, 0), QString("Place 000102"));
        QCOMPARE(d.windowTitle(), QString("(Filtered) demo.names"));
        Click(d, "buttonF");
        QCOMPARE(d.Model()->rowCount(), 300);

        // Changing an input of the filter returns to the full list.
        Click(d, "buttonF");
        QTRY_VERIFY(!NameFilterRunning(f.app));
        QTRY_COMPARE(d.Model()->rowCount(), 33);
        Find<QCheckBox>(d, "checkL")->setChecked(false);
        QCOMPARE(d.Model()->rowCount(), 300);
    }

    void mapStopsARunningFilter() {
        Fixture f;
        f.Gazetteer(400000);
        NameSearchDialog d(f.app, nullptr);
        Find<QCheckBox>(d, "checkL")->setChecked(false);
        QTest::keyClicks(Find<QLineEdit>(d, "searchText"), "NOWHERE");
        Click(d, "buttonF");
        if (!NameFilterRunning(f.app)) QSKIP("the filter ended before it could be stopped");
        QCOMPARE(Find<QPushButton>(d, "buttonMap")->text(), QString("Stop"));
        QVERIFY(!Find<QLineEdit>(d, "searchText")->isEnabled());
        Click(d, "buttonMap");
        QTRY_VERIFY(!NameFilterRunning(f.app));
        QTRY_COMPARE(Find<QPushButton>(d, "buttonMap")->text(), QString("Map"));
        QVERIFY(Find<QLineEdit>(d, "searchText")->isEnabled());
        if (f.app.names.stopped)
            QCOMPARE(d.windowTitle(), QString("(Stopped Filter) demo.names"));
        QVERIFY(f.ui.messages.empty());  // "Stop" is not "Map"
    }

    void opensTheLastFileAndButtonsActOnTheSelectedPlace() {
        Fixture f;
        f.Gazetteer(20);
        {
            NameSearchDialog d(f.app, nullptr);
            QCOMPARE(d.windowTitle(), QString("demo.names"));
            QCOMPARE(d.Model()->rowCount(), 20);
            QCOMPARE(Cell(d, 7, 1), QString("PPL"));
            QCOMPARE(Find<QComboBox>(d, "codeList")->count(), 3);  // "All Codes" and the two
            // "Wp" waits until waypoints are wired in; closing closes the file.
            QVERIFY(!Find<QPushButton>(d, "buttonWp")->isEnabled());
            d.reject();
            QVERIFY(f.app.names.file == nullptr);
        }
        std::vector<std::string> calls;
        f.app.names.actions.showOnMap = [&](double lat, double) {
            calls.push_back("map " + Format("%.4f", lat));
        };
        f.app.names.actions.createWaypoint = [&](double, double, const std::string& name) {
            calls.push_back("wp " + name);
        };
        NameSearchDialog d(f.app, nullptr);
        QVERIFY(Find<QPushButton>(d, "buttonWp")->isEnabled());
        Select(d, 4);
        Click(d, "buttonMap");
        Click(d, "buttonWp");
        Click(d, "buttonGt");
        auto* list = Find<QTreeView>(d, "nameList");
        emit list->doubleClicked(list->model()->index(5, 0));
        QCOMPARE(calls, (std::vector<std::string>{"map 50.0004", "wp PLACE 000004", "map 50.0005"}));
        QVERIFY(f.app.navigation.Active());
        QCOMPARE(QString::fromStdString(f.app.navigation.target->name), QString("Place 000004"));
    }
};

QTEST_MAIN(NameSearchDialogTest)
#include "name_search_dialog_test.moc"
