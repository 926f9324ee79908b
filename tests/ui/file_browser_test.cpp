#include <QTreeWidget>
#include <QtTest>
#include <filesystem>

#include <sys/stat.h>

#include "testlib/temp_dir.h"
#include "ui/file_browser.h"
#include "ui/folder_picker.h"

using namespace mw;

namespace {

QStringList RowTexts(const FileBrowserDialog& d) {
    QStringList out;
    for (const FileRow& r : d.Model().Rows()) out << QString::fromStdString(r.name + "|" + r.type);
    return out;
}

bool WaitListed(const FileBrowserDialog& d) {
    return QTest::qWaitFor([&] { return !d.Listing(); }, 5000);
}

QTreeWidgetItem* Child(QTreeWidgetItem* parent, const QString& text) {
    for (int i = 0; i < parent->childCount(); ++i)
        if (parent->child(i)->text(0) == text) return parent->child(i);
    return nullptr;
}

}  // namespace

class FileBrowserTest : public QObject {
    Q_OBJECT

    mwtest::TempDir* dir_ = nullptr;

    std::string Path(const std::string& name) const { return dir_->File(name); }

private slots:
    void init() {
        dir_ = new mwtest::TempDir;
        namespace fs = std::filesystem;
        for (const char* f : {"maps", "maps/deep"}) fs::create_directory(Path(f));
        dir_->Write("bad\xFF.map", "x");
    }
    void cleanup() { delete dir_; }

    // The listing's order and names are the core's (file_list_test); here a
    // double tap goes into a folder and up, and an odd name still opens.
    void doubleTapsWalkTheFoldersAndOpenAnOddName() {
        FileBrowserDialog d(*FindBrowserMode("Open Map File", false), dir_->Path(), "");
        QVERIFY(WaitListed(d));
        d.DoubleTapRow(RowTexts(d).indexOf("maps|Folder"));
        QVERIFY(WaitListed(d));
        QCOMPARE(RowTexts(d), (QStringList{"Up One Level|", "deep|Folder"}));
        d.DoubleTapRow(0);
        QVERIFY(WaitListed(d));
        QCOMPARE(d.CurrentFolder(), dir_->Path());
        d.DoubleTapRow(RowTexts(d).indexOf("bad\xFF.map|map"));
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QCOMPARE(d.ChosenName(), std::string("bad\xFF.map"));
    }

    // A double tap in the folder picker must never run what it lands on.
    void pickerNeverStartsAProgram() {
        // A program that would leave a mark if anything ran it.
        std::string marker = Path("ran");
        for (const char* name : {"tool.exe", "tool.sh"}) {
            dir_->Write(name, "#!/bin/sh\ntouch '" + marker + "'\n");
            chmod(Path(name).c_str(), 0755);
        }
        FolderPicker picker(dir_->Path(), dir_->Path(), nullptr);
        picker.show();
        QTreeWidgetItem* home = picker.Tree()->topLevelItem(1);
        home->setExpanded(true);
        QTRY_VERIFY(Child(home, "tool.exe"));
        for (const char* name : {"tool.exe", "tool.sh"}) {
            QTreeWidgetItem* item = Child(home, name);
            QRect r = picker.Tree()->visualItemRect(item);
            QTest::mouseDClick(picker.Tree()->viewport(), Qt::LeftButton, {}, r.center());
            emit picker.Tree()->itemDoubleClicked(item, 0);
        }
        QTest::qWait(300);
        QVERIFY(!std::filesystem::exists(marker));
        QCOMPARE(picker.SharedPath(), dir_->Path());
        QVERIFY(picker.isVisible());
    }
};

QTEST_MAIN(FileBrowserTest)
#include "file_browser_test.moc"
