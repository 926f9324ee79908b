// The single-instance hand-over: file names survive the socket whatever they
// hold, however the bytes are split, and come before the raise. A real second
// start handing over to the first is packaging.hand_over.
#include <QTest>

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
};

QTEST_MAIN(SingleInstanceTest)
#include "single_instance_test.moc"
