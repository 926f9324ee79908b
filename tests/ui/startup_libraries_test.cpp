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
        // The program lists what is loaded at the first frame itself: read
        // from outside, the work queued after that frame may already have
        // loaded more.
        env.insert("MW_TRACE_STARTUP", "libraries");

        QProcess program;
        program.setProcessEnvironment(env);
        program.setProcessChannelMode(QProcess::MergedChannels);
        program.start(MW_PROGRAM_PATH, {});
        QVERIFY(program.waitForStarted(30000));
        QByteArray trace;
        while (!trace.contains("shared objects loaded")) {
            if (!program.waitForReadyRead(60000)) break;
            trace += program.readAll();
        }
        program.terminate();
        QVERIFY(program.waitForFinished(30000));
        const qsizetype frame = trace.indexOf("first map frame painted");
        const qsizetype end = trace.indexOf("shared objects loaded");
        QVERIFY2(frame >= 0 && end > frame, trace.constData());
        // The window icon may load image plugins; it waits for the first
        // frame, or for a second should no frame come.
        const qsizetype icon = trace.indexOf("window icon");
        if (icon >= 0 && icon < frame) QSKIP("the first frame came after the icon's second");
        const QByteArray atFirstFrame = trace.mid(frame, end - frame);

        QVERIFY2(atFirstFrame.contains("libQt6Widgets"), atFirstFrame.constData());
        for (const char* later : {"libQt6Multimedia", "libgdal", "/imageformats/"})
            QVERIFY2(!atFirstFrame.contains(later), later);
    }
};

QTEST_MAIN(StartupLibrariesTest)
#include "startup_libraries_test.moc"
