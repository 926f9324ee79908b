// A double tap in the folder picker must never run what it lands on.
#include <QLineEdit>
#include <QPushButton>
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

    // The picker opens at the folder it is given, expanded and selected; a
    // folder that is gone opens its deepest existing parent and still
    // returns the text it was given.
    void opensAtTheFolderItIsGiven() {
        mwtest::TempDir dir;
        std::filesystem::create_directories(dir.File("a/b/c"));
        for (const char* home : {"", "HOME"}) {
            std::string userHome = *home ? dir.Path() : std::string();
            FolderPicker picker(dir.File("a/b"), userHome);
            picker.show();
            QTRY_VERIFY(!picker.Opening());
            QTreeWidgetItem* at = picker.Tree()->currentItem();
            QVERIFY(at);
            QCOMPARE(at->text(0), QString("b"));
            QCOMPARE(at->parent()->text(0), QString("a"));
            QVERIFY(at->isExpanded());
            QTRY_VERIFY(Child(at, "c"));
            QCOMPARE(picker.SharedPath(), dir.File("a/b"));
        }
        FolderPicker picker(dir.File("a/gone"), "");
        QTRY_VERIFY(!picker.Opening());
        QVERIFY(picker.Tree()->currentItem());
        QCOMPARE(picker.Tree()->currentItem()->text(0), QString("a"));
        QCOMPARE(picker.SharedPath(), dir.File("a/gone"));
    }

    // A single tap on a folder chooses it.
    void aTappedFolderIsChosen() {
        mwtest::TempDir dir;
        std::filesystem::create_directories(dir.File("maps"));
        FolderPicker picker(dir.Path(), dir.Path());
        picker.show();
        QTRY_VERIFY(!picker.Opening());
        QTRY_VERIFY(picker.Tree()->currentItem());
        QTreeWidgetItem* maps = nullptr;
        QTRY_VERIFY((maps = Child(picker.Tree()->currentItem(), "maps")));
        QRect r = picker.Tree()->visualItemRect(maps);
        QTest::mouseClick(picker.Tree()->viewport(), Qt::LeftButton, {}, r.center());
        QCOMPARE(picker.PathField()->text(), QString::fromStdString(dir.File("maps")));
        picker.findChild<QPushButton*>("ok")->click();
        QCOMPARE(picker.result(), int(QDialog::Accepted));
        QCOMPARE(picker.SharedPath(), dir.File("maps"));
    }

    // A typed path is chosen when it is a folder; a file or a missing path
    // keeps the picker open and chooses nothing.
    void aTypedFolderIsChosen() {
        mwtest::TempDir dir;
        std::filesystem::create_directories(dir.File("maps/north"));
        dir.Write("maps/a.map", "x");
        struct Case {
            std::string typed;
            bool taken;
        };
        const Case cases[] = {{dir.File("maps/a.map"), false},
                              {dir.File("missing"), false},
                              {dir.File("maps/north") + "/", true}};
        for (const Case& c : cases) {
            FolderPicker picker(dir.Path(), "");
            picker.show();
            QTRY_VERIFY(!picker.Opening());
            picker.PathField()->clear();
            QTest::keyClicks(picker.PathField(), QString::fromStdString(c.typed));
            picker.findChild<QPushButton*>("ok")->click();
            QVERIFY2((picker.result() == QDialog::Accepted) == c.taken, c.typed.c_str());
            QCOMPARE(picker.SharedPath(), c.taken ? dir.File("maps/north") : dir.Path());
            QCOMPARE(picker.isVisible(), !c.taken);
        }
    }
};

QTEST_MAIN(FolderPickerTest)
#include "folder_picker_test.moc"
