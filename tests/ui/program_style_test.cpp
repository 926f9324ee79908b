// The program's style: the main window's bars read no image file (which
// would load every image format plugin before the first frame), and their
// overflow buttons still show an arrow.
#include <QApplication>
#include <QFile>
#include <QMainWindow>
#include <QMenuBar>
#include <QTest>
#include <QToolBar>

#include "ui/program_style.h"

namespace {

int ImagePluginsLoaded() {
    QFile maps("/proc/self/maps");
    if (!maps.open(QIODevice::ReadOnly)) return -1;
    return static_cast<int>(maps.readAll().count("/imageformats/"));
}

}  // namespace

class ProgramStyleTest : public QObject {
    Q_OBJECT
private slots:
    // First in this program: nothing else has read an image yet.
    void barsLoadNoImagePlugins() {
        if (ImagePluginsLoaded() < 0) QSKIP("no /proc/self/maps");
        QCOMPARE(ImagePluginsLoaded(), 0);
        mw::UseProgramStyle(*qApp);
        QMainWindow window;
        window.menuBar()->addMenu("File")->addAction("Open");
        auto* bar = window.addToolBar("Command Bar");
        bar->addAction("Zoom");
        window.resize(200, 200);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(ImagePluginsLoaded(), 0);
    }

    void extensionArrowsAreDrawn() {
        mw::ProgramStyle style;
        for (auto which : {QStyle::SP_ToolBarHorizontalExtensionButton,
                           QStyle::SP_ToolBarVerticalExtensionButton}) {
            const QIcon icon = style.standardIcon(which);
            QVERIFY(!icon.isNull());
            const QImage image = icon.pixmap(16, 16).toImage();
            int inked = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x) inked += qAlpha(image.pixel(x, y)) > 0;
            QVERIFY2(inked > 10, "the arrow is blank");
        }
        // Other images stay the platform's.
        QCOMPARE(style.standardIcon(QStyle::SP_DialogOkButton).cacheKey() != 0, true);
    }
};

QTEST_MAIN(ProgramStyleTest)
#include "program_style_test.moc"
