#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>
#include <filesystem>

#include <sys/stat.h>

#include "app/app.h"
#include "testlib/fake_ui.h"
#include "testlib/temp_dir.h"
#include "ui/file_browser.h"
#include "ui/file_requests.h"
#include "ui/folder_picker.h"

using namespace mw;

namespace {

// Runs `fn` on the modal dialog once it is showing.
template <typename Fn>
void WhenModal(Fn fn) {
    QTimer::singleShot(0, [fn] {
        QTRY_VERIFY(QApplication::activeModalWidget() != nullptr);
        fn(QApplication::activeModalWidget());
    });
}

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
        for (const char* f : {"maps", "Archive", "maps/deep"}) fs::create_directory(Path(f));
        for (const char* f : {"zeta.map", "Alpha.MAP", "notes.txt", "beta.map", "walk.wpt",
                              "line\nbreak.map", "bad\xFF.map"})
            dir_->Write(f, "x");
    }
    void cleanup() { delete dir_; }

    void listGroupsAndSortsThenGoesUpToTheRoot() {
        FileBrowserDialog d(*FindBrowserMode("Open Map File", false), dir_->Path(), "");
        QVERIFY(WaitListed(d));
        QCOMPARE(RowTexts(d), (QStringList{"Up One Level|", "Archive|Folder", "maps|Folder",
                                           "Alpha.MAP|map", "bad\xFF.map|map", "beta.map|map",
                                           "line\nbreak.map|map", "zeta.map|map"}));
        QCOMPARE(d.findChild<QLabel*>("ctl1121")->text(), QString::fromStdString(dir_->Path()));

        // Into "maps", then up again, then up until the root.
        d.DoubleTapRow(2);
        QVERIFY(WaitListed(d));
        QCOMPARE(d.CurrentFolder(), Path("maps"));
        QCOMPARE(RowTexts(d), (QStringList{"Up One Level|", "deep|Folder"}));
        for (int guard = 0; guard < 64 && d.CurrentFolder() != "/"; ++guard) {
            d.DoubleTapRow(0);
            QVERIFY(WaitListed(d));
        }
        QCOMPARE(d.CurrentFolder(), std::string("/"));
        QVERIFY(!RowTexts(d).contains("Up One Level|"));
    }

    void oddNamesShowEscapedAndStillOpen() {
        FileBrowserDialog d(*FindBrowserMode("Open Map File", false), dir_->Path(), "");
        QVERIFY(WaitListed(d));
        int row = RowTexts(d).indexOf("line\nbreak.map|map");
        QVERIFY(row > 0);
        QCOMPARE(d.Model().data(d.Model().index(row, 0), Qt::DisplayRole).toString(),
                 QString("line\\x0Abreak.map"));
        d.TapRow(row);
        QCOMPARE(d.findChild<QLineEdit*>("ctl1114")->text(), QString("line\\x0Abreak.map"));
        d.DoubleTapRow(RowTexts(d).indexOf("bad\xFF.map|map"));
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QCOMPARE(d.ChosenName(), std::string("bad\xFF.map"));
    }

    // The save request proposes the name and adds the extension (its rule
    // is the core's, file_requests_test).
    void saveProposesTheNameAndAddsTheExtension() {
        mwtest::FakeUi ui;
        App app;
        app.ports.ui = &ui;
        app.settings.dataPath = dir_->Path();
        std::string proposed = Path("WpLog 2026-12-06 14-03-22.wpt");
        WhenModal([](QWidget* w) {
            auto* browser = qobject_cast<FileBrowserDialog*>(w);
            QVERIFY(browser);
            auto* name = browser->findChild<QLineEdit*>("ctl1114");
            QCOMPARE(name->text(), QString("WpLog 2026-12-06 14-03-22.wpt"));
            name->setText("walk2");
            browser->findChild<QPushButton*>("ok")->click();
        });
        auto result = ShowSaveDialog(nullptr, app, "Save Waypoint File", proposed, {});
        QCOMPARE(result.value_or(""), Path("walk2.wpt"));
    }

    void aSaveNameWithASlashIsRefused() {
        FileBrowserDialog d(*FindBrowserMode("Save Track File", true), dir_->Path(), "t.plt");
        d.show();
        d.findChild<QLineEdit*>("ctl1114")->setText("../t.plt");
        WhenModal([](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            QVERIFY(box);
            QCOMPARE(box->text(), QString(kSlashInNameText));
            box->accept();
        });
        d.accept();
        QVERIFY(d.isVisible());
        QVERIFY(d.ChosenName().empty());
        d.reject();
    }

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
