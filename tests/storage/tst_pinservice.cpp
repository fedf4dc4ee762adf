#include "Duskhaven/AppError.h"
#include "catalogue/LibraryService.h"
#include "storage/PinService.h"
#include "storage/StorageFixture.h"
#include "support/TestHttpServer.h"
#include "support/TestSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QSignalSpy>
#include <QTest>

using namespace std::chrono_literals;
using Response = TestHttpServer::Response;
using TestSupport::wait;

namespace {
QByteArray audio(const QString &trackId)
{
    return "audio of " + trackId.toUtf8() + QByteArray(2000, 'x');
}

// A pin under test, with the catalogue it reads and the server its tracks come from.
struct PinRig
{
    StorageFixture f;
    TestHttpServer server;
    std::shared_ptr<QNetworkAccessManager> network = std::make_shared<QNetworkAccessManager>();
    LibraryService library{QUrl("http://127.0.0.1:1/manifest.json"), HTTPClient(network, {0ms}),
                           f.locations};
    std::unique_ptr<PinService> pins;
    QStringList requests; // track paths in the order the server received them

    PinRig()
    {
        QObject::connect(&server, &TestHttpServer::requestReceived,
                         [this](const QString &path) { requests.append(path); });
    }

    // Publishes a catalogue of these scenes (scene id → track ids) whose tracks the server
    // answers with 200, and builds the service.
    void catalogue(const QList<std::pair<QString, QStringList>> &scenes)
    {
        QJsonArray tracks, playlists;
        QSet<QString> seen;
        for (const auto &[scene, ids] : scenes) {
            for (const QString &id : ids) {
                if (seen.contains(id))
                    continue;
                seen.insert(id);
                const QString path = "/" + QString(id).replace('/', '_') + ".mp3";
                server.serve(path, 200, audio(id));
                tracks.append(QJsonObject{{"id", id},
                                          {"title", id},
                                          {"artist", "A"},
                                          {"url", server.url(path).toString()},
                                          {"durationSeconds", 120},
                                          {"fileSizeBytes", 2000}});
            }
            playlists.append(QJsonObject{{"id", scene},
                                         {"name", scene},
                                         {"description", ""},
                                         {"trackIds", QJsonArray::fromStringList(ids)}});
        }
        const QJsonObject document{{"version", 1},
                                   {"updatedAt", "2025-01-31T18:00:00Z"},
                                   {"tracks", tracks},
                                   {"playlists", playlists}};
        QVERIFY(f.write(f.locations.manifestFile(), QJsonDocument(document).toJson()));
        library.loadCachedManifest();
        QVERIFY2(library.hasManifest(), qPrintable(library.lastErrorDescription()));
        build();
    }

    void build()
    {
        pins = std::make_unique<PinService>(library, HTTPClient(network, {0ms}), f.locations,
                                            *f.settings);
    }

    QStringList pinnedFiles() const { return f.filesIn(f.locations.pinnedDir()); }
    QString stored() const { return *f.settings->stringValue(SettingsKey::pinnedPlaylistIds); }
};

const QStringList five{"t1", "t2", "t3", "t4", "t5"};
} // namespace

class TestPinService : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pinFetchesMissingTracksInOrderAndPublishesProgress()
    {
        PinRig rig;
        rig.catalogue({{"rain", five}});
        QVERIFY(rig.f.write(rig.f.pinned("t2"), audio("t2")));
        QSignalSpy pinnedSpy(rig.pins.get(), &PinService::pinnedPlaylistIdsChanged);
        QStringList progress;
        connect(rig.pins.get(), &PinService::pinTracksDoneChanged, this, [&] {
            progress << QStringLiteral("%1/%2 %3")
                            .arg(rig.pins->pinTracksDone())
                            .arg(rig.pins->pinTracksTotal())
                            .arg(rig.pins->pinningPlaylistId());
        });

        const auto outcome = wait(rig.pins->pin("rain"));
        QVERIFY(!outcome.error);
        QCOMPARE(rig.requests, (QStringList{"/t1.mp3", "/t3.mp3", "/t4.mp3", "/t5.mp3"}));
        for (const QString &id : five)
            QCOMPARE(rig.f.read(rig.f.pinned(id)), audio(id));
        QCOMPARE(progress,
                 (QStringList{"1/5 rain", "2/5 rain", "3/5 rain", "4/5 rain", "5/5 rain", "0/0 "}));
        QCOMPARE(rig.pins->pinnedPlaylistIdList(), QStringList{"rain"});
        QCOMPARE(pinnedSpy.count(), 1);
        QCOMPARE(rig.stored(), QStringLiteral("[\"rain\"]"));
        // Pinned files are not the cache's business.
        QVERIFY(rig.f.filesIn(rig.f.locations.cacheDir()).isEmpty());
        QVERIFY(rig.f.recordedIds().isEmpty());

        // Everything present: marked at once, without a request.
        rig.requests.clear();
        QVERIFY(wait(rig.pins->pin("rain")).value);
        QVERIFY(rig.requests.isEmpty());
        QCOMPARE(pinnedSpy.count(), 1);
    }

    void failedPinKeepsItsFilesAndResumesWhereItStopped()
    {
        PinRig rig;
        rig.catalogue({{"rain", five}});
        rig.server.serve("/t3.mp3", 500, "boom");

        const auto failed = wait(rig.pins->pin("rain"));
        QVERIFY(failed.error);
        QCOMPARE(failed.error->code(), AppError::BadServerResponse);
        QCOMPARE(rig.pinnedFiles(), (QStringList{"t1.mp3", "t2.mp3"}));
        QVERIFY(rig.pins->pinnedPlaylistIds().isEmpty());
        QVERIFY(!rig.f.settings->contains(SettingsKey::pinnedPlaylistIds));
        QCOMPARE(rig.pins->pinningPlaylistId(), QString());

        rig.server.serve("/t3.mp3", 200, audio("t3"));
        rig.requests.clear();
        QVERIFY(wait(rig.pins->pin("rain")).value);
        QCOMPARE(rig.requests, (QStringList{"/t3.mp3", "/t4.mp3", "/t5.mp3"}));
        QVERIFY(rig.pins->isPinned("rain"));
    }

    void sceneWithAnUnsafeTrackIdIsRefusedWhole()
    {
        PinRig rig;
        rig.catalogue({{"rain", {"t1", "../evil"}}});
        const auto outcome = wait(rig.pins->pin("rain"));
        QVERIFY(outcome.error);
        QCOMPARE(outcome.error->domain(), AppError::Domain::File);
        QVERIFY(rig.requests.isEmpty());
        QVERIFY(rig.pinnedFiles().isEmpty());
        QVERIFY(!QFile::exists(rig.f.locations.appRoot() + "/evil.mp3"));
        QVERIFY(!rig.pins->isPinned("rain"));
    }

    void withoutCatalogueOnlyTheMarkChanges()
    {
        PinRig rig;
        rig.f.settings->setString(SettingsKey::pinnedPlaylistIds, "[\"b\",\"a\"]");
        QVERIFY(rig.f.write(rig.f.pinned("t1"), "kept"));
        rig.build();
        QCOMPARE(rig.pins->pinnedPlaylistIdList(), (QStringList{"a", "b"}));

        const auto outcome = wait(rig.pins->pin("c"));
        QVERIFY(outcome.value);
        QVERIFY(!rig.pins->isPinned("c"));
        rig.pins->unpin("a");
        QCOMPARE(rig.stored(), QStringLiteral("[\"b\"]"));
        QCOMPARE(rig.pinnedFiles(), QStringList{"t1.mp3"});

        // An unreadable stored set reads as empty and is replaced by the next unpin.
        rig.f.settings->setString(SettingsKey::pinnedPlaylistIds, "not json");
        rig.build();
        QVERIFY(rig.pins->pinnedPlaylistIds().isEmpty());
        rig.pins->unpin("x");
        QCOMPARE(rig.stored(), QStringLiteral("[]"));
    }

    void unpinKeepsFilesAnotherPinnedSceneNeeds()
    {
        PinRig rig;
        rig.catalogue({{"a", {"t1", "t2"}}, {"b", {"t2", "t3"}}, {"c", {"t4"}}});
        QVERIFY(wait(rig.pins->pin("a")).value);
        QVERIFY(wait(rig.pins->pin("b")).value);
        QVERIFY(rig.f.write(rig.f.cached("t1"), "cached copy"));
        QSignalSpy pinnedSpy(rig.pins.get(), &PinService::pinnedPlaylistIdsChanged);

        rig.pins->unpin("a");
        QCOMPARE(rig.pinnedFiles(), (QStringList{"t2.mp3", "t3.mp3"}));
        QVERIFY(QFile::exists(rig.f.cached("t1")));
        QCOMPARE(rig.stored(), QStringLiteral("[\"b\"]"));
        QCOMPARE(pinnedSpy.count(), 1);

        // Unpinning what is not pinned changes nothing observable.
        rig.pins->unpin("c");
        QCOMPARE(pinnedSpy.count(), 1);
        rig.pins->unpin("b");
        QVERIFY(rig.pinnedFiles().isEmpty());
    }

    void pinsRunOneAtATimeInOrder()
    {
        PinRig rig;
        rig.catalogue({{"a", {"t1", "t2"}}, {"b", {"t3"}}});
        for (const char *path : {"/t1.mp3", "/t2.mp3", "/t3.mp3"})
            rig.server.serve(path, Response{.body = audio(path), .delay = 100ms});
        QStringList pinning;
        connect(rig.pins.get(), &PinService::pinningPlaylistIdChanged, this,
                [&] { pinning << rig.pins->pinningPlaylistId(); });

        auto first = rig.pins->pin("a");
        auto second = rig.pins->pin("b");
        QCOMPARE(rig.pins->pendingPlaylistIds(), (QStringList{"a", "b"}));
        QVERIFY(!wait(std::move(second)).error);
        QVERIFY(!wait(std::move(first)).error);
        QCOMPARE(rig.requests, (QStringList{"/t1.mp3", "/t2.mp3", "/t3.mp3"}));
        QCOMPARE(pinning, (QStringList{"a", "", "b", ""}));
        QCOMPARE(rig.pins->pinnedPlaylistIdList(), (QStringList{"a", "b"}));
        QVERIFY(rig.pins->pendingPlaylistIds().isEmpty());
    }

    void unpinStopsAPinUnderWayOrWaiting()
    {
        PinRig rig;
        rig.catalogue({{"a", {"t1", "t2"}}, {"b", {"t3"}}});
        rig.server.serve("/t1.mp3", Response{.body = audio("t1"), .delay = 200ms});
        bool unpinned = false;
        connect(&rig.server, &TestHttpServer::requestReceived, this, [&](const QString &path) {
            if (path == "/t1.mp3" && !std::exchange(unpinned, true)) {
                rig.pins->unpin("a");
                rig.pins->unpin("b");
            }
        });

        auto running = rig.pins->pin("a");
        auto waiting = rig.pins->pin("b");
        const auto a = wait(std::move(running));
        const auto b = wait(std::move(waiting));
        QVERIFY(a.error && b.error);
        QCOMPARE(a.error->domain(), AppError::Domain::Cancelled);
        QCOMPARE(b.error->domain(), AppError::Domain::Cancelled);
        // Neither the track that was arriving nor any later one was written.
        QVERIFY(rig.pinnedFiles().isEmpty());
        QCOMPARE(rig.requests, QStringList{"/t1.mp3"});
        QVERIFY(rig.pins->pinnedPlaylistIds().isEmpty());

        // A pin asked for after the unpin runs normally.
        QVERIFY(wait(rig.pins->pin("a")).value);
        QVERIFY(rig.pins->isPinned("a"));
    }

    void destroyingTheServiceCancelsEveryPin()
    {
        PinRig rig;
        rig.catalogue({{"a", {"t1"}}, {"b", {"t2"}}});
        rig.server.serve("/t1.mp3",
                         Response{.body = audio("t1"), .chunkSize = 100, .chunkPause = 50ms});
        auto running = rig.pins->pin("a");
        auto waiting = rig.pins->pin("b");
        QTRY_COMPARE(rig.requests.size(), 1);
        rig.pins.reset();
        const auto a = wait(std::move(running), 5s);
        const auto b = wait(std::move(waiting), 5s);
        QVERIFY(a.error && b.error);
        QCOMPARE(a.error->domain(), AppError::Domain::Cancelled);
        QCOMPARE(b.error->domain(), AppError::Domain::Cancelled);
        QVERIFY(rig.pinnedFiles().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestPinService)
#include "tst_pinservice.moc"
