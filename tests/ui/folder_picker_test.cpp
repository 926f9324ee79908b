// A double tap in the folder picker must never run what it lands on.
#include <QTreeWidget>
#include <QtTest>
#include <filesystem>

#include <sys/stat.h>

#include "testlib/temp_dir.h"
#include "ui/folder_picker.h"

using namespace mw;

namespace {

QTreeWidgetItem* Child(QTreeWidgetItem* parent, const QString& text) {
    for (int i = 0; i < parent->childCount(); ++i)
        if (parent->child(i)->text(0) == text) return parent->child(i);
    return nullptr;
}

}  // namespace

class FolderPickerTest : public QObject {
    Q_OBJECT

private slots:
    void pickerNeverStartsAProgram() {
        mwtest::TempDir dir;
        // A program that would leave a mark if anything ran it.
        const std::string marker = dir.File("ran");
        for (const char* name : {"tool.exe", "tool.sh"}) {
            dir.Write(name, "#!/bin/sh\ntouch '" + marker + "'\n");
            chmod(dir.File(name).c_str(), 0755);
        }
        FolderPicker picker(dir.Path(), dir.Path(), nullptr);
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
        QCOMPARE(picker.SharedPath(), dir.Path());
        QVERIFY(picker.isVisible());
    }
};

QTEST_MAIN(FolderPickerTest)
#include "folder_picker_test.moc"
