// The "Name Search" dialog over the application core: the last file loads on
// opening and the buttons act on the selected place.
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

private slots:
    void opensTheLastFileAndButtonsActOnTheSelectedPlace() {
        Fixture f;
        f.Gazetteer(20);
        {
            NameSearchDialog d(f.app, nullptr);
            QCOMPARE(d.windowTitle(), QString("demo.names"));
            QCOMPARE(d.Model()->rowCount(), 20);
            d.reject();  // closing closes the file
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
