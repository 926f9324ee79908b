// The sound port and its module: the audio libraries are not loaded until a
// sound file plays, the module found by the program's own lookup plays it,
// and without the module sound files are refused (so warnings beep) with
// one note on standard error, while beeps keep their queue.
#include <unistd.h>

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <cstdint>
#include <cstdio>

#include "ui/qt_sound.h"

using mw::QtSound;

namespace {

// A mono 16-bit PCM WAV file of `ms` milliseconds of silence.
bool WriteWav(const QString& path, int ms) {
    const std::uint32_t rate = 8000, bytes = rate * 2 * static_cast<std::uint32_t>(ms) / 1000;
    QByteArray out;
    auto u32 = [&](std::uint32_t v) { for (int i = 0; i < 4; ++i) out.append(char(v >> (8 * i))); };
    auto u16 = [&](std::uint16_t v) { out.append(char(v)); out.append(char(v >> 8)); };
    out.append("RIFF");
    u32(36 + bytes);
    out.append("WAVEfmt ");
    u32(16);
    u16(1);         // PCM
    u16(1);         // mono
    u32(rate);
    u32(rate * 2);  // bytes per second
    u16(2);         // block size
    u16(16);        // bits
    out.append("data");
    u32(bytes);
    out.append(QByteArray(static_cast<int>(bytes), '\0'));
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(out) == out.size();
}

// Standard error of the test program into a file while it lives.
class StderrCapture {
public:
    explicit StderrCapture(const QString& path) : path_(path) {
        std::fflush(stderr);
        saved_ = dup(2);
        std::FILE* f = std::fopen(QFile::encodeName(path).constData(), "w");
        dup2(fileno(f), 2);
        std::fclose(f);
    }
    ~StderrCapture() { Restore(); }
    QString Text() {
        Restore();
        QFile f(path_);
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }

private:
    void Restore() {
        if (saved_ < 0) return;
        std::fflush(stderr);
        dup2(saved_, 2);
        close(saved_);
        saved_ = -1;
    }
    QString path_;
    int saved_ = -1;
};

}  // namespace

class QtSoundTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        wav_ = dir_.filePath("tone.wav");
        QVERIFY(WriteWav(wav_, 100));
        QFile junk(dir_.filePath("junk.wav"));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write("not a sound file at all");
    }

    // The program's own lookup finds the built module; nothing is loaded
    // before the first sound file, a beep needs none.
    void moduleLoadsOnTheFirstSoundFile() {
        QtSound sound;
        QVERIFY(!sound.ModuleLoaded());
        sound.Beep();
        QVERIFY(!sound.ModuleLoaded());
        QVERIFY(!sound.PlayOnce(dir_.filePath("junk.wav").toStdString()));
        QVERIFY(sound.PlayOnce(wav_.toStdString()));
        QVERIFY(sound.ModuleLoaded());
        QCOMPARE(sound.QueuedCount(), 2);
        QVERIFY(sound.PlayLooping(wav_.toStdString()));
        QVERIFY(sound.Looping());
        sound.Stop();
        QVERIFY(!sound.Looping());
        // The queue drains by the files' own lengths, device or none.
        QTRY_COMPARE_WITH_TIMEOUT(sound.QueuedCount(), 0, 10000);
    }

    // Without the module the program goes on: files are refused (the
    // caller beeps instead), beeps still queue, and the note comes once.
    void missingModuleRefusesFilesOnce() {
        StderrCapture capture(dir_.filePath("stderr.txt"));
        QtSound sound(nullptr, dir_.filePath("no-such-module.so"));
        QVERIFY(!sound.PlayOnce(wav_.toStdString()));
        QVERIFY(sound.ModuleMissing());
        QVERIFY(!sound.PlayLooping(wav_.toStdString()));
        QVERIFY(!sound.Looping());
        sound.Stop();
        QVERIFY(!sound.PlayOnce(wav_.toStdString()));
        sound.Beep();
        QCOMPARE(sound.QueuedCount(), 1);
        const QString text = capture.Text();
        QCOMPARE(text.count("sound is unavailable"), 1);
    }

    // The program itself carries no audio or raster library: those come
    // with the modules, on first use.
    void programLinksNoModuleLibraries() {
        const QString readelf = QStandardPaths::findExecutable("readelf");
        if (readelf.isEmpty()) QSKIP("readelf is not installed");
        QProcess p;
        p.start(readelf, {"-d", MW_PROGRAM_PATH});
        QVERIFY(p.waitForFinished(30000));
        const QString needed = QString::fromUtf8(p.readAllStandardOutput());
        QVERIFY2(needed.contains("libQt6Widgets"), qPrintable(needed));
        QVERIFY2(!needed.contains("Multimedia"), qPrintable(needed));
        QVERIFY2(!needed.contains("libgdal"), qPrintable(needed));
    }

private:
    QTemporaryDir dir_;
    QString wav_;
};

QTEST_MAIN(QtSoundTest)
#include "qt_sound_test.moc"
