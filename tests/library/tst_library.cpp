#include "Duskhaven/AppError.h"
#include "Duskhaven/FileLocations.h"
#include "catalogue/LibraryService.h"
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
// A valid catalogue whose first scene has the given name. The odd spacing and key order make
// any re-encoding show in the cached bytes.
QByteArray catalogue(const QString &sceneName, const QByteArray &spacing = " ")
{
    return QStringLiteral("{\"updatedAt\":\"2025-01-31T18:00:00Z\",%2\"version\": 3,%2"
                          "\"tracks\": [\n  {\"id\": \"t1\", \"title\": \"Low Tide\", "
                          "\"artist\": \"Mara\", \"url\": \"https://media.example/t1.mp3\",\n"
                          "   \"durationSeconds\": 184, \"fileSizeBytes\": 2950000, "
                          "\"extra\": true}],%2\"playlists\": [\n  {\"id\": \"rainy\", "
                          "\"name\": \"%1\", \"description\": \"Soft rain\", "
                          "\"trackIds\": [\"t1\"]}]}\n")
        .arg(sceneName, QString::fromLatin1(spacing))
        .toUtf8();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Records the order in which the service's properties notify.
struct Notifications
{
    QStringList events;
    explicit Notifications(LibraryService &library)
    {
        QObject::connect(&library, &LibraryService::manifestChanged,
                         [this] { events << "manifest"; });
        QObject::connect(&library, &LibraryService::lastErrorChanged,
                         [this] { events << "lastError"; });
        QObject::connect(&library, &LibraryService::isRefreshingChanged, [this, &library] {
            events << (library.isRefreshing() ? "refreshing" : "idle");
        });
    }
};
} // namespace

class TestLibraryService : public QObject
{
    Q_OBJECT

    std::shared_ptr<QNetworkAccessManager> m_network = std::make_shared<QNetworkAccessManager>();
    std::unique_ptr<QTemporaryDir> m_dir;
    std::optional<FileLocations> m_locations;

    std::unique_ptr<LibraryService> library(const QUrl &url)
    {
        return std::make_unique<LibraryService>(url, HTTPClient(m_network, {0ms, 50ms, 100ms}),
                                                *m_locations);
    }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_locations.emplace(m_dir->filePath("dusk-haven"));
    }

    void firstLaunchWithoutNetwork();
    void refreshPublishesAndCachesTheBytesReceived();
    void sameCatalogueAgainDoesNotNotify();
    void unusableAnswersKeepTheCachedCatalogue_data();
    void unusableAnswersKeepTheCachedCatalogue();
    void unreadableCacheIsReportedAndRepairedByRefresh_data();
    void unreadableCacheIsReportedAndRepairedByRefresh();
    void diskFailuresStillPublishTheNewCatalogue_data();
    void diskFailuresStillPublishTheNewCatalogue();
    void destroyingTheServiceAbortsItsRefresh();
};

void TestLibraryService::firstLaunchWithoutNetwork()
{
    const QUrl url(
        QStringLiteral("http://127.0.0.1:%1/manifest.json").arg(TestHttpServer::unusedPort()));
    auto service = library(url);
    QVERIFY(!QFileInfo::exists(m_locations->appRoot())); // construction touches no disk
    Notifications seen(*service);

    service->loadCachedManifest();
    QVERIFY(seen.events.isEmpty());

    const auto outcome = TestSupport::wait(service->refresh());
    QVERIFY(outcome.error);
    QCOMPARE(outcome.error->code(), AppError::UrlCannotConnect);
    QCOMPARE(service->lastError(), outcome.error);
    QCOMPARE(seen.events, QStringList({"refreshing", "lastError", "idle"}));
    QVERIFY(!service->hasManifest());
    QVERIFY(!service->isRefreshing());
    QVERIFY(!QFileInfo::exists(m_locations->manifestFile()));
}

void TestLibraryService::refreshPublishesAndCachesTheBytesReceived()
{
    TestHttpServer server;
    const QByteArray body = catalogue("Rainy Window", "\n\t ");
    server.serve("/manifest.json", 200, body);
    auto service = library(server.url("/manifest.json"));
    Notifications seen(*service);

    const auto outcome = TestSupport::wait(service->refresh());
    QVERIFY(outcome.value);
    QCOMPARE(seen.events, QStringList({"refreshing", "manifest", "lastError", "idle"}));
    QVERIFY(service->manifest());
    QCOMPARE(service->manifest()->playlists.first().name, "Rainy Window");
    QVERIFY(!service->lastError());
    QCOMPARE(readFile(m_locations->manifestFile()), body);
    // The data folders exist now.
    QVERIFY(QFileInfo(m_locations->videoCacheDir()).isDir());
    // No temporary file is left beside the cached copy.
    QCOMPARE(QDir(m_locations->appRoot()).entryList(QDir::Files), QStringList{"manifest.json"});
}

void TestLibraryService::sameCatalogueAgainDoesNotNotify()
{
    // The cached copy and the server's document are the same catalogue, spelt differently.
    QVERIFY(writeFile(m_locations->manifestFile(), catalogue("Rainy Window", " ")));
    TestHttpServer server;
    const QByteArray respelt = catalogue("Rainy Window", "  \n");
    server.serve("/manifest.json", 200, respelt);
    auto service = library(server.url("/manifest.json"));
    Notifications seen(*service);

    service->loadCachedManifest();
    QCOMPARE(seen.events, QStringList{"manifest"});
    QVERIFY(TestSupport::wait(service->refresh()).value);
    QVERIFY(TestSupport::wait(service->refresh()).value);

    // Each refresh reports its outcome, but the catalogue itself never changed.
    QCOMPARE(seen.events, QStringList({"manifest", "refreshing", "lastError", "idle", "refreshing",
                                       "lastError", "idle"}));
    QCOMPARE(readFile(m_locations->manifestFile()), respelt);
}

void TestLibraryService::unusableAnswersKeepTheCachedCatalogue_data()
{
    QTest::addColumn<Response>("response");
    QTest::addColumn<AppError::Domain>("domain");
    QTest::addColumn<int>("code");
    QTest::newRow("404") << Response{.status = 404, .body = catalogue("Elsewhere")}
                         << AppError::Domain::Url << AppError::BadServerResponse;
    QTest::newRow("503") << Response{.status = 503} << AppError::Domain::Url
                         << AppError::BadServerResponse;
    QTest::newRow("304") << Response{.status = 304} << AppError::Domain::Url
                         << AppError::BadServerResponse;
    QTest::newRow("204") << Response{.status = 204} << AppError::Domain::Url
                         << AppError::BadServerResponse;
    QTest::newRow("not JSON") << Response{.body = "<html>maintenance</html>"}
                              << AppError::Domain::Decoding << 0;
    QTest::newRow("truncated") << Response{.body = catalogue("Cut").left(80)}
                               << AppError::Domain::Decoding << 0;
    QTest::newRow("dropped mid-body")
        << Response{.body = catalogue("Cut"), .dropAfter = 60} << AppError::Domain::Url
        << AppError::UrlNetworkConnectionLost;
}

void TestLibraryService::unusableAnswersKeepTheCachedCatalogue()
{
    QFETCH(Response, response);
    QFETCH(AppError::Domain, domain);
    QFETCH(int, code);
    const QByteArray cached = catalogue("Cached Scene");
    QVERIFY(writeFile(m_locations->manifestFile(), cached));
    TestHttpServer server;
    server.serve("/manifest.json", response);
    auto service = library(server.url("/manifest.json"));
    service->loadCachedManifest();
    const Manifest before = *service->manifest();
    Notifications seen(*service);

    // Two refreshes fail alike: each one still notifies its error.
    for (int round = 1; round <= 2; ++round) {
        const auto outcome = TestSupport::wait(service->refresh());
        QVERIFY(outcome.error);
        QCOMPARE(outcome.error->domain(), domain);
        QCOMPARE(outcome.error->code(), code);
        QCOMPARE(service->lastError(), outcome.error);
    }
    QCOMPARE(seen.events,
             QStringList({"refreshing", "lastError", "idle", "refreshing", "lastError", "idle"}));
    QCOMPARE(*service->manifest(), before);
    QCOMPARE(readFile(m_locations->manifestFile()), cached);
    // Answers are never retried; only the dropped transfer is.
    QCOMPARE(server.requestCount("/manifest.json"), response.dropAfter >= 0 ? 6 : 2);
}

void TestLibraryService::unreadableCacheIsReportedAndRepairedByRefresh_data()
{
    QTest::addColumn<bool>("folderInTheWay");
    QTest::addColumn<AppError::Domain>("domain");
    QTest::newRow("truncated file") << false << AppError::Domain::Decoding;
    QTest::newRow("a folder in its place") << true << AppError::Domain::File;
}

void TestLibraryService::unreadableCacheIsReportedAndRepairedByRefresh()
{
    QFETCH(bool, folderInTheWay);
    QFETCH(AppError::Domain, domain);
    if (folderInTheWay)
        QVERIFY(QDir().mkpath(m_locations->manifestFile()));
    else
        QVERIFY(writeFile(m_locations->manifestFile(), catalogue("Cut short").left(120)));
    TestHttpServer server;
    const QByteArray body = catalogue("Fresh");
    server.serve("/manifest.json", 200, body);
    auto service = library(server.url("/manifest.json"));
    Notifications seen(*service);

    service->loadCachedManifest();
    QCOMPARE(seen.events, QStringList{"lastError"});
    QVERIFY(service->lastError());
    QCOMPARE(service->lastError()->domain(), domain);
    QVERIFY(!service->lastErrorDescription().isEmpty());
    QVERIFY(!service->hasManifest());

    const auto outcome = TestSupport::wait(service->refresh());
    if (folderInTheWay) {
        // The folder cannot be replaced by a file: published, but not cached.
        QVERIFY(outcome.error);
        QCOMPARE(outcome.error->domain(), AppError::Domain::File);
        QVERIFY(service->hasManifest());
        return;
    }
    QVERIFY(outcome.value);
    QVERIFY(!service->lastError());
    QVERIFY(service->lastErrorDescription().isEmpty());
    QCOMPARE(service->manifest()->playlists.first().name, "Fresh");
    QCOMPARE(readFile(m_locations->manifestFile()), body);
}

void TestLibraryService::diskFailuresStillPublishTheNewCatalogue_data()
{
    QTest::addColumn<bool>("readOnly");
    // The data folder turns read-only after start: the write fails.
    QTest::newRow("read-only data folder") << true;
    // A plain file where the video folder belongs: the folders cannot be made.
    QTest::newRow("file in a folder's place") << false;
}

void TestLibraryService::diskFailuresStillPublishTheNewCatalogue()
{
    QFETCH(bool, readOnly);
    const QByteArray old = catalogue("Old Scene");
    QVERIFY(writeFile(m_locations->manifestFile(), old));
    if (readOnly)
        m_locations->ensureDirectories();
    else
        QVERIFY(writeFile(m_locations->videoCacheDir(), "not a folder"));
    TestHttpServer server;
    server.serve("/manifest.json", 200, catalogue("New Scene"));
    auto service = library(server.url("/manifest.json"));
    service->loadCachedManifest();
    Notifications seen(*service);

    std::optional<TestSupport::Outcome<void>> outcome;
    {
        std::optional<TestSupport::FrozenFolder> frozen;
        if (readOnly) {
            frozen.emplace(m_locations->appRoot());
            QVERIFY2(frozen->frozen(), qPrintable(frozen->problem()));
        }
        outcome = TestSupport::wait(service->refresh());
    }
    QVERIFY(outcome->error);
    QCOMPARE(outcome->error->domain(), AppError::Domain::File);
    QCOMPARE(service->lastError(), outcome->error);
    QCOMPARE(seen.events, QStringList({"refreshing", "manifest", "lastError", "idle"}));
    QCOMPARE(service->manifest()->playlists.first().name, "New Scene");
    QCOMPARE(readFile(m_locations->manifestFile()), old);
    QCOMPARE(QDir(m_locations->appRoot()).entryList({"manifest*"}, QDir::Files),
             QStringList{"manifest.json"});
}

void TestLibraryService::destroyingTheServiceAbortsItsRefresh()
{
    TestHttpServer server;
    server.serve("/manifest.json",
                 Response{.body = catalogue("Slow"), .chunkSize = 16, .chunkPause = 100ms});
    auto service = library(server.url("/manifest.json"));
    auto task = service->refresh();
    QSignalSpy requests(&server, &TestHttpServer::requestReceived);
    QVERIFY(requests.wait());
    service.reset();

    const auto outcome = TestSupport::wait(std::move(task), 5s);
    QVERIFY(outcome.error);
    QCOMPARE(outcome.error->domain(), AppError::Domain::Cancelled);
    QCOMPARE(server.requestCount("/manifest.json"), 1);
    QVERIFY(!QFileInfo::exists(m_locations->manifestFile()));
}

QTEST_GUILESS_MAIN(TestLibraryService)
#include "tst_library.moc"
