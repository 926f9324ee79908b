// The single-instance rule: file names survive the socket whatever they
// hold, however the bytes are split, and come before the raise; only the
// lock's holder ever removes or creates the socket; and of many starts of
// the real program at the same moment exactly one keeps running. The files
// handed from a second start to the first are packaging.hand_over.
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <memory>
#include <vector>

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "platform/instance_lock.h"
#include "ui/single_instance.h"

namespace {
// Sockets live in these folders, and a socket's path must fit in 108 bytes,
// which the temporary folder of a test deep in a build tree may not leave.
const QString kShortFolder = QStringLiteral("/tmp/mw-si-XXXXXX");
}  // namespace

using mw::DecodeHandOver;
using mw::EncodeHandOver;
using mw::SingleInstance;

namespace {

// A socket file nobody listens on, as a program killed while running leaves.
bool MakeDeadSocket(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    sockaddr_un addr{};
    if (name.size() >= qsizetype(sizeof addr.sun_path)) return false;
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, name.constData(), name.size());
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0) return false;
    const bool ok = bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    close(fd);
    return ok;
}

bool IsSocket(const QString& path) {
    struct stat st;
    return lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISSOCK(st.st_mode);
}

}  // namespace

class SingleInstanceTest : public QObject {
    Q_OBJECT
private slots:
    void namesSurviveEveryWayOfSplittingTheBytes() {
        const QStringList files = {"/maps/Alps 2.map", "/data/100%/walk.plt",
                                   "/data/line\nbreak.plt", "/karten/Göteborg.map",
                                   "/data/open raise.plt"};
        const QByteArray bytes = EncodeHandOver(files);
        for (int chunk : {1, 2, 7, 1000}) {
            QStringList opened;
            int raises = 0;
            QByteArray buffer;
            for (qsizetype at = 0; at < bytes.size(); at += chunk) {
                buffer.append(bytes.mid(at, chunk));
                DecodeHandOver(
                    buffer, [&](const QString& p) { opened << p; },
                    [&] {
                        // Every file is taken before the raise.
                        QCOMPARE(opened.size(), files.size());
                        ++raises;
                    });
            }
            QCOMPARE(opened, files);
            QCOMPARE(raises, 1);
            QVERIFY(buffer.isEmpty());
        }
    }

    // A crash leaves the socket behind and lets the lock go: the next start
    // runs and listens there.
    void aCrashedProgramsSocketIsTakenOver() {
        QTemporaryDir dir(kShortFolder);
        SingleInstance instance(dir.path(), "mw");
        QVERIFY(MakeDeadSocket(instance.SocketPath()));
        QCOMPARE(instance.Start({}, 2000), SingleInstance::Role::First);
        QVERIFY(IsSocket(instance.SocketPath()));
        // Another start on the same folder sees it as the running one.
        mw::InstanceLock probe;
        QCOMPARE(probe.TryLock(QFile::encodeName(instance.LockPath()).toStdString()),
                 mw::InstanceLock::State::Busy);
    }

    // While another program holds the lock its socket is its own, even when
    // it does not answer yet: a later start waits and never removes it.
    void theLockHoldersSocketIsNeverRemoved() {
        QTemporaryDir dir(kShortFolder);
        SingleInstance instance(dir.path(), "mw");
        mw::InstanceLock holder;
        QCOMPARE(holder.TryLock(QFile::encodeName(instance.LockPath()).toStdString()),
                 mw::InstanceLock::State::Held);
        QVERIFY(MakeDeadSocket(instance.SocketPath()));
        QCOMPARE(instance.Start({"/maps/a.map"}, 300), SingleInstance::Role::Unanswered);
        QVERIFY(IsSocket(instance.SocketPath()));
        QVERIFY(!instance.ErrorText().isEmpty());
        // Once the holder has gone, the waiting start takes over.
        holder.Release();
        QCOMPARE(instance.Start({}, 2000), SingleInstance::Role::First);
    }

    // A runtime folder too deep for a socket's path is passed over for one
    // where the socket fits, so the first program can always be reached.
    void aRuntimeFolderTooDeepForASocketIsPassedOver() {
        QTemporaryDir dir(kShortFolder);
        const QString deep = dir.filePath(QString(100, 'd'));
        QVERIFY(QDir().mkpath(deep));
        const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(deep));
        const QString chosen = SingleInstance::DefaultFolder();
        qputenv("XDG_RUNTIME_DIR", saved);
        QVERIFY2(chosen != deep, qPrintable(chosen));
        SingleInstance instance(chosen, "mw-deep-" + QString::number(getpid()));
        QCOMPARE(instance.Start({}, 2000), SingleInstance::Role::First);
        // The short one is still taken when it fits.
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir.path()));
        QCOMPARE(SingleInstance::DefaultFolder(), dir.path());
        qputenv("XDG_RUNTIME_DIR", saved);
    }

    // Without a usable folder the program still runs, unguarded, and says so.
    void aMissingFolderLeavesTheProgramAlone() {
        QTemporaryDir dir(kShortFolder);
        SingleInstance instance(dir.filePath("gone"), "mw");
        QCOMPARE(instance.Start({}, 300), SingleInstance::Role::Alone);
        QVERIFY(instance.ErrorText().contains("gone"));
    }

    // Many starts of the program at the same moment: one runs, every other
    // hands over to it and ends with 0, and the one left still answers.
    void startsAtTheSameMomentLeaveOneRunning() {
        QTemporaryDir dir;
        for (const char* sub : {"home/.config", "tmp"}) QVERIFY(QDir(dir.path()).mkpath(sub));
        // The runtime folder holds the socket: a short one of its own, mode
        // 0700 as a real one is.
        QTemporaryDir runDir(kShortFolder);
        const QString run = runDir.path();
        QVERIFY(QFile::setPermissions(run, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                               QFileDevice::ExeOwner));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", dir.filePath("home"));
        env.insert("XDG_CONFIG_HOME", dir.filePath("home/.config"));
        env.insert("XDG_RUNTIME_DIR", run);
        env.insert("TMPDIR", dir.filePath("tmp"));
        env.insert("QT_QPA_PLATFORM", "offscreen");

        auto startProgram = [&] {
            auto p = std::make_unique<QProcess>();
            p->setProcessEnvironment(env);
            p->setProcessChannelMode(QProcess::MergedChannels);
            p->start(MW_PROGRAM_PATH, {});
            return p;
        };
        constexpr int kStarts = 40;
        std::vector<std::unique_ptr<QProcess>> programs;
        for (int i = 0; i < kStarts; ++i) programs.push_back(startProgram());
        auto stillRunning = [&] {
            std::vector<QProcess*> running;
            for (auto& p : programs)
                if (p->state() != QProcess::NotRunning) running.push_back(p.get());
            return running;
        };
        const QDeadlineTimer deadline(45000);
        while (stillRunning().size() > 1 && !deadline.hasExpired())
            for (QProcess* p : stillRunning()) p->waitForFinished(20);
        // A moment more: a second survivor would be a program that had also
        // taken itself for the first one.
        QTest::qWait(300);

        QString report;
        for (auto& p : programs) {
            if (p->state() != QProcess::NotRunning) continue;
            if (p->exitStatus() != QProcess::NormalExit || p->exitCode() != 0)
                report += QString("a start ended with %1: %2\n")
                              .arg(p->exitCode())
                              .arg(QString::fromLocal8Bit(p->readAll()));
        }
        const std::vector<QProcess*> left = stillRunning();
        if (left.size() != 1) {
            for (QProcess* p : left) p->terminate();
            QFAIL(qPrintable(
                QString("%1 of %2 starts still run\n%3").arg(left.size()).arg(kStarts).arg(report)));
        }
        QVERIFY2(report.isEmpty(), qPrintable(report));

        // The one left is the running program: one more start hands over.
        auto later = startProgram();
        QVERIFY(later->waitForFinished(10000));
        QCOMPARE(later->exitCode(), 0);
        QCOMPARE(left.front()->state(), QProcess::Running);
        left.front()->terminate();
        QVERIFY(left.front()->waitForFinished(15000));
        QCOMPARE(left.front()->exitCode(), 0);
    }
};

QTEST_MAIN(SingleInstanceTest)
#include "single_instance_test.moc"
