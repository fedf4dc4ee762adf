#include "Duskhaven/AppError.h"
#include "storage/CacheService.h"
#include "storage/DownloadService.h"
#include "storage/StorageFixture.h"
#include "support/TestHttpServer.h"
#include "support/TestSupport.h"

#include <QNetworkAccessManager>
#include <QTest>

using namespace std::chrono_literals;
using Response = TestHttpServer::Response;
using TestSupport::wait;

namespace {
constexpr qint64 MiB = 1048576;

// A music file's worth of distinct bytes, so a truncated or mixed-up copy shows.
QByteArray body(const QString &id, int size = 40000)
{
    QByteArray bytes;
    bytes.reserve(size);
    const QByteArray seed = id.toUtf8();
    for (int i = 0; bytes.size() < size; ++i)
        bytes += seed + QByteArray::number(i);
    bytes.truncate(size);
    return bytes;
}
} // namespace

class TestDownloadService : public QObject
{
    Q_OBJECT

    std::shared_ptr<QNetworkAccessManager> m_network = std::make_shared<QNetworkAccessManager>();

    // One attempt only, unless a test asks for retries.
    HTTPClient client(HTTPClient::Delays delays = {0ms}) const
    {
        return HTTPClient(m_network, delays);
    }

    Track track(const TestHttpServer &server, const QString &id) const
    {
        return Track{.id = id, .title = id, .artist = "A", .url = server.url("/" + id + ".mp3")};
    }

private Q_SLOTS:
    void pinnedOrCachedTracksNeedNoNetwork()
    {
        StorageFixture f;
        TestHttpServer server;
        CacheService cache(f.locations, *f.store, *f.settings);
        DownloadService downloads(client(), cache, f.locations);

        QVERIFY(f.write(f.pinned("p"), "pinned"));
        QVERIFY(f.write(f.cached("p"), "cached"));
        QVERIFY(f.write(f.cached("c"), "cached"));
        f.record("c", 6, 60);
        const QDateTime before = QDateTime::currentDateTimeUtc();

        QCOMPARE(wait(downloads.localURL(track(server, "p"))).value,
                 QUrl::fromLocalFile(f.pinned("p")));
        QCOMPARE(wait(downloads.localURL(track(server, "c"))).value,
                 QUrl::fromLocalFile(f.cached("c")));
        QVERIFY(f.entry("c")->lastUsedAt >= before.addMSecs(-1));
        QCOMPARE(server.requestCount("/p.mp3") + server.requestCount("/c.mp3"), 0);
    }

    void downloadReplacesStalePartialAndRecord()
    {
        StorageFixture f;
        TestHttpServer server;
        CacheService cache(f.locations, *f.store, *f.settings);
        DownloadService downloads(client(), cache, f.locations);
        server.serve("/x.mp3", 200, body("x"));

        // Left by an earlier run: a half file and the record of a copy cleared since.
        QVERIFY(f.write(f.partial("x"), "half a file"));
        f.record("x", 5, 600);
        const QDateTime before = QDateTime::currentDateTimeUtc();

        const auto outcome = wait(downloads.localURL(track(server, "x")));
        QCOMPARE(outcome.value, QUrl::fromLocalFile(f.cached("x")));
        QCOMPARE(f.read(f.cached("x")), body("x"));
        QCOMPARE(f.filesIn(f.locations.cacheDir()), QStringList{"x.mp3"});
        QCOMPARE(f.recordedIds(), QStringList{"x"});
        QCOMPARE(f.entry("x")->sizeBytes, body("x").size());
        QVERIFY(f.entry("x")->lastUsedAt >= before.addMSecs(-1));

        // Now cached: the next request is answered from disk.
        QCOMPARE(wait(downloads.localURL(track(server, "x"))).value, outcome.value);
        QCOMPARE(server.requestCount("/x.mp3"), 1);
    }

    void failedFetchWritesNothing_data()
    {
        QTest::addColumn<int>("status"); // 0: the server is gone
        QTest::addColumn<int>("domain");
        QTest::addColumn<int>("code");
        QTest::newRow("404") << 404 << int(AppError::Domain::Url) << AppError::BadServerResponse;
        QTest::newRow("500") << 500 << int(AppError::Domain::Url) << AppError::BadServerResponse;
        QTest::newRow("refused") << 0 << int(AppError::Domain::Url) << AppError::UrlCannotConnect;
    }

    void failedFetchWritesNothing()
    {
        QFETCH(int, status);
        QFETCH(int, domain);
        QFETCH(int, code);
        StorageFixture f;
        TestHttpServer server;
        CacheService cache(f.locations, *f.store, *f.settings);
        DownloadService downloads(client(), cache, f.locations);
        Track x = track(server, "x");
        if (status == 0)
            x.url.setPort(TestHttpServer::unusedPort());
        else
            server.serve("/x.mp3", status, "<h1>error page</h1>");
        QVERIFY(f.write(f.partial("x"), "stale"));

        const auto outcome = wait(downloads.localURL(x));
        QVERIFY(outcome.error);
        QCOMPARE(int(outcome.error->domain()), domain);
        QCOMPARE(outcome.error->code(), code);
        QVERIFY(f.filesIn(f.locations.cacheDir()).isEmpty());
        QVERIFY(f.recordedIds().isEmpty());
        QCOMPARE(downloads.downloadsInFlight(), 0);
    }

    void unsafeIdIsRefusedBeforeAnyTransfer()
    {
        StorageFixture f;
        TestHttpServer server;
        CacheService cache(f.locations, *f.store, *f.settings);
        DownloadService downloads(client(), cache, f.locations);
        server.serve("/evil.mp3", 200, "payload");
        Track evil = track(server, "evil");
        evil.id = "../evil";

        const auto outcome = wait(downloads.localURL(evil));
        QVERIFY(outcome.error);
        QCOMPARE(outcome.error->domain(), AppError::Domain::File);
        QCOMPARE(server.requestCount("/evil.mp3"), 0);
        QVERIFY(f.filesIn(f.locations.appRoot()).isEmpty());
        QVERIFY(f.recordedIds().isEmpty());
    }

    void downloadEnforcesTheBudgetButKeepsItsOwnFile()
    {
        StorageFixture f;
        TestHttpServer server;
        CacheService cache(f.locations, *f.store, *f.settings);
        DownloadService downloads(client(), cache, f.locations);
        for (const char *id : {"old", "mid", "new"}) {
            QVERIFY(f.write(f.cached(id), "x"));
        }
        f.record("old", MiB, 30);
        f.record("mid", MiB, 20);
        f.record("new", MiB, 10);
        cache.setBudgetBytes(2 * MiB);
        server.serve("/x.mp3", 200, body("x"));

        // Three MiB plus x: the oldest goes first, then the next, until it fits.
        QVERIFY(wait(downloads.localURL(track(server, "x"))).value);
        QCOMPARE(f.recordedIds(), (QStringList{"new", "x"}));
        QCOMPARE(f.filesIn(f.locations.cacheDir()), (QStringList{"new.mp3", "x.mp3"}));

        // A budget below one track evicts everything else but never the file just handed out.
        cache.setBudgetBytes(10);
        server.serve("/y.mp3", 200, body("y"));
        const auto y = wait(downloads.localURL(track(server, "y")));
        QCOMPARE(y.value, QUrl::fromLocalFile(f.cached("y")));
        QVERIFY(QFile::exists(f.cached("y")));
        QCOMPARE(f.recordedIds(), QStringList{"y"});
    }

    void concurrentRequestsShareOneTransfer()
    {
        StorageFixture f;
        TestHttpServer server;
        CacheService cache(f.locations, *f.store, *f.settings);
        DownloadService downloads(client(), cache, f.locations);
        server.serve("/x.mp3", Response{.body = body("x"), .delay = 200ms});
        server.serve("/y.mp3", Response{.status = 500, .delay = 200ms});

        // Started together, as a play and a prefetch of the same track would be.
        auto first = downloads.localURL(track(server, "x"));
        auto second = downloads.localURL(track(server, "x"));
        auto failing = downloads.localURL(track(server, "y"));
        auto failingToo = downloads.localURL(track(server, "y"));
        QCOMPARE(downloads.downloadsInFlight(), 2);
        const auto a = wait(std::move(first));
        const auto b = wait(std::move(second));
        QCOMPARE(a.value, QUrl::fromLocalFile(f.cached("x")));
        QCOMPARE(b.value, a.value);
        QCOMPARE(server.requestCount("/x.mp3"), 1);
        QCOMPARE(f.read(f.cached("x")), body("x"));

        const auto c = wait(std::move(failing));
        const auto d = wait(std::move(failingToo));
        QVERIFY(c.error && d.error);
        QCOMPARE(d.error->code(), AppError::BadServerResponse);
        QCOMPARE(server.requestCount("/y.mp3"), 1);
        QCOMPARE(downloads.downloadsInFlight(), 0);
    }

    void finishedFileAlreadyInPlaceIsKept()
    {
        StorageFixture f;
        TestHttpServer server;
        CacheService cache(f.locations, *f.store, *f.settings);
        DownloadService downloads(client(), cache, f.locations);
        server.serve("/x.mp3", Response{.body = body("x"), .delay = 200ms});
        // Another instance of the app finishes the same track while this one is downloading.
        connect(&server, &TestHttpServer::requestReceived, this,
                [&] { QVERIFY(f.write(f.cached("x"), "complete copy")); });

        const auto outcome = wait(downloads.localURL(track(server, "x")));
        QCOMPARE(outcome.value, QUrl::fromLocalFile(f.cached("x")));
        QCOMPARE(f.read(f.cached("x")), QByteArray("complete copy"));
        QCOMPARE(f.filesIn(f.locations.cacheDir()), QStringList{"x.mp3"});
        QCOMPARE(f.entry("x")->sizeBytes, qint64(13));
    }

    void failedMoveLeavesPartialForTheNextDownload()
    {
        StorageFixture f;
        TestHttpServer server;
        CacheService cache(f.locations, *f.store, *f.settings);
        DownloadService downloads(client(), cache, f.locations);
        server.serve("/x.mp3", 200, body("x"));
        // Something that is not a file stands where the track should go.
        QVERIFY(QDir().mkpath(f.cached("x")));

        const auto failed = wait(downloads.localURL(track(server, "x")));
        QVERIFY(failed.error);
        QCOMPARE(failed.error->domain(), AppError::Domain::File);
        QCOMPARE(f.read(f.partial("x")), body("x"));
        QVERIFY(f.recordedIds().isEmpty());

        QVERIFY(QDir(f.cached("x")).removeRecursively());
        server.serve("/x.mp3", 200, body("x2"));
        QCOMPARE(wait(downloads.localURL(track(server, "x"))).value,
                 QUrl::fromLocalFile(f.cached("x")));
        QCOMPARE(f.read(f.cached("x")), body("x2"));
        QCOMPARE(f.filesIn(f.locations.cacheDir()), QStringList{"x.mp3"});
    }

    void destroyingTheServiceCancelsItsTransfers()
    {
        StorageFixture f;
        TestHttpServer server;
        CacheService cache(f.locations, *f.store, *f.settings);
        auto downloads = std::make_unique<DownloadService>(client(), cache, f.locations);
        server.serve("/x.mp3", Response{.body = body("x"), .chunkSize = 1000, .chunkPause = 50ms});

        auto first = downloads->localURL(track(server, "x"));
        auto second = downloads->localURL(track(server, "x"));
        QTRY_COMPARE(server.requestCount("/x.mp3"), 1);
        downloads.reset();
        const auto a = wait(std::move(first), 5s);
        const auto b = wait(std::move(second), 5s);
        QVERIFY(a.error && b.error);
        QCOMPARE(a.error->domain(), AppError::Domain::Cancelled);
        QCOMPARE(b.error->domain(), AppError::Domain::Cancelled);
        QVERIFY(f.filesIn(f.locations.cacheDir()).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestDownloadService)
#include "tst_downloadservice.moc"
