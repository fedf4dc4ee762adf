#include "catalogue/HTTPClient.h"
#include "core/AppError.h"
#include "core/Cancellation.h"
#include "support/TestHttpServer.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QNetworkAccessManager>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

using namespace std::chrono_literals;
using Response = TestHttpServer::Response;

using TestSupport::readFile;

namespace {
QByteArray pattern(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char('a' + (i * 7) % 26);
    return bytes;
}
} // namespace

class TestHTTPClient : public QObject
{
    Q_OBJECT

    std::shared_ptr<QNetworkAccessManager> m_network = std::make_shared<QNetworkAccessManager>();
    std::unique_ptr<TestHttpServer> m_server;

    HTTPClient client(HTTPClient::Delays delays = {0ms, 50ms, 100ms}) const
    {
        return HTTPClient(m_network, std::move(delays));
    }

private Q_SLOTS:
    void init() { m_server = std::make_unique<TestHttpServer>(); }

    // Error statuses are answers too; tst_library and tst_catalogue see that they are not retried.
    void aRedirectIsFollowed()
    {
        m_server->serve("/doc", 200, "moved here");
        m_server->serve("/old", Response{.status = 302, .headers = {{"Location", "/doc"}}});
        const auto outcome = TestSupport::wait(client().data(m_server->url("/old")));
        QCOMPARE(outcome.value.value().status, 200);
        QCOMPARE(outcome.value->body, QByteArray("moved here"));
        QCOMPARE(m_server->requestCount("/doc"), 1);
    }

    void onlyTheLocalFolderIsReadFromDisk()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath("starter/tracks"));
        const QString inside = dir.filePath("starter/tracks/a.mp3");
        QVERIFY(TestSupport::writeFile(inside, pattern(600'000)));
        QVERIFY(TestSupport::writeFile(dir.filePath("secret"), "not for the catalogue"));
        QVERIFY(QFile::link(dir.filePath("secret"), dir.filePath("starter/link")));
        QVERIFY(mkfifo(QFile::encodeName(dir.filePath("starter/fifo")).constData(), 0600) == 0);
        HTTPClient http = client({0ms});
        http.setLocalFolder(dir.filePath("starter"));

        const auto read = TestSupport::wait(http.data(QUrl::fromLocalFile(inside)));
        QCOMPARE(read.value.value().status, 200);
        QCOMPARE(read.value->body, pattern(600'000));
        const QString copy = dir.filePath("copy.mp3");
        QCOMPARE(TestSupport::wait(http.download(QUrl::fromLocalFile(inside), copy)).value, 200);
        QCOMPARE(readFile(copy), pattern(600'000));

        // Outside the folder, out through "..", out through a link, a pipe that would block
        // the reader, a folder: each refused without a read; and with no local folder at all.
        for (const QString &path :
             {dir.filePath("secret"), dir.filePath("starter/tracks/../../secret"),
              dir.filePath("starter/link"), dir.filePath("starter/fifo"),
              dir.filePath("starter/tracks")}) {
            const auto refused = TestSupport::wait(http.data(QUrl::fromLocalFile(path)));
            QVERIFY2(refused.error, qPrintable(path));
            QCOMPARE(refused.error->code(), AppError::UrlNoPermissionsToReadFile);
            QVERIFY(!TestSupport::wait(http.download(QUrl::fromLocalFile(path), copy + "2")).value);
            QVERIFY(!QFile::exists(copy + "2"));
        }
        QVERIFY(TestSupport::wait(client({0ms}).data(QUrl::fromLocalFile(inside))).error);
    }

    void oversizedAndEndlessBodiesAreCutOff()
    {
        m_server->serve("/big", Response{.body = pattern(2000)});
        m_server->serve("/endless", Response{.body = pattern(64 * 1024), .endless = true});
        m_server->serve("/error-page",
                        Response{.status = 404, .body = pattern(64 * 1024), .endless = true});
        const HTTPClient http = client({0ms});

        // An announced length over the limit, and a body with no end: cut and reported.
        for (const char *path : {"/big", "/endless"}) {
            const auto cut = TestSupport::wait(http.data(m_server->url(path), {}, {}, 1000));
            QVERIFY2(cut.error, path);
            QCOMPARE(cut.error->code(), AppError::UrlDataLengthExceedsMaximum);
        }
        QTemporaryDir dir;
        const auto download = TestSupport::wait(
            http.download(m_server->url("/endless"), dir.filePath("t"), {}, 300'000));
        QCOMPARE(download.error.value().code(), AppError::UrlDataLengthExceedsMaximum);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList()); // no partial file

        // An endless error page is still an answer: its status, and at most 64 KiB of it.
        const auto page = TestSupport::wait(http.data(m_server->url("/error-page")));
        QCOMPARE(page.value.value().status, 404);
        QVERIFY(page.value->body.size() <= HTTPClient::errorBodyLimit);
        QCOMPARE(m_server->requestCount("/endless"), 2); // never retried
    }

    void aCutDownloadGoesOnWhereItStoppedWhileTheFileIsTheSame()
    {
        const QByteArray track = pattern(200'000), changed = pattern(150'000).toUpper();
        m_server->serve("/same",
                        QList<Response>{{.body = track, .dropAfter = 80'000, .etag = "\"a\""},
                                        {.body = track, .etag = "\"a\""}});
        m_server->serve("/changed",
                        QList<Response>{{.body = track, .dropAfter = 80'000, .etag = "\"a\""},
                                        {.body = changed, .etag = "\"b\""}});
        QTemporaryDir dir;
        const HTTPClient http = client({0ms, 10ms});

        QCOMPARE(TestSupport::wait(http.download(m_server->url("/same"), dir.filePath("s"))).value,
                 200);
        QCOMPARE(readFile(dir.filePath("s")), track);
        QCOMPARE(m_server->lastRequestHeader("/same", "Range"), "bytes=80000-");

        // The host's copy changed meanwhile: it answers 200 with the whole new body.
        QCOMPARE(
            TestSupport::wait(http.download(m_server->url("/changed"), dir.filePath("c"))).value,
            200);
        QCOMPARE(readFile(dir.filePath("c")), changed);

        // A call that fails keeps its partial file; a later call, from another copy of the
        // client, asks only for the rest.
        m_server->serve("/later",
                        QList<Response>{{.body = track, .dropAfter = 80'000, .etag = "\"a\""},
                                        {.body = track, .etag = "\"a\""}});
        const HTTPClient once = http.withRetryDelays({0ms});
        QVERIFY(TestSupport::wait(once.download(m_server->url("/later"), dir.filePath("l"))).error);
        QCOMPARE(QFileInfo(dir.filePath("l.partial")).size(), 80'000);
        QCOMPARE(
            TestSupport::wait(HTTPClient(http).download(m_server->url("/later"), dir.filePath("l")))
                .value,
            200);
        QCOMPARE(m_server->lastRequestHeader("/later", "Range"), "bytes=80000-");
        QCOMPARE(readFile(dir.filePath("l")), track);
    }

    void transportFailuresAreRetriedAfterPauses_data()
    {
        QTest::addColumn<bool>("refused");
        QTest::addColumn<int>("code");
        // Headers and half the body, then the connection closes: a status line arrived, yet the
        // transfer failed.
        QTest::newRow("dropped mid-body") << false << AppError::UrlNetworkConnectionLost;
        QTest::newRow("connection refused") << true << AppError::UrlCannotConnect;
    }

    void transportFailuresAreRetriedAfterPauses()
    {
        QFETCH(bool, refused);
        QFETCH(int, code);
        m_server->serve("/track", Response{.body = QByteArray(1000, 'x'), .dropAfter = 500});
        QUrl url = m_server->url("/track");
        if (refused)
            url.setPort(TestHttpServer::unusedPort());

        QElapsedTimer clock;
        clock.start();
        const auto outcome = TestSupport::wait(client({0ms, 200ms, 300ms}).data(url));
        QCOMPARE(outcome.error.value().domain(), AppError::Domain::Url);
        QCOMPARE(outcome.error->code(), code);
        QCOMPARE(m_server->requestCount("/track"), refused ? 0 : 3);
        // At least half of each mean pause.
        QVERIFY2(clock.elapsed() >= 250, qPrintable(QString::number(clock.elapsed())));
    }

    void retryPausesAreSpreadAroundTheirMean()
    {
        QCOMPARE(HTTPClient::jitteredPause(3000ms, 0.0), 1500ms);
        QCOMPARE(HTTPClient::jitteredPause(3000ms, 0.5), 3000ms);
        QCOMPARE(HTTPClient::jitteredPause(7000ms, 1.0), 10500ms);
        QCOMPARE(HTTPClient::jitteredPause(7000ms, 7.0), 10500ms); // held to the range
    }

    void laterAttemptCanSucceedAfterTheClientIsGone()
    {
        const Response dropped{.body = "partial body", .dropAfter = 3};
        m_server->serve("/doc", QList<Response>{dropped, dropped, Response{.body = "whole"}});

        QCoro::Task<HTTPResponse> task = [&] {
            const HTTPClient shortLived(std::make_shared<QNetworkAccessManager>(),
                                        {0ms, 50ms, 50ms});
            return shortLived.data(m_server->url("/doc"));
        }();
        const auto outcome = TestSupport::wait(std::move(task));
        QCOMPARE(outcome.value.value().body, QByteArray("whole"));
        QCOMPARE(m_server->requestCount("/doc"), 3);

        // One entry: one attempt and no pause, however long the entry.
        m_server->serve("/dropped", dropped);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(TestSupport::wait(client({5s}).data(m_server->url("/dropped"))).error);
        QCOMPARE(m_server->requestCount("/dropped"), 1);
        QVERIFY(clock.elapsed() < 4000);
    }

    // A call nobody waits for any more (a prefetch whose player is gone) may hold the last
    // reference to the manager. The manager must not go inside the reply's finished signal: it
    // would delete the reply under it.
    void aCallNobodyWaitsForReleasesTheManagerAfterItsReply()
    {
        m_server->serve("/doc", 200, "body");
        auto network = std::make_shared<QNetworkAccessManager>();
        bool finishing = false, destroyed = false, destroyedWhileFinishing = false;
        connect(network.get(), &QNetworkAccessManager::finished, this, [&] {
            finishing = true;
            QMetaObject::invokeMethod(
                this, [&] { finishing = false; }, Qt::QueuedConnection);
        });
        connect(network.get(), &QObject::destroyed, this, [&] {
            destroyed = true;
            destroyedWhileFinishing = finishing;
        });
        HTTPClient(std::exchange(network, nullptr), {0ms})
            .data(m_server->url("/doc")); // not awaited
        QTRY_VERIFY(destroyed);
        QVERIFY(!destroyedWhileFinishing);
    }

    void transferTimeoutIsRetried()
    {
        m_server->serve("/slow", QList<Response>{Response{.body = "late", .delay = 3s},
                                                 Response{.body = "in time"}});

        const HTTPClient impatient(m_network, {0ms, 50ms}, 300ms);
        const auto outcome = TestSupport::wait(impatient.data(m_server->url("/slow")));
        QCOMPARE(outcome.value.value().body, QByteArray("in time"));
        QCOMPARE(m_server->requestCount("/slow"), 2);
    }

    void cancelStopsAPauseOrATransferAtOnce_data()
    {
        QTest::addColumn<Response>("response");
        QTest::newRow("during a pause") << Response{.body = "abc", .dropAfter = 0};
        QTest::newRow("during a transfer")
            << Response{.body = QByteArray(100, 'x'), .chunkSize = 10, .chunkPause = 200ms};
    }

    void cancelStopsAPauseOrATransferAtOnce()
    {
        QFETCH(Response, response);
        m_server->serve("/doc", response);
        const CancellationToken cancel = CancellationToken::create();

        QElapsedTimer clock;
        clock.start();
        auto task = client({0ms, 1s, 7s}).data(m_server->url("/doc"), cancel);
        QTRY_COMPARE(m_server->requestCount("/doc"), 1);
        QTest::qWait(300); // the first attempt has failed or is half-way through
        cancel.cancel();
        const auto outcome = TestSupport::wait(std::move(task));
        QCOMPARE(outcome.error.value().domain(), AppError::Domain::Cancelled);
        QVERIFY(clock.elapsed() < 900);

        // No further attempt, not even once the pause would have ended; and a token cancelled
        // beforehand makes no request at all.
        QTest::qWait(1000);
        const auto early = TestSupport::wait(client().data(m_server->url("/doc"), cancel));
        QCOMPARE(early.error.value().domain(), AppError::Domain::Cancelled);
        QCOMPARE(m_server->requestCount("/doc"), 1);
    }

    void downloadStreamsIntoPlaceAndRetriesAfresh()
    {
        QTemporaryDir dir;
        const QString destination = dir.filePath("track.mp3");
        QVERIFY(TestSupport::writeFile(destination, "previous file"));
        const QByteArray body = pattern(200'000);
        m_server->serve(
            "/t.mp3",
            QList<Response>{
                Response{.body = body, .dropAfter = 120'000},
                Response{.body = body, .chunkSize = 50'000, .chunkPause = 150ms, .etag = "\"t\""}});

        auto task = client().download(m_server->url("/t.mp3"), destination);
        // Mid-transfer the bytes so far sit in the partial file; the old file is untouched.
        QTRY_COMPARE(m_server->requestCount("/t.mp3"), 2);
        QTRY_VERIFY(QFileInfo(destination + ".partial").size() > 0);
        QCOMPARE(readFile(destination), QByteArray("previous file"));

        const auto outcome = TestSupport::wait(std::move(task));
        QCOMPARE(outcome.value.value(), 200);
        QCOMPARE(readFile(destination), body);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"track.mp3"});

        // Cancelled half-way: no half file, though the host could have sent the rest later.
        const CancellationToken cancel = CancellationToken::create();
        task = client().download(m_server->url("/t.mp3"), dir.filePath("again.mp3"), cancel);
        QTRY_VERIFY(QFileInfo(dir.filePath("again.mp3.partial")).size() > 0);
        cancel.cancel();
        QCOMPARE(TestSupport::wait(std::move(task)).error.value().domain(),
                 AppError::Domain::Cancelled);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"track.mp3"});
    }

    // Into a folder that is not there nothing is fetched; a disk that refuses the body leaves
    // no half file. (That a non-200 answer is never kept is guarded through tst_downloadservice.)
    void aDownloadTheDiskCannotTakeLeavesNothing()
    {
        QTemporaryDir dir;
        m_server->serve("/t.mp3", 200, pattern(300'000));
        const auto nowhere = TestSupport::wait(
            client().download(m_server->url("/t.mp3"), dir.filePath("missing/t.mp3")));
        QCOMPARE(nowhere.error.value().domain(), AppError::Domain::File);
        QCOMPARE(m_server->requestCount("/t.mp3"), 0);

        // A file-size limit on this process makes the disk refuse the body part-way, as a full
        // disk would; root is bound by it too.
        TestSupport::DiskLimit full(64 * 1024);
        const auto outcome =
            TestSupport::wait(client().download(m_server->url("/t.mp3"), dir.filePath("t.mp3")));
        full.lift();

        QVERIFY(outcome.error.value().isOutOfSpace());
        QCOMPARE(m_server->requestCount("/t.mp3"), 1); // a disk failure is not retried
        QVERIFY(QDir(dir.path()).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestHTTPClient)
#include "tst_httpclient.moc"
