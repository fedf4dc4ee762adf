#include "storage/VideoCacheService.h"
#include "support/TestHttpServer.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QNetworkAccessManager>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace std::chrono_literals;
using Response = TestHttpServer::Response;
using TestSupport::readFile;

class TestVideoCache : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_root;
    std::unique_ptr<VideoCacheService> m_service;

    QString videoDir() const { return FileLocations(m_root->path()).videoCacheDir(); }
    QStringList files() const
    {
        return QDir(videoDir()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }
    bool settle() const
    {
        return QTest::qWaitFor([this] { return m_service->inFlight().isEmpty(); }, 20'000);
    }

private Q_SLOTS:
    void init()
    {
        m_root = std::make_unique<QTemporaryDir>();
        // One attempt, so that a failing download ends at once.
        m_service = std::make_unique<VideoCacheService>(
            FileLocations(m_root->path()),
            HTTPClient(std::make_shared<QNetworkAccessManager>(), {0ms}));
    }

    void oneFetchForRequestsDuringADownload()
    {
        TestHttpServer server;
        server.serve("/slow.mp4", Response{.body = "slow", .delay = 300ms});
        const QUrl remote = server.url("/slow.mp4");
        QSignalSpy inFlightChanged(m_service.get(), &VideoCacheService::inFlightChanged);

        QCOMPARE(m_service->playableUrl(remote), remote); // streamed until the copy is whole
        QCOMPARE(m_service->playableUrl(remote), remote);
        m_service->prefetch({remote, remote});
        QVERIFY(settle());
        QCOMPARE(server.requestCount("/slow.mp4"), 1);
        QCOMPARE(inFlightChanged.count(), 2);

        const QUrl local = m_service->playableUrl(remote);
        QCOMPARE(readFile(local.toLocalFile()), QByteArray("slow"));
        QCOMPARE(files(), QStringList{QFileInfo(local.toLocalFile()).fileName()});
        m_service->prefetch({remote});
        QCOMPARE(inFlightChanged.count(), 2);
    }

    void onlyTheInstalledCataloguesVideoPlaysFromDisk()
    {
        QVERIFY(TestSupport::writeFile(m_root->filePath("starter/video/v.mp4"), "loop"));
        QVERIFY(TestSupport::writeFile(m_root->filePath("elsewhere.mp4"), "not ours"));
        HTTPClient http(std::make_shared<QNetworkAccessManager>(), {0ms});
        http.setLocalFolder(m_root->filePath("starter"));
        VideoCacheService service(FileLocations(m_root->filePath("data")), http);
        const QUrl inside = QUrl::fromLocalFile(m_root->filePath("starter/video/v.mp4"));
        QCOMPARE(service.playableUrl(inside), inside); // played where it lies, not copied
        QCOMPARE(service.playableUrl(QUrl::fromLocalFile(m_root->filePath("elsewhere.mp4"))),
                 QUrl());
        QCOMPARE(m_service->playableUrl(inside), QUrl()); // no installed catalogue
        QVERIFY(service.inFlight().isEmpty());
    }

    void failedDownloadLeavesNothing_data()
    {
        QTest::addColumn<Response>("response");
        QTest::newRow("404") << Response{404, "<html>not found</html>"};
        QTest::newRow("dropped mid-body")
            << Response{.body = QByteArray(4096, 'v'), .dropAfter = 1000};
    }

    void failedDownloadLeavesNothing()
    {
        QFETCH(Response, response);
        TestHttpServer server;
        server.serve("/v.mp4", response);
        const QUrl remote = server.url("/v.mp4");
        for (int attempt = 1; attempt <= 2; ++attempt) {
            QCOMPARE(m_service->playableUrl(remote), remote);
            QVERIFY(settle());
            QCOMPARE(files(), QStringList());
            QCOMPARE(server.requestCount("/v.mp4"), attempt); // tried again when asked again
        }
    }

    void fileNamesAreHashPrefixedAndStayInTheVideoFolder()
    {
        TestHttpServer server;
        server.serve("/a/loop.mp4", 200, "from a");
        server.serve("/b/loop.mp4", 200, "from b");
        const QUrl a = server.url("/a/loop.mp4"), b = server.url("/b/loop.mp4");
        m_service->prefetch({a, b});
        QVERIFY(settle());
        QCOMPARE(readFile(*m_service->cachedFile(a)), QByteArray("from a"));
        QCOMPARE(readFile(*m_service->cachedFile(b)), QByteArray("from b"));

        // FNV-1a 64, so that a copy made in one run is found in the next. This hash is negative
        // as a signed number: the digits are those of its magnitude.
        const QUrl rain("https://cdn.example/loops/rain.mp4");
        QCOMPARE(VideoCacheService::addressHash(rain), 0xb196659af485359dULL);
        QCOMPARE(m_service->cacheFilePath(rain), videoDir() + "/16xear4m-rain.mp4");

        // The name after the prefix never leads out of the video folder.
        const QList<std::pair<QString, QString>> names = {
            {"https://h/v/dir/", "dir"},
            {"https://h/", "video"},
            {"https://h/v/%2E%2E", "video"},
            {"https://h/v/..%2F..%2Fescape.mp4", "escape.mp4"}};
        for (const auto &[address, name] : names) {
            const QFileInfo file(m_service->cacheFilePath(QUrl(address)));
            QCOMPARE(file.absolutePath(), videoDir());
            QCOMPARE(file.fileName(), VideoCacheService::hashPrefix(QUrl(address)) + u'-' + name);
        }
    }

    // Only a scene's http(s) address is fetched; a bundled name or a text that is no address
    // is not.
    void catalogueVideosAreItsWebAddresses()
    {
        const QUrl scene("http://media.example/scene.mp4");
        Manifest manifest;
        for (const QString &loop :
             QStringList{"rainy-tokyo-loop", "httpish-name", "https://cdn.example/with space.mp4",
                         "HTTPS://cdn.example/Caps.mp4", scene.toString()})
            manifest.playlists.append(Playlist{.videoLoop = loop});
        manifest.playlists.append(Playlist{});
        QCOMPARE(VideoCacheService::videoLoopUrls(manifest),
                 (QList<QUrl>{QUrl("HTTPS://cdn.example/Caps.mp4"), scene}));
    }
};

QTEST_GUILESS_MAIN(TestVideoCache)
#include "tst_videocache.moc"
