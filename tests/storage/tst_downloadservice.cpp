#include "core/AppError.h"
#include "storage/CacheService.h"
#include "storage/DownloadService.h"
#include "support/StorageFixture.h"
#include "support/TestHttpServer.h"
#include "support/TestSupport.h"

#include <QNetworkAccessManager>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

using namespace std::chrono_literals;
using Response = TestHttpServer::Response;
using TestSupport::wait;

// One service over a fresh tree, fetching from a loopback server with a single attempt.
struct DownloadRig
{
    StorageFixture f;
    TestHttpServer server;
    CacheService cache{f.locations, *f.store, *f.settings};
    DownloadService downloads{HTTPClient(std::make_shared<QNetworkAccessManager>(), {0ms}), cache,
                              f.locations};

    QCoro::Task<QUrl> get(const QString &id)
    {
        return downloads.localURL(Track{.id = id, .url = server.url("/" + id + ".mp3")});
    }
};

class TestDownloadService : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void downloadReplacesStalePartialAndRecord()
    {
        DownloadRig rig;
        const QByteArray body(40000, 'b');
        rig.server.serve("/x.mp3", 200, body);
        // Left by an earlier run: a half file, and the record of a copy cleared since.
        QVERIFY(rig.f.write(rig.f.partial("x"), "half"));
        rig.f.record("x", 5, 600);
        const QDateTime before = QDateTime::currentDateTimeUtc().addMSecs(-1);

        QCOMPARE(wait(rig.get("x")).value, QUrl::fromLocalFile(rig.f.cached("x")));
        QCOMPARE(rig.f.read(rig.f.cached("x")), body);
        QCOMPARE(rig.f.filesIn(rig.f.locations.cacheDir()), QStringList{"x.mp3"});
        QCOMPARE(rig.f.recordedIds(), QStringList{"x"});
        QCOMPARE(rig.f.entry("x")->sizeBytes, body.size());
        QVERIFY(rig.f.entry("x")->lastUsedAt >= before);
    }

    void failedDownloadWritesNothing_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("code");
        QTest::newRow("404") << "x" << 404 << AppError::BadServerResponse;
        QTest::newRow("unsafe id") << "../x" << 200 << 0;
    }

    void failedDownloadWritesNothing()
    {
        QFETCH(QString, id);
        QFETCH(int, status);
        QFETCH(int, code);
        DownloadRig rig;
        rig.server.serve("/x.mp3", status, "page");
        QVERIFY(rig.f.write(rig.f.partial("x"), "stale"));

        const auto outcome = wait(rig.get(id));
        QCOMPARE(outcome.error.value().code(), code);
        QCOMPARE(outcome.error->domain(), code ? AppError::Domain::Url : AppError::Domain::File);
        QCOMPARE(rig.server.requestCount("/x.mp3"), code ? 1 : 0);
        QVERIFY(rig.f.filesIn(rig.f.locations.appRoot()).isEmpty());
        QCOMPARE(rig.f.filesIn(rig.f.locations.cacheDir()),
                 code ? QStringList() : QStringList{"x.mp3.partial"});
        QVERIFY(rig.f.recordedIds().isEmpty());
    }

    void downloadEnforcesTheBudgetButKeepsItsOwnFile()
    {
        DownloadRig rig;
        const qint64 MiB = 1048576;
        for (const char *id : {"old", "mid", "new"})
            QVERIFY(rig.f.write(rig.f.cached(id), "x"));
        rig.f.record("old", MiB, 30);
        rig.f.record("mid", MiB, 20);
        rig.f.record("new", MiB, 10);
        rig.cache.setBudgetBytes(2 * MiB);
        rig.server.serve("/x.mp3", 200, "x");
        rig.server.serve("/y.mp3", 200, "y");

        QVERIFY(wait(rig.get("x")).value);
        QCOMPARE(rig.f.filesIn(rig.f.locations.cacheDir()), (QStringList{"new.mp3", "x.mp3"}));
        // A budget below one track evicts all else, but never the file about to be played.
        rig.cache.setBudgetBytes(0);
        QVERIFY(wait(rig.get("y")).value);
        QCOMPARE(rig.f.filesIn(rig.f.locations.cacheDir()), QStringList{"y.mp3"});
    }

    void concurrentRequestsShareOneTransfer()
    {
        DownloadRig rig;
        rig.server.serve("/x.mp3", Response{.body = "body", .delay = 200ms});
        auto play = rig.get("x");
        auto prefetch = rig.get("x");
        QCOMPARE(wait(std::move(play)).value, QUrl::fromLocalFile(rig.f.cached("x")));
        QCOMPARE(wait(std::move(prefetch)).value, QUrl::fromLocalFile(rig.f.cached("x")));
        QCOMPARE(rig.server.requestCount("/x.mp3"), 1);

        // A complete copy that appeared meanwhile does not make the download fail.
        rig.server.serve("/y.mp3", Response{.body = "ours", .delay = 200ms});
        connect(&rig.server, &TestHttpServer::requestReceived, this,
                [&] { QVERIFY(rig.f.write(rig.f.cached("y"), "theirs")); });
        QCOMPARE(wait(rig.get("y")).value, QUrl::fromLocalFile(rig.f.cached("y")));
        QCOMPARE(rig.f.filesIn(rig.f.locations.cacheDir()), (QStringList{"x.mp3", "y.mp3"}));
    }

    void clearingTheCacheMidDownloadLetsItCompleteIntoTheCache()
    {
        DownloadRig rig;
        QVERIFY(rig.f.write(rig.f.cached("old"), "old"));
        const QByteArray body(64 * 1024, 'b');
        rig.server.serve("/x.mp3", Response{.body = body, .chunkSize = 8192, .chunkPause = 40ms});
        auto download = rig.get("x");
        QTRY_VERIFY(QFileInfo(rig.f.partial("x")).size() > 0);
        rig.cache.clearCache();
        QVERIFY(!QFile::exists(rig.f.cached("old")));
        QCOMPARE(wait(std::move(download)).value, QUrl::fromLocalFile(rig.f.cached("x")));
        QCOMPARE(rig.f.read(rig.f.cached("x")), body);
        QCOMPARE(rig.f.entry("x")->sizeBytes, body.size());
    }

    // A download in a real process, killed with SIGKILL while the body is still arriving.
    void killedDownloadLeavesNoTrackFile()
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
        QCOMPARE(f.filesIn(f.locations.cacheDir()), QStringList{"x.mp3.partial"});
        QVERIFY(QFileInfo(f.partial("x")).size() < body.size());
        QVERIFY(f.recordedIds().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestDownloadService)
#include "tst_downloadservice.moc"
