#include "catalogue/CatalogueRefresher.h"
#include "catalogue/LibraryService.h"
#include "core/AppError.h"
#include "core/FileLocations.h"
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
using TestSupport::writeFile;

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
    std::unique_ptr<TestHttpServer> m_server;

    std::unique_ptr<LibraryService> library(const QUrl &url)
    {
        return std::make_unique<LibraryService>(url, HTTPClient(m_network, {0ms, 50ms, 100ms}),
                                                *m_locations);
    }
    // A service on the test's server, whose catalogue address answers with `response`.
    std::unique_ptr<LibraryService> serving(const Response &response)
    {
        m_server->serve("/manifest.json", response);
        return library(m_server->url("/manifest.json"));
    }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_locations.emplace(m_dir->filePath("dusk-haven"));
        m_server = std::make_unique<TestHttpServer>();
    }

    // What a failed first refresh reports is checked with the cached copy present
    // (unusableAnswersKeepTheCachedCatalogue) and by tst_httpclient's refused connection.
    void aFirstLaunchTouchesNoDiskAndFindsNothingToLoad()
    {
        auto service = library(m_server->url("/manifest.json"));
        QVERIFY(!QFileInfo::exists(m_locations->appRoot())); // construction touches no disk
        Notifications seen(*service);
        service->loadCachedManifest();
        QVERIFY(seen.events.isEmpty());
    }

    void sameCatalogueAgainDoesNotNotify()
    {
        // The cached copy and the server's document are the same catalogue, spelt differently.
        QVERIFY(writeFile(m_locations->manifestFile(), catalogue("Rainy Window", " ")));
        const QByteArray respelt = catalogue("Rainy Window", "  \n");
        auto service = serving({.body = respelt});
        Notifications seen(*service);

        service->loadCachedManifest();
        QVERIFY(TestSupport::wait(service->refresh()).value);
        QVERIFY(TestSupport::wait(service->refresh()).value);
        // Each refresh reports its outcome, but the catalogue itself never changed.
        QCOMPARE(seen.events, QStringList({"manifest", "refreshing", "lastError", "idle",
                                           "refreshing", "lastError", "idle"}));
        QCOMPARE(readFile(m_locations->manifestFile()), respelt);
    }

    void unusableAnswersKeepTheCachedCatalogue_data()
    {
        QTest::addColumn<Response>("response");
        QTest::addColumn<AppError::Domain>("domain");
        QTest::addColumn<int>("code");
        const auto url = AppError::Domain::Url;
        QTest::newRow("404") << Response{.status = 404, .body = catalogue("Elsewhere")} << url
                             << AppError::BadServerResponse;
        QTest::newRow("304") << Response{.status = 304} << url << AppError::BadServerResponse;
        QTest::newRow("not JSON") << Response{.body = "<html>maintenance</html>"}
                                  << AppError::Domain::Decoding << 0;
        QTest::newRow("dropped mid-body") << Response{.body = catalogue("Cut"), .dropAfter = 60}
                                          << url << AppError::UrlNetworkConnectionLost;
    }

    void unusableAnswersKeepTheCachedCatalogue()
    {
        QFETCH(Response, response);
        QFETCH(AppError::Domain, domain);
        QFETCH(int, code);
        const QByteArray cached = catalogue("Cached Scene");
        QVERIFY(writeFile(m_locations->manifestFile(), cached));
        auto service = serving(response);
        service->loadCachedManifest();
        const Manifest before = *service->manifest();
        Notifications seen(*service);

        // Two refreshes fail alike: each one still notifies its error.
        for (int round = 1; round <= 2; ++round) {
            const auto outcome = TestSupport::wait(service->refresh());
            QCOMPARE(outcome.error.value().domain(), domain);
            QCOMPARE(outcome.error.value().code(), code);
            QCOMPARE(service->lastError(), outcome.error);
        }
        QCOMPARE(seen.events, QStringList({"refreshing", "lastError", "idle", "refreshing",
                                           "lastError", "idle"}));
        QCOMPARE(*service->manifest(), before);
        QCOMPARE(readFile(m_locations->manifestFile()), cached);
        // Answers are never retried; only the dropped transfer is.
        QCOMPARE(m_server->requestCount("/manifest.json"), response.dropAfter >= 0 ? 6 : 2);
    }

    void unreadableCacheIsReportedAndRepairedByRefresh()
    {
        QVERIFY(writeFile(m_locations->manifestFile(), catalogue("Cut short").left(120)));
        const QByteArray body = catalogue("Fresh");
        auto service = serving({.body = body});
        Notifications seen(*service);

        service->loadCachedManifest();
        QCOMPARE(seen.events, QStringList{"lastError"});
        QCOMPARE(service->lastError()->domain(), AppError::Domain::Decoding);
        QVERIFY(!service->lastErrorDescription().isEmpty());
        QVERIFY(!service->hasManifest());

        QVERIFY(TestSupport::wait(service->refresh()).value);
        QVERIFY(service->lastErrorDescription().isEmpty());
        QCOMPARE(service->manifest()->playlists.first().name, "Fresh");
        QCOMPARE(readFile(m_locations->manifestFile()), body);
    }

    // The data folder turns read-only after start: the new catalogue is published, the write
    // fails, and the old file stays whole.
    void readOnlyDataFolderStillPublishesTheNewCatalogue()
    {
        const QByteArray old = catalogue("Old Scene");
        QVERIFY(writeFile(m_locations->manifestFile(), old));
        m_locations->ensureDirectories();
        auto service = serving({.body = catalogue("New Scene")});
        service->loadCachedManifest();
        Notifications seen(*service);

        std::optional<TestSupport::Outcome<void>> outcome;
        {
            TestSupport::FrozenFolder frozen(m_locations->appRoot());
            QVERIFY2(frozen.frozen(), qPrintable(frozen.problem()));
            outcome = TestSupport::wait(service->refresh());
        }
        QCOMPARE(outcome->error.value().domain(), AppError::Domain::File);
        QCOMPARE(service->lastError(), outcome->error);
        QCOMPARE(seen.events, QStringList({"refreshing", "manifest", "lastError", "idle"}));
        QCOMPARE(service->manifest()->playlists.first().name, "New Scene");
        QCOMPARE(readFile(m_locations->manifestFile()), old);
        QCOMPARE(QDir(m_locations->appRoot()).entryList({"manifest*"}, QDir::Files),
                 QStringList{"manifest.json"});
    }

    void starterShowsUntilADownloadedCatalogueArrives()
    {
        const QString starter = m_dir->filePath("share/starter");
        QVERIFY(writeFile(starter + "/manifest.json",
                          R"({"version": 1, "updatedAt": "2026-12-01T10:00:00Z",
                "tracks": [{"id": "s1", "title": "Warm Lamp", "artist": "Loops",
                            "url": "tracks/s%201.mp3", "durationSeconds": 90,
                            "fileSizeBytes": 100}],
                "playlists": [{"id": "cozy", "name": "Cozy", "description": "",
                               "trackIds": ["s1"], "coverUrl": "covers/c.png",
                               "videoLoop": "video/v.mp4"},
                              {"id": "bare", "name": "Bare", "description": "",
                               "trackIds": ["s1"], "videoLoop": "rain"}],
                "ambientLayers": [{"id": "rain", "name": "Rain", "url": "ambient/rain.ogg"}]})"));
        const QString base = QUrl::fromLocalFile(starter + "/").toString();
        m_server->serve("/manifest.json", Response{.status = 503});
        auto service = library(m_server->url("/manifest.json"));

        service->loadCachedManifest();
        service->loadStarter(starter);
        QVERIFY(service->showsStarter());
        const Manifest &shown = *service->manifest();
        QCOMPARE(shown.tracks.first().url, QUrl(base + "tracks/s%201.mp3"));
        QCOMPARE(shown.playlists.at(0).coverUrl, QUrl(base + "covers/c.png"));
        QCOMPARE(shown.playlists.at(0).videoLoop, base + "video/v.mp4");
        QCOMPARE(shown.playlists.at(1).videoLoop, "rain"); // a carried video's name
        QCOMPARE(shown.ambientLayers->first().url, QUrl(base + "ambient/rain.ogg"));

        // A failed download keeps the starter (tst_panelcontent sees one that arrives replace it).
        QVERIFY(TestSupport::wait(service->refresh()).error);
        QVERIFY(service->showsStarter());
        // Once a catalogue was downloaded, later starts never show the starter again.
        m_server->serve("/manifest.json", Response{.body = catalogue("Rainy Window")});
        QVERIFY(TestSupport::wait(service->refresh()).value);
        auto later = library(m_server->url("/manifest.json"));
        later->loadCachedManifest();
        later->loadStarter(starter);
        QVERIFY(!later->showsStarter());
        QCOMPARE(later->manifest()->playlists.first().name, "Rainy Window");

        // A damaged starter is reported and shows nothing.
        QVERIFY(writeFile(starter + "/manifest.json", "{\"version\": "));
        QVERIFY(QFile::remove(m_locations->manifestFile()));
        auto broken = library(m_server->url("/manifest.json"));
        broken->loadStarter(starter);
        QVERIFY(!broken->hasManifest() && !broken->showsStarter());
        QVERIFY(broken->lastError());
    }

    void aRefreshAskedDuringOneFetchesAgainFromTheNewAddress()
    {
        m_server->serve("/old.json", Response{.body = catalogue("Old"), .delay = 200ms});
        m_server->serve("/new.json", Response{.body = catalogue("New")});
        auto service = library(m_server->url("/old.json"));
        QSignalSpy urlChanged(service.get(), &LibraryService::manifestURLChanged);
        auto running = service->refresh();
        service->setManifestURL(m_server->url("/new.json"));
        service->setManifestURL(m_server->url("/new.json"));
        QCOMPARE(urlChanged.count(), 1);
        auto folded = service->refresh(); // folded into the running one
        QVERIFY(TestSupport::wait(std::move(running)).value);
        QVERIFY(TestSupport::wait(std::move(folded)).value);
        QCOMPARE(service->manifest()->playlists.first().name, "New");
        QCOMPARE(m_server->requestCount("/new.json"), 1);
        QVERIFY(!service->isRefreshing());
    }

    void aSavedCopyIsRevalidatedAndA304KeepsIt()
    {
        m_server->serve("/manifest.json", Response{.body = catalogue("First"), .etag = "\"v1\""});
        QVERIFY(TestSupport::wait(library(m_server->url("/manifest.json"))->refresh()).value);
        QCOMPARE(m_server->lastRequestHeader("/manifest.json", "If-None-Match"), QByteArray());

        // The next start asks whether its copy changed; the answer costs no body.
        auto later = library(m_server->url("/manifest.json"));
        later->loadCachedManifest();
        Notifications seen(*later);
        QVERIFY(TestSupport::wait(later->refresh()).value);
        QCOMPARE(m_server->lastRequestHeader("/manifest.json", "If-None-Match"), "\"v1\"");
        QCOMPARE(seen.events, QStringList({"refreshing", "lastError", "idle"}));
        QCOMPARE(later->manifest()->playlists.first().name, "First");

        m_server->serve("/manifest.json", Response{.body = catalogue("Second"), .etag = "\"v2\""});
        QVERIFY(TestSupport::wait(later->refresh()).value);
        QCOMPARE(later->manifest()->playlists.first().name, "Second");
        QCOMPARE(readFile(m_locations->manifestFile()), catalogue("Second"));

        // Validators of one address are never sent to another.
        m_server->serve("/other.json", Response{.body = catalogue("Other"), .etag = "\"v2\""});
        later->setManifestURL(m_server->url("/other.json"));
        QVERIFY(TestSupport::wait(later->refresh()).value);
        QCOMPARE(m_server->lastRequestHeader("/other.json", "If-None-Match"), QByteArray());
        QCOMPARE(later->manifest()->playlists.first().name, "Other");
    }

    void refreshesADayLaterAndBacksOffWithJitterAfterFailures()
    {
        m_server->serve("/manifest.json",
                        QList<Response>{{.status = 503},
                                        {.status = 503},
                                        {.body = catalogue("A"),
                                         .headers = {{"Cache-Control", "public, max-age=1"}}}});
        auto service = library(m_server->url("/manifest.json"));
        const CatalogueRefresher::Options options{.day = 300ms,
                                                  .spread = 100ms,
                                                  .firstBackoff = 40ms,
                                                  .backoffCeiling = 60ms,
                                                  .networkReturnSpread = 20ms,
                                                  .random = [] { return 0.5; }};
        CatalogueRefresher refresher(*service, options);

        QVERIFY(TestSupport::wait(service->refresh()).error); // the one at start
        QCOMPARE(refresher.plannedPause(), 20ms);             // half of the first back-off
        QTRY_COMPARE(refresher.failures(), 2);
        QCOMPARE(refresher.plannedPause(), 30ms); // doubled, held to the ceiling, halved
        QTRY_VERIFY(service->hasManifest());
        QCOMPARE(refresher.failures(), 0);
        QCOMPARE(refresher.plannedPause(), 1050ms); // max-age over a day, then the spread
        // The network's return asks again only once the last success is a day old.
        refresher.networkReturned();
        QCOMPARE(refresher.plannedPause(), 1050ms);
        QTest::qWait(350);
        refresher.networkReturned();
        QCOMPARE(refresher.plannedPause(), 10ms);
        QTRY_COMPARE(m_server->requestCount("/manifest.json"), 4);

        // The application's own spacing: a day and up to an hour; back-off up to six hours.
        const CatalogueRefresher::Options real;
        QCOMPARE(CatalogueRefresher::pauseAfter(0, 1.0, 0ms, real), 25h);
        QCOMPARE(CatalogueRefresher::pauseAfter(0, 0.0, 48h, real), 48h);
        QCOMPARE(CatalogueRefresher::pauseAfter(3, 1.0, 0ms, real), 4min);
        QCOMPARE(CatalogueRefresher::pauseAfter(1000, 1.0, 0ms, real), 6h);
        QCOMPARE(CatalogueRefresher::pauseAfter(1000, 0.0, 0ms, real), 0ms);
    }

    void destroyingTheServiceAbortsItsRefresh()
    {
        auto service = serving({.body = catalogue("Slow"), .chunkSize = 16, .chunkPause = 100ms});
        auto task = service->refresh();
        QSignalSpy requests(m_server.get(), &TestHttpServer::requestReceived);
        QVERIFY(requests.wait());
        service.reset();

        const auto outcome = TestSupport::wait(std::move(task), 5s);
        QCOMPARE(outcome.error.value().domain(), AppError::Domain::Cancelled);
        QCOMPARE(m_server->requestCount("/manifest.json"), 1);
        QVERIFY(!QFileInfo::exists(m_locations->manifestFile()));
    }
};

QTEST_GUILESS_MAIN(TestLibraryService)
#include "tst_library.moc"
