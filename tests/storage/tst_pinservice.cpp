#include "catalogue/LibraryService.h"
#include "core/AppError.h"
#include "storage/CacheService.h"
#include "storage/PinService.h"
#include "support/StorageFixture.h"
#include "support/TestCatalogue.h"
#include "support/TestSupport.h"

#include <QNetworkAccessManager>
#include <QTest>

using namespace std::chrono_literals;
using Response = TestHttpServer::Response;
using TestSupport::wait;

// A pin service over a catalogue whose tracks a loopback server answers with 200.
struct PinRig
{
    StorageFixture f;
    TestHttpServer server;
    std::shared_ptr<QNetworkAccessManager> network = std::make_shared<QNetworkAccessManager>();
    std::unique_ptr<LibraryService> library = makeLibrary();
    std::unique_ptr<PinService> pins;
    QStringList requests; // in the order the server received them

    // Scene id -> its track ids, served at /<id>.mp3.
    explicit PinRig(const QList<std::pair<QString, QStringList>> &scenes)
    {
        if (!scenes.isEmpty()) {
            f.write(f.locations.manifestFile(), catalogueJson(servedCatalogue(server, scenes)));
            library->loadCachedManifest();
        }
        QObject::connect(&server, &TestHttpServer::requestReceived,
                         [this](const QString &path) { requests.append(path); });
        build();
    }

    std::unique_ptr<LibraryService> makeLibrary()
    {
        return std::make_unique<LibraryService>(server.url("/manifest.json"),
                                                HTTPClient(network, {0ms}), f.locations);
    }
    void build()
    {
        pins = std::make_unique<PinService>(*library, HTTPClient(network, {0ms}), f.locations,
                                            *f.settings);
    }
    // As at start: the saved catalogue is loaded, then the folders are swept.
    void restart()
    {
        pins.reset();
        library = makeLibrary();
        build();
        library->loadCachedManifest();
        pins->sweep();
    }
    QStringList files() const { return f.filesIn(f.locations.pinnedDir()); }
    QString stored() const
    {
        return f.settings->stringValue(SettingsKey::pinnedPlaylistIds).value_or("absent");
    }
};

class TestPinService : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pinFetchesMissingTracksInOrderAndPublishesProgress()
    {
        PinRig rig({{"rain", {"t1", "t2", "t3"}}});
        QVERIFY(rig.library->hasManifest());
        QVERIFY(rig.f.write(rig.f.pinned("t2"), "audio of t2"));
        QStringList progress;
        connect(rig.pins.get(), &PinService::pinTracksDoneChanged, this, [&] {
            progress << QString::number(rig.pins->pinTracksDone()) + "/" +
                            QString::number(rig.pins->pinTracksTotal()) +
                            rig.pins->pinningPlaylistId();
        });

        QVERIFY(wait(rig.pins->pin("rain")).value);
        QCOMPARE(rig.requests, (QStringList{"/t1.mp3", "/t3.mp3"}));
        QCOMPARE(rig.f.read(rig.f.pinned("t3")), QByteArray("audio of t3"));
        QCOMPARE(progress, (QStringList{"1/3rain", "2/3rain", "3/3rain", "0/0"}));
        QCOMPARE(rig.stored(), "[\"rain\"]");
        QVERIFY(rig.f.filesIn(rig.f.locations.cacheDir()).isEmpty());

        // Everything present: pinned again at once, without a request.
        QVERIFY(wait(rig.pins->pin("rain")).value);
        QCOMPARE(rig.requests.size(), 2);
    }

    void failedPinKeepsItsFilesAndResumesWhereItStopped()
    {
        PinRig rig({{"rain", {"t1", "t2", "t3", "t4", "t5"}}});
        rig.server.serve("/t3.mp3", 500, "boom");
        const auto failed = wait(rig.pins->pin("rain"));
        QCOMPARE(failed.error->code(), AppError::BadServerResponse);
        QCOMPARE(rig.files(), (QStringList{"t1.mp3", "t2.mp3"}));
        QCOMPARE(rig.stored(), "absent");

        rig.server.serve("/t3.mp3", 200, "audio of t3");
        rig.requests.clear();
        QVERIFY(wait(rig.pins->pin("rain")).value);
        QCOMPARE(rig.requests, (QStringList{"/t3.mp3", "/t4.mp3", "/t5.mp3"}));
        QVERIFY(rig.pins->isPinned("rain"));
    }

    // A full disk takes back what the pin fetched; the start-up sweep keeps only pinned tracks.
    void diskFullPinLeavesNothingAndTheSweepKeepsOnlyPinnedTracks()
    {
        PinRig rig({{"rain", {"t1", "t2", "t3"}}});
        rig.server.serve("/t3.mp3", 200, QByteArray(64 * 1024, 'a'));
        TestSupport::DiskLimit full(16 * 1024);
        const auto failed = wait(rig.pins->pin("rain"));
        full.lift();
        QVERIFY(failed.error.value().isOutOfSpace());
        QVERIFY(rig.files().isEmpty());
        QVERIFY(!rig.pins->isPinned("rain"));

        QVERIFY(wait(rig.pins->pin("rain")).value);
        QVERIFY(rig.f.write(rig.f.pinned("stray"), "x") &&
                rig.f.write(rig.f.pinned("t1") + ".partial", "x"));
        rig.pins->sweep();
        QCOMPARE(rig.files(), (QStringList{"t1.mp3", "t2.mp3", "t3.mp3"}));
    }

    void sceneWithAnUnsafeTrackIdIsRefusedWhole()
    {
        PinRig rig({{"rain", {"t1", ".."}}});
        QCOMPARE(wait(rig.pins->pin("rain")).error->domain(), AppError::Domain::File);
        QVERIFY(rig.requests.isEmpty());
        QVERIFY(rig.files().isEmpty());
        QVERIFY(!rig.pins->isPinned("rain"));
    }

    void withoutCatalogueOnlyTheMarkChanges()
    {
        PinRig rig({});
        rig.f.settings->setString(SettingsKey::pinnedPlaylistIds, "[\"b\",\"a\"]");
        QVERIFY(rig.f.write(rig.f.pinned("t1"), "kept"));
        rig.build();
        QCOMPARE(rig.pins->pinnedPlaylistIdList(), (QStringList{"a", "b"}));
        QVERIFY(wait(rig.pins->pin("c")).value);
        rig.pins->unpin("a");
        QCOMPARE(rig.stored(), "[\"b\"]");
        QCOMPARE(rig.files(), QStringList{"t1.mp3"});
    }

    void unpinKeepsFilesAnotherPinnedSceneNeeds()
    {
        PinRig rig({{"a", {"t1", "t2"}}, {"b", {"t2", "t3"}}});
        QVERIFY(wait(rig.pins->pin("a")).value && wait(rig.pins->pin("b")).value);
        QVERIFY(rig.f.write(rig.f.cached("t1"), "cached copy"));
        rig.pins->unpin("a");
        QCOMPARE(rig.files(), (QStringList{"t2.mp3", "t3.mp3"}));
        QVERIFY(QFile::exists(rig.f.cached("t1")));
        QCOMPARE(rig.stored(), "[\"b\"]");
    }

    void pinsRunOneAtATimeAndUnpinStopsThem()
    {
        PinRig rig({{"a", {"t1", "t2"}}, {"b", {"t3"}}, {"c", {"t4"}}});
        rig.server.serve("/t1.mp3", Response{.body = "audio of t1", .delay = 100ms});
        QStringList pinning;
        connect(rig.pins.get(), &PinService::pinningPlaylistIdChanged, this,
                [&] { pinning << rig.pins->pinningPlaylistId(); });

        auto a = rig.pins->pin("a");
        auto b = rig.pins->pin("b");
        QCOMPARE(rig.pins->pendingPlaylistIds(), (QStringList{"a", "b"}));
        QVERIFY(wait(std::move(b)).value && wait(std::move(a)).value);
        QCOMPARE(rig.requests, (QStringList{"/t1.mp3", "/t2.mp3", "/t3.mp3"}));
        QCOMPARE(pinning, (QStringList{"a", "", "b", ""}));

        // Unpinned while its track is arriving: the pin stops without writing it or marking
        // the scene, and a pin waiting behind it runs.
        rig.pins->unpin("a");
        connect(&rig.server, &TestHttpServer::requestReceived, this, [&](const QString &path) {
            if (path == "/t1.mp3")
                rig.pins->unpin("a");
        });
        auto again = rig.pins->pin("a");
        auto c = rig.pins->pin("c");
        QCOMPARE(wait(std::move(again)).error->domain(), AppError::Domain::Cancelled);
        QVERIFY(wait(std::move(c)).value);
        QCOMPARE(rig.files(), (QStringList{"t3.mp3", "t4.mp3"}));
        QCOMPARE(rig.pins->pinnedPlaylistIdList(), (QStringList{"b", "c"}));
    }

    // The scene's old tracks stay until its new ones are all there, so it plays offline at
    // every step, however its fetches fare.
    void pinnedSceneFollowsCatalogueChanges()
    {
        PinRig rig({{"s", {"a", "b"}}});
        QVERIFY(wait(rig.pins->pin("s")).value);
        rig.server.serve("/manifest.json", 200,
                         catalogueJson(servedCatalogue(rig.server, {{"s", {"b", "c"}}})));
        rig.server.serve("/c.mp3", 404, "");
        QVERIFY(wait(rig.library->refresh()).value);
        QTRY_VERIFY(rig.requests.contains("/c.mp3") && rig.pins->pendingPlaylistIds().isEmpty());
        QCOMPARE(rig.pins->updating("s"), std::optional(PinService::Presence{1, 2}));
        rig.restart();
        QCOMPARE(rig.files(), (QStringList{"a.mp3", "b.mp3"}));

        // Fetched at the next start, and during a run at the next change.
        rig.server.serve("/c.mp3", 200, "audio of c");
        rig.restart();
        QTRY_COMPARE(rig.files(), (QStringList{"b.mp3", "c.mp3"}));
        const QByteArray followed = catalogueJson(servedCatalogue(rig.server, {{"s", {"c", "d"}}}));
        rig.server.serve("/manifest.json", 200, followed);
        QVERIFY(wait(rig.library->refresh()).value);
        QTRY_COMPARE(rig.files(), (QStringList{"c.mp3", "d.mp3"}));
        QCOMPARE(rig.pins->updating("s"), std::nullopt);

        // Another catalogue, not listing the scene, takes nothing from it, during a run nor at
        // a start; back on the first, the scene is whole at once.
        rig.server.serve("/manifest.json", 200,
                         catalogueJson(servedCatalogue(rig.server, {{"o", {"e"}}})));
        QVERIFY(wait(rig.library->refresh()).value);
        rig.restart();
        QCOMPARE(rig.files(), (QStringList{"c.mp3", "d.mp3"}));
        rig.server.serve("/manifest.json", 200, followed);
        QVERIFY(wait(rig.library->refresh()).value);
        QCOMPARE(rig.pins->updating("s"), std::nullopt);

        rig.server.close();
        rig.restart();
        CacheService cache(rig.f.locations, *rig.f.store, *rig.f.settings);
        for (const QString id : {"c", "d"})
            QCOMPARE(cache.cachedURL(id), std::optional(QUrl::fromLocalFile(rig.f.pinned(id))));
    }
};

QTEST_GUILESS_MAIN(TestPinService)
#include "tst_pinservice.moc"
