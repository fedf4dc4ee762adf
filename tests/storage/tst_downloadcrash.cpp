#include "Duskhaven/RecordStore.h"
#include "storage/StorageFixture.h"
#include "support/TestHttpServer.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTest>

using namespace std::chrono_literals;
using Response = TestHttpServer::Response;

// A download in a real process, killed with SIGKILL while the body is still arriving.
class TestDownloadCrash : public QObject
{
    Q_OBJECT

    static QByteArray trackBody()
    {
        QByteArray bytes;
        for (int i = 0; bytes.size() < 256 * 1024; ++i)
            bytes += "frame-" + QByteArray::number(i) + ';';
        return bytes;
    }

    static void start(QProcess &child, const StorageFixture &f, const QUrl &url)
    {
        child.setProgram(QStringLiteral(DOWNLOAD_CHILD));
        child.setArguments({f.locations.appRoot(), f.storePath(), "x", url.toString()});
        child.start();
        QVERIFY2(child.waitForStarted(10000), qPrintable(child.errorString()));
    }

private Q_SLOTS:
    void killedDownloadLeavesNoTrackFileAndTheNextOneSucceeds()
    {
        StorageFixture f;
        TestHttpServer server;
        const QByteArray body = trackBody();
        // 64 pieces 50 ms apart: over three seconds on the wire.
        server.serve("/x.mp3", Response{.body = body, .chunkSize = 4096, .chunkPause = 50ms});
        // A half file from an earlier interrupted run.
        QVERIFY(f.write(f.partial("x"), body.left(1000)));

        QProcess child;
        QSignalSpy requests(&server, &TestHttpServer::requestReceived);
        start(child, f, server.url("/x.mp3"));
        QVERIFY(requests.wait(10000));
        QTest::qWait(500); // part of the body has been sent
        QCOMPARE(child.state(), QProcess::Running);
        child.kill();
        QVERIFY(child.waitForFinished(10000));
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);

        // Nothing of x under its final name, no record of it, and the stale half file is gone
        // with it: the killed attempt removed it before its transfer began.
        QVERIFY(!QFile::exists(f.cached("x")));
        QVERIFY(f.filesIn(f.locations.cacheDir()).isEmpty());
        QVERIFY(f.recordedIds().isEmpty());

        // The next run, in a fresh process on the same store, completes.
        server.serve("/x.mp3", 200, body);
        QProcess next;
        // The server lives on this event loop, so wait with the loop running.
        QSignalSpy finished(&next, &QProcess::finished);
        start(next, f, server.url("/x.mp3"));
        QVERIFY(finished.wait(30000));
        QCOMPARE(next.exitStatus(), QProcess::NormalExit);
        QCOMPARE(next.exitCode(), 0);
        QCOMPARE(QString::fromLocal8Bit(next.readAllStandardOutput()).trimmed(), f.cached("x"));
        QCOMPARE(f.read(f.cached("x")), body);
        QCOMPARE(f.filesIn(f.locations.cacheDir()), QStringList{"x.mp3"});
        RecordStore reopened(f.storePath());
        const auto entries = reopened.fetch<CacheEntry>("trackId", "x");
        QCOMPARE(entries.size(), 1);
        QCOMPARE(entries.first().sizeBytes, body.size());
    }
};

QTEST_GUILESS_MAIN(TestDownloadCrash)
#include "tst_downloadcrash.moc"
