#include "Duskhaven/AppError.h"
#include "Duskhaven/Cancellation.h"
#include "catalogue/HTTPClient.h"
#include "support/TestHttpServer.h"
#include "support/TestSupport.h"

#include <QElapsedTimer>
#include <QNetworkAccessManager>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace std::chrono_literals;
using Response = TestHttpServer::Response;

class TestHTTPClient : public QObject
{
    Q_OBJECT

    std::shared_ptr<QNetworkAccessManager> m_network = std::make_shared<QNetworkAccessManager>();

    HTTPClient client(HTTPClient::Delays delays = {0ms, 50ms, 100ms}) const
    {
        return HTTPClient(m_network, std::move(delays));
    }

private Q_SLOTS:
    void anyStatusIsAnAnswerAndIsNotRetried_data();
    void anyStatusIsAnAnswerAndIsNotRetried();
    void fileUrlHasStatusZero();
    void redirectsAreFollowed();
    void transportFailuresAreRetriedWithPauses();
    void recoversWhenALaterAttemptSucceeds();
    void refusedConnectionFailsWithLastError();
    void attemptsFollowTheDelayList();
    void transferTimeoutIsATransportFailure();
    void cancelDuringPauseStopsAtOnce();
    void cancelDuringTransferAbortsIt();
    void callOutlivesItsClient();
};

void TestHTTPClient::anyStatusIsAnAnswerAndIsNotRetried_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::newRow("200") << 200 << QByteArray("{\"version\": 1}");
    QTest::newRow("404 error page") << 404 << QByteArray("<h1>Not here</h1>");
    QTest::newRow("500") << 500 << QByteArray("boom");
    QTest::newRow("503") << 503 << QByteArray();
    QTest::newRow("204") << 204 << QByteArray();
    QTest::newRow("304") << 304 << QByteArray();
}

void TestHTTPClient::anyStatusIsAnAnswerAndIsNotRetried()
{
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    TestHttpServer server;
    server.serve("/doc", status, body);

    // Long pauses: a retry would show in the time taken.
    QElapsedTimer clock;
    clock.start();
    const auto outcome = TestSupport::wait(client({1s, 3s, 7s}).data(server.url("/doc")));
    QVERIFY(outcome.value);
    QCOMPARE(outcome.value->status, status);
    QCOMPARE(outcome.value->body, body);
    QCOMPARE(server.requestCount("/doc"), 1);
    QVERIFY(clock.elapsed() < 900);
}

void TestHTTPClient::fileUrlHasStatusZero()
{
    QTemporaryDir dir;
    QFile file(dir.filePath("doc.json"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("{\"a\": 1}\n");
    file.close();

    const auto found = TestSupport::wait(client().data(QUrl::fromLocalFile(file.fileName())));
    QVERIFY(found.value);
    QCOMPARE(found.value->status, 0);
    QCOMPARE(found.value->body, QByteArray("{\"a\": 1}\n"));

    const auto missing =
        TestSupport::wait(client({0ms}).data(QUrl::fromLocalFile(dir.filePath("none"))));
    QVERIFY(missing.error);
    QCOMPARE(missing.error->domain(), AppError::Domain::Url);
    QCOMPARE(missing.error->code(), AppError::UrlFileDoesNotExist);
}

void TestHTTPClient::redirectsAreFollowed()
{
    TestHttpServer server;
    server.serve("/old", Response{.status = 302, .headers = {{"Location", "/new"}}});
    server.serve("/new", 200, "moved here");

    const auto outcome = TestSupport::wait(client().data(server.url("/old")));
    QVERIFY(outcome.value);
    QCOMPARE(outcome.value->status, 200);
    QCOMPARE(outcome.value->body, QByteArray("moved here"));
}

void TestHTTPClient::transportFailuresAreRetriedWithPauses()
{
    // Headers and half the body, then the connection closes: the transfer failed even though
    // a status line arrived.
    TestHttpServer server;
    server.serve("/track",
                 Response{.status = 200, .body = QByteArray(1000, 'x'), .dropAfter = 500});

    QElapsedTimer clock;
    clock.start();
    const auto outcome = TestSupport::wait(client({0ms, 200ms, 300ms}).data(server.url("/track")));
    QVERIFY(outcome.error);
    QCOMPARE(outcome.error->domain(), AppError::Domain::Url);
    QCOMPARE(outcome.error->code(), AppError::UrlNetworkConnectionLost);
    QCOMPARE(server.requestCount("/track"), 3);
    QVERIFY2(clock.elapsed() >= 500, qPrintable(QString::number(clock.elapsed())));
}

void TestHTTPClient::recoversWhenALaterAttemptSucceeds()
{
    TestHttpServer server;
    const Response dropped{.status = 200, .body = "partial body", .dropAfter = 3};
    server.serve("/doc", QList<Response>{dropped, dropped, Response{.body = "whole"}});

    const auto outcome = TestSupport::wait(client().data(server.url("/doc")));
    QVERIFY(outcome.value);
    QCOMPARE(outcome.value->body, QByteArray("whole"));
    QCOMPARE(server.requestCount("/doc"), 3);
}

void TestHTTPClient::refusedConnectionFailsWithLastError()
{
    const QUrl url(
        QStringLiteral("http://127.0.0.1:%1/manifest.json").arg(TestHttpServer::unusedPort()));
    QElapsedTimer clock;
    clock.start();
    const auto outcome = TestSupport::wait(client({0ms, 150ms, 250ms}).data(url));
    QVERIFY(outcome.error);
    QCOMPARE(outcome.error->code(), AppError::UrlCannotConnect);
    QVERIFY(clock.elapsed() >= 400);
}

void TestHTTPClient::attemptsFollowTheDelayList()
{
    TestHttpServer server;
    server.serve("/doc", Response{.body = "abc", .dropAfter = 1});

    // One entry: one attempt and no pause, however long the entry.
    QElapsedTimer clock;
    clock.start();
    auto outcome = TestSupport::wait(client({5s}).data(server.url("/doc")));
    QVERIFY(outcome.error);
    QCOMPARE(server.requestCount("/doc"), 1);
    QVERIFY(clock.elapsed() < 4000);

    // No entry: no attempt at all.
    outcome = TestSupport::wait(client({}).data(server.url("/doc")));
    QVERIFY(outcome.error);
    QCOMPARE(outcome.error->domain(), AppError::Domain::Url);
    QCOMPARE(outcome.error->code(), AppError::UrlUnknown);
    QCOMPARE(server.requestCount("/doc"), 1);
}

void TestHTTPClient::transferTimeoutIsATransportFailure()
{
    TestHttpServer server;
    server.serve("/slow", QList<Response>{Response{.body = "late", .delay = 3s},
                                          Response{.body = "in time"}});

    const HTTPClient impatient(m_network, {0ms, 50ms}, 300ms);
    const auto outcome = TestSupport::wait(impatient.data(server.url("/slow")));
    QVERIFY(outcome.value);
    QCOMPARE(outcome.value->body, QByteArray("in time"));
    QCOMPARE(server.requestCount("/slow"), 2);

    const HTTPClient once(m_network, {0ms}, 300ms);
    server.serve("/slow", Response{.body = "late", .delay = 3s});
    const auto failed = TestSupport::wait(once.data(server.url("/slow")));
    QVERIFY(failed.error);
    QCOMPARE(failed.error->code(), AppError::UrlTimedOut);
}

void TestHTTPClient::cancelDuringPauseStopsAtOnce()
{
    TestHttpServer server;
    server.serve("/doc", Response{.body = "abc", .dropAfter = 0});
    const CancellationToken cancel = CancellationToken::create();

    QElapsedTimer clock;
    clock.start();
    auto task = client({0ms, 1s, 7s}).data(server.url("/doc"), cancel);
    QTRY_COMPARE(server.requestCount("/doc"), 1);
    QTest::qWait(100); // the first attempt has failed and the pause has begun
    cancel.cancel();
    const auto outcome = TestSupport::wait(std::move(task));
    QVERIFY(outcome.error);
    QCOMPARE(outcome.error->domain(), AppError::Domain::Cancelled);
    QVERIFY(clock.elapsed() < 900);

    // No further attempt, not even after the pause would have ended.
    QTest::qWait(1200);
    QCOMPARE(server.requestCount("/doc"), 1);
}

void TestHTTPClient::cancelDuringTransferAbortsIt()
{
    TestHttpServer server;
    server.serve("/track",
                 Response{.body = QByteArray(100, 'x'), .chunkSize = 10, .chunkPause = 200ms});
    const CancellationToken cancel = CancellationToken::create();

    QElapsedTimer clock;
    clock.start();
    auto task = client().data(server.url("/track"), cancel);
    QSignalSpy requests(&server, &TestHttpServer::requestReceived);
    QVERIFY(requests.wait());
    QTest::qWait(300);
    cancel.cancel();
    const auto outcome = TestSupport::wait(std::move(task));
    QVERIFY(outcome.error);
    QCOMPARE(outcome.error->domain(), AppError::Domain::Cancelled);
    QVERIFY(clock.elapsed() < 1500);
    QCOMPARE(server.requestCount("/track"), 1);

    // A token cancelled beforehand stops the call before any request.
    const auto early = TestSupport::wait(client().data(server.url("/track"), cancel));
    QVERIFY(early.error);
    QCOMPARE(early.error->domain(), AppError::Domain::Cancelled);
    QCOMPARE(server.requestCount("/track"), 1);
}

void TestHTTPClient::callOutlivesItsClient()
{
    TestHttpServer server;
    server.serve("/doc", QList<Response>{Response{.body = "x", .dropAfter = 0},
                                         Response{.body = "second try"}});
    QCoro::Task<HTTPResponse> task = [&] {
        const HTTPClient shortLived(std::make_shared<QNetworkAccessManager>(), {0ms, 50ms});
        return shortLived.data(server.url("/doc"));
    }();
    const auto outcome = TestSupport::wait(std::move(task));
    QVERIFY(outcome.value);
    QCOMPARE(outcome.value->body, QByteArray("second try"));
}

QTEST_GUILESS_MAIN(TestHTTPClient)
#include "tst_httpclient.moc"
