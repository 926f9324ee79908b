// The single-instance hand-over: file names survive the socket whatever they
// hold, however the bytes are split, and a running instance receives them
// in order before it is asked to raise itself.
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include "ui/single_instance.h"

using mw::DecodeHandOver;
using mw::EncodeHandOver;

class SingleInstanceTest : public QObject {
    Q_OBJECT
private slots:
    void namesSurviveEveryWayOfSplittingTheBytes() {
        const QStringList files = {"/maps/Alps 2.map", "/data/100%/walk.plt",
                                   "/data/line\nbreak.plt", "/karten/Göteborg.map",
                                   "/data/open raise.plt"};
        const QByteArray bytes = EncodeHandOver(files);
        QCOMPARE(bytes.count('\n'), files.size() + 1);
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

    void aRunningInstanceReceivesTheFiles() {
        const QString name = QString("mw-handover-test-%1").arg(QCoreApplication::applicationPid());
        mw::SingleInstance first(name);
        QVERIFY(first.Listen());
        QSignalSpy opened(&first, &mw::SingleInstance::openRequested);
        QSignalSpy raised(&first, &mw::SingleInstance::raiseRequested);

        bool answered = false;
        QThread* client = QThread::create([&] {
            mw::SingleInstance second(name);
            answered = second.HandOverToRunningInstance({"/m/a.map", "/d/b c.plt"}, 3000);
        });
        client->start();
        QTRY_VERIFY_WITH_TIMEOUT(client->isFinished(), 5000);
        delete client;
        QVERIFY(answered);
        QCOMPARE(opened.size(), 2);
        QCOMPARE(opened[0][0].toString(), QString("/m/a.map"));
        QCOMPARE(opened[1][0].toString(), QString("/d/b c.plt"));
        QCOMPARE(raised.size(), 1);
    }
};

QTEST_MAIN(SingleInstanceTest)
#include "single_instance_test.moc"
