#include "storage/VideoCacheService.h"
#include "support/TestHttpServer.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QNetworkAccessManager>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace std::chrono_literals;
using Response = TestHttpServer::Response;

namespace {
QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

Playlist scene(const QString &id, std::optional<QString> videoLoop)
{
    Playlist p;
    p.id = id;
    p.videoLoop = std::move(videoLoop);
    return p;
}
} // namespace

class TestVideoCache : public QObject
{
    Q_OBJECT

    std::shared_ptr<QNetworkAccessManager> m_network = std::make_shared<QNetworkAccessManager>();
    std::unique_ptr<QTemporaryDir> m_root;
    std::unique_ptr<VideoCacheService> m_service;

    QString videoDir() const { return FileLocations(m_root->path()).videoCacheDir(); }
    QStringList filesInVideoDir() const
    {
        return QDir(videoDir()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }
    // Waits until nothing is being downloaded.
    bool settle() const
    {
        return QTest::qWaitFor([this] { return m_service->inFlight().isEmpty(); }, 20'000);
    }

private Q_SLOTS:
    void init()
    {
        m_root = std::make_unique<QTemporaryDir>();
        // One attempt, so that a failing download ends at once.
        m_service = std::make_unique<VideoCacheService>(FileLocations(m_root->path()),
                                                        HTTPClient(m_network, {0ms}));
    }

    void cleanup()
    {
        m_service.reset();
        m_root.reset();
    }

    void remoteFirstThenLocal()
    {
        TestHttpServer server;
        server.serve("/loops/rain.mp4", 200, "rain video bytes");
        const QUrl remote = server.url("/loops/rain.mp4");

        QCOMPARE(m_service->playableUrl(remote), remote);
        QCOMPARE(m_service->inFlightList(), QStringList{remote.toString()});
        QVERIFY(settle());

        const QUrl local = m_service->playableUrl(remote);
        QVERIFY(local.isLocalFile());
        QCOMPARE(local.toLocalFile(), m_service->cacheFilePath(remote));
        QCOMPARE(contents(local.toLocalFile()), QByteArray("rain video bytes"));
        QCOMPARE(filesInVideoDir(), QStringList{QFileInfo(local.toLocalFile()).fileName()});
        QCOMPARE(server.requestCount("/loops/rain.mp4"), 1);
    }

    void oneFetchForRequestsDuringADownload()
    {
        TestHttpServer server;
        server.serve("/slow.mp4", Response{200, "slow", {}, 300ms});
        const QUrl remote = server.url("/slow.mp4");
        QSignalSpy inFlightChanged(m_service.get(), &VideoCacheService::inFlightChanged);

        QCOMPARE(m_service->playableUrl(remote), remote);
        QCOMPARE(m_service->playableUrl(remote), remote);
        m_service->prefetch({remote, remote});
        QVERIFY(TestSupport::wait(m_service->download(remote)).value); // returns at once
        QCOMPARE(m_service->inFlight().size(), 1);
        QVERIFY(settle());

        QCOMPARE(server.requestCount("/slow.mp4"), 1);
        QCOMPARE(inFlightChanged.count(), 2);
        QCOMPARE(contents(m_service->cacheFilePath(remote)), QByteArray("slow"));
        // Once cached, asking again fetches nothing.
        m_service->prefetch({remote});
        QVERIFY(m_service->playableUrl(remote).isLocalFile());
        QCOMPARE(inFlightChanged.count(), 2);
        QCOMPARE(server.requestCount("/slow.mp4"), 1);
    }

    void failedDownloadLeavesNothing_data()
    {
        QTest::addColumn<Response>("response");
        QTest::newRow("404") << Response{404, "<html>not found</html>"};
        QTest::newRow("500") << Response{500, "oops"};
        QTest::newRow("204") << Response{204, {}};
        Response dropped{200, QByteArray(4096, 'v')};
        dropped.dropAfter = 1000;
        QTest::newRow("dropped mid-body") << dropped;
    }

    void failedDownloadLeavesNothing()
    {
        QFETCH(Response, response);
        TestHttpServer server;
        server.serve("/v.mp4", response);
        const QUrl remote = server.url("/v.mp4");
        QSignalSpy inFlightChanged(m_service.get(), &VideoCacheService::inFlightChanged);

        QCOMPARE(m_service->playableUrl(remote), remote);
        QVERIFY(settle());
        QCOMPARE(inFlightChanged.count(), 2);
        QCOMPARE(m_service->inFlight().size(), 0);
        QCOMPARE(filesInVideoDir(), QStringList());

        // Asked for again, it is tried again.
        QCOMPARE(m_service->playableUrl(remote), remote);
        QVERIFY(settle());
        QCOMPARE(server.requestCount("/v.mp4"), 2);
        QCOMPARE(filesInVideoDir(), QStringList());
    }

    void unreachableHostLeavesNothing()
    {
        const QUrl remote(
            QStringLiteral("http://127.0.0.1:%1/v.mp4").arg(TestHttpServer::unusedPort()));
        m_service->prefetch({remote});
        QVERIFY(settle());
        QCOMPARE(filesInVideoDir(), QStringList());
        QVERIFY(!m_service->cachedFile(remote));
    }

    void hashPrefixSeparatesEqualFileNames()
    {
        TestHttpServer server;
        server.serve("/a/loop.mp4", 200, "from a");
        server.serve("/b/loop.mp4", 200, "from b");
        const QUrl a = server.url("/a/loop.mp4");
        const QUrl b = server.url("/b/loop.mp4");

        QVERIFY(m_service->cacheFilePath(a) != m_service->cacheFilePath(b));
        QVERIFY(m_service->cacheFilePath(a).endsWith(QStringLiteral("-loop.mp4")));
        m_service->prefetch({a, b});
        QCOMPARE(m_service->inFlight().size(), 2); // both at once
        QVERIFY(settle());
        QCOMPARE(contents(*m_service->cachedFile(a)), QByteArray("from a"));
        QCOMPARE(contents(*m_service->cachedFile(b)), QByteArray("from b"));
    }

    // The prefix must not change between runs, or every cached video would be fetched again.
    void hashIsFnv1a64OfTheAddressText()
    {
        QCOMPARE(VideoCacheService::addressHash(QUrl(QStringLiteral("a"))), 0xaf63dc4c8601ec8cULL);
        const QUrl rain(QStringLiteral("https://cdn.example/loops/rain.mp4"));
        QCOMPARE(VideoCacheService::addressHash(rain), 0xb196659af485359dULL);
        // Negative as a signed number: the digits are those of its magnitude.
        QCOMPARE(VideoCacheService::hashPrefix(rain), QStringLiteral("16xear4m"));
        QCOMPARE(VideoCacheService::hashPrefix(QUrl(QStringLiteral("a"))),
                 QStringLiteral("184pdkdn"));
        QCOMPARE(m_service->cacheFilePath(rain), videoDir() + QStringLiteral("/16xear4m-rain.mp4"));
    }

    void fileNameStaysInTheVideoFolder_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("name");
        QTest::newRow("plain") << "https://h/v/rain.mp4"
                               << "rain.mp4";
        QTest::newRow("trailing slash") << "https://h/v/dir/"
                                        << "dir";
        QTest::newRow("no path") << "https://h"
                                 << "video";
        QTest::newRow("root") << "https://h/"
                              << "video";
        QTest::newRow("dot") << "https://h/v/."
                             << "video";
        QTest::newRow("dot dot") << "https://h/v/.."
                                 << "video";
        QTest::newRow("escaped dot dot") << "https://h/v/%2E%2E"
                                         << "video";
        QTest::newRow("escaped slashes") << "https://h/v/..%2F..%2Fescape.mp4"
                                         << "escape.mp4";
        QTest::newRow("escaped nul") << "https://h/v/a%00b.mp4"
                                     << "a_b.mp4";
    }

    void fileNameStaysInTheVideoFolder()
    {
        QFETCH(QString, address);
        QFETCH(QString, name);
        const QUrl url(address);
        QCOMPARE(VideoCacheService::lastComponentName(url), name);
        const QFileInfo file(m_service->cacheFilePath(url));
        QCOMPARE(file.absolutePath(), videoDir());
        QCOMPARE(file.fileName(), VideoCacheService::hashPrefix(url) + u'-' + name);
    }

    void addressAtTheRootIsCachedAsAFile()
    {
        TestHttpServer server;
        server.serve("/", 200, "root video");
        const QUrl remote = server.url("/");
        m_service->prefetch({remote});
        QVERIFY(settle());
        const auto cached = m_service->cachedFile(remote);
        QVERIFY(cached);
        QCOMPARE(QFileInfo(*cached).absolutePath(), videoDir());
        QCOMPARE(contents(*cached), QByteArray("root video"));
    }

    void leftoverPartialIsReplaced()
    {
        TestHttpServer server;
        server.serve("/loop.mp4", 200, "fresh");
        const QUrl remote = server.url("/loop.mp4");
        QVERIFY(QDir().mkpath(videoDir()));
        QFile stale(m_service->cacheFilePath(remote) + QStringLiteral(".partial"));
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.write("half a video from a run that crashed");
        stale.close();

        m_service->prefetch({remote});
        QVERIFY(settle());
        QCOMPARE(contents(m_service->cacheFilePath(remote)), QByteArray("fresh"));
        QVERIFY(!QFile::exists(stale.fileName()));
    }

    void serviceGoneBeforeTheAnswerWritesNothing()
    {
        TestHttpServer server;
        server.serve("/late.mp4", Response{200, "late", {}, 200ms});
        m_service->prefetch({server.url("/late.mp4")});
        m_service.reset();
        QTest::qWait(500);
        QCOMPARE(server.requestCount("/late.mp4"), 1);
        QCOMPARE(filesInVideoDir(), QStringList());
    }

    void startupCollectsCatalogueVideos()
    {
        Manifest manifest;
        manifest.playlists = {
            scene("none", std::nullopt),
            scene("asset", QStringLiteral("rainy-tokyo-loop")),
            scene("caps", QStringLiteral("HTTPS://cdn.example/Loops/Caps.mp4")),
            scene("plain", QStringLiteral("http://cdn.example/b.mp4")),
            scene("relative", QStringLiteral("httpish-name")),
            scene("space", QStringLiteral("https://cdn.example/with space.mp4")),
            scene("again", QStringLiteral("http://cdn.example/b.mp4")),
        };
        QCOMPARE(VideoCacheService::videoLoopUrls(manifest),
                 (QList<QUrl>{QUrl(QStringLiteral("https://cdn.example/Loops/Caps.mp4")),
                              QUrl(QStringLiteral("http://cdn.example/b.mp4")),
                              QUrl(QStringLiteral("http://cdn.example/b.mp4"))}));
        QCOMPARE(VideoCacheService::videoLoopUrls(Manifest{}), QList<QUrl>());
    }

    void startupPrefetchesFromTheLoadedCatalogue()
    {
        TestHttpServer server;
        server.serve("/scene.mp4", 200, "scene");
        Manifest manifest;
        manifest.playlists = {scene("asset", QStringLiteral("cozy-room")),
                              scene("remote", server.url("/scene.mp4").toString())};
        QSignalSpy inFlightChanged(m_service.get(), &VideoCacheService::inFlightChanged);

        m_service->prefetchCatalogueVideos(std::nullopt);
        QCOMPARE(inFlightChanged.count(), 0);
        m_service->prefetchCatalogueVideos(manifest);
        QVERIFY(settle());
        QCOMPARE(inFlightChanged.count(), 2);
        QCOMPARE(filesInVideoDir().size(), 1);
        QVERIFY(m_service->cachedFile(server.url("/scene.mp4")));
    }
};

QTEST_GUILESS_MAIN(TestVideoCache)
#include "tst_videocache.moc"
