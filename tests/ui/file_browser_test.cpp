// The own browser's keyboard: what is highlighted is what opens.
#include <QLineEdit>
#include <QTreeView>
#include <QtTest>
#include <filesystem>

#include "browse/browser_modes.h"
#include "testlib/temp_dir.h"
#include "ui/file_browser.h"

using namespace mw;

namespace {

int RowOf(const FileBrowserDialog& d, const std::string& name) {
    const auto& rows = d.Model().Rows();
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (rows[i].name == name) return static_cast<int>(i);
    return -1;
}

}  // namespace

class FileBrowserTest : public QObject {
    Q_OBJECT

private slots:
    void enterOpensTheHighlightedRow() {
        mwtest::TempDir dir;
        for (const char* name : {"track_0003.plt", "track_0010.plt", "track_2000.plt"})
            dir.Write(name, "x");
        std::filesystem::create_directories(dir.File("older"));
        dir.Write("older/track_0001.plt", "x");
        FileBrowserDialog d(*FindBrowserMode("Load Track File", false), dir.Path(), "");
        d.show();
        QTRY_VERIFY(!d.Listing());
        auto* list = d.findChild<QTreeView*>("ctl1112");
        auto* name = d.findChild<QLineEdit*>("ctl1114");
        QRect r = list->visualRect(list->model()->index(RowOf(d, "track_0003.plt"), 0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
        QCOMPARE(name->text(), QString("track_0003.plt"));

        // The keys move the highlight, and the name follows it.
        QTest::keyClick(list, Qt::Key_End);
        QCOMPARE(name->text(), QString("track_2000.plt"));
        QTest::keyClick(list, Qt::Key_Home);  // "Up One Level": no file name
        QCOMPARE(name->text(), QString());
        QTest::keyClick(list, Qt::Key_Down);  // the folder "older"
        QTest::keyClick(list, Qt::Key_Return);
        // Enter on a folder opens it, and the dialog stays.
        QTRY_COMPARE(d.CurrentFolder(), dir.File("older"));
        QTRY_VERIFY(!d.Listing());
        QVERIFY(d.isVisible());
        QTest::keyClick(list, Qt::Key_Home);
        QTest::keyClick(list, Qt::Key_Return);  // up again
        QTRY_COMPARE(d.CurrentFolder(), dir.Path());
        QTRY_VERIFY(!d.Listing());

        r = list->visualRect(list->model()->index(RowOf(d, "track_0003.plt"), 0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
        QTest::keyClick(list, Qt::Key_End);
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QCOMPARE(d.ChosenName(), std::string("track_2000.plt"));
    }
};

QTEST_MAIN(FileBrowserTest)
#include "file_browser_test.moc"
