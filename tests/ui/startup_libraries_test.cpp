// What the real program has loaded when its first map frame is painted:
// the Qt libraries it needs, and none of what only later work needs (Qt
// Multimedia for sounds, GDAL for the map import, the image format plugins
// that Qt loads all at once for the first image file of unnamed format).
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class StartupLibrariesTest : public QObject {
    Q_OBJECT
private slots:
    void firstFrameLoadsOnlyWhatItShows() {
        if (!QFile::exists("/proc/self/maps")) QSKIP("no /proc here");
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        for (const char* sub : {"home/.config", "tmp", "run"}) QVERIFY(QDir(dir.path()).mkpath(sub));
        QVERIFY(QFile::setPermissions(dir.filePath("run"), QFileDevice::ReadOwner |
                                                               QFileDevice::WriteOwner |
                                                               QFileDevice::ExeOwner));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", dir.filePath("home"));
        env.insert("XDG_CONFIG_HOME", dir.filePath("home/.config"));
        env.insert("XDG_RUNTIME_DIR", dir.filePath("run"));
        env.insert("TMPDIR", dir.filePath("tmp"));
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("MW_TRACE_STARTUP", "1");

        QProcess program;
        program.setProcessEnvironment(env);
        program.setProcessChannelMode(QProcess::MergedChannels);
        program.start(MW_PROGRAM_PATH, {});
        QVERIFY(program.waitForStarted(30000));
        QByteArray trace;
        while (!trace.contains("first map frame painted")) {
            if (!program.waitForReadyRead(60000)) break;
            trace += program.readAll();
        }
        QVERIFY2(trace.contains("first map frame painted"), trace.constData());
        QFile mapsFile(QString("/proc/%1/maps").arg(program.processId()));
        QVERIFY(mapsFile.open(QIODevice::ReadOnly));
        const QByteArray maps = mapsFile.readAll();
        program.terminate();
        QVERIFY(program.waitForFinished(30000));

        QVERIFY(maps.contains("libQt6Widgets"));
        for (const char* later : {"libQt6Multimedia", "libgdal", "/imageformats/"})
            QVERIFY2(!maps.contains(later), later);
    }
};

QTEST_MAIN(StartupLibrariesTest)
#include "startup_libraries_test.moc"
