#include "storage/StorageFixture.h"
#include "support/TestHttpServer.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTest>

using namespace std::chrono_literals;

// A download in a real process, killed with SIGKILL while the body is still arriving.
class TestDownloadCrash : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void killedDownloadLeavesNoTrackFileAndTheNextOneSucceeds()
    {
        StorageFixture f;
        TestHttpServer server;
        const QByteArray body(256 * 1024, 'm');
        // 64 pieces 50 ms apart: over three seconds on the wire.
        server.serve("/x.mp3",
                     TestHttpServer::Response{.body = body, .chunkSize = 4096, .chunkPause = 50ms});
        const QStringList args{f.locations.appRoot(), f.storePath(), "x",
                               server.url("/x.mp3").toString()};

        QProcess killed;
        QSignalSpy requests(&server, &TestHttpServer::requestReceived);
        killed.start(DOWNLOAD_CHILD, args);
        QVERIFY(requests.wait(10000));
        QTest::qWait(500); // part of the body has arrived
        QCOMPARE(killed.state(), QProcess::Running);
        killed.kill();
        QVERIFY(killed.waitForFinished(10000));
        QCOMPARE(killed.exitStatus(), QProcess::CrashExit);
        // What arrived is only in the partial file: nothing under the final name, no record.
        QCOMPARE(f.filesIn(f.locations.cacheDir()), QStringList{"x.partial"});
        QVERIFY(QFileInfo(f.partial("x")).size() < body.size());
        QVERIFY(f.recordedIds().isEmpty());

        // The next run, a fresh process on the same store, replaces the stale partial file.
        server.serve("/x.mp3", 200, body);
        QProcess next;
        QSignalSpy finished(&next, &QProcess::finished); // the server needs this event loop
        next.start(DOWNLOAD_CHILD, args);
        QVERIFY(finished.wait(30000));
        QCOMPARE(next.exitCode(), 0);
        QCOMPARE(QString::fromLocal8Bit(next.readAllStandardOutput()).trimmed(), f.cached("x"));
        QCOMPARE(f.read(f.cached("x")), body);
        QCOMPARE(f.filesIn(f.locations.cacheDir()), QStringList{"x.mp3"});
        QCOMPARE(f.entry("x")->sizeBytes, body.size());
    }
};

QTEST_GUILESS_MAIN(TestDownloadCrash)
#include "tst_downloadcrash.moc"
