#include "ui/shell/UpdateChecker.h"

#include <QHttpServer>
#include <QHttpServerResponse>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>

namespace {
using Kind = UpdateChecker::Result::Kind;
}

class TestUpdateCheck : public QObject
{
    Q_OBJECT

private:
    QHttpServer m_server;
    quint16 m_port = 0;
    QByteArray m_feed;
    int m_status = 200;
    int m_requests = 0;

    QUrl feedUrl() const
    {
        return QUrl(QStringLiteral("http://127.0.0.1:%1/feed.json").arg(m_port));
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_server.route(QStringLiteral("/feed.json"), [this] {
            ++m_requests;
            return QHttpServerResponse(QByteArrayLiteral("application/json"), m_feed,
                                       QHttpServerResponse::StatusCode(m_status));
        });
        m_port = m_server.listen(QHostAddress::LocalHost, 0);
        QVERIFY(m_port != 0);
    }

    void withoutFeedNothingIsFetched()
    {
        UpdateChecker checker(QUrl(), QStringLiteral("0.1.0"));
        QVERIFY(!checker.isConfigured());
        const auto result = QCoro::waitFor(checker.check());
        QCOMPARE(result.kind, Kind::NotConfigured);
        QCOMPARE(UpdateChecker::describe(result, QStringLiteral("0.1.0")),
                 QStringLiteral("No update source is configured for this build of Dusk Haven."));
    }

    void feedAgainstTheRunningVersion_data()
    {
        QTest::addColumn<QByteArray>("feed");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("sentence");

        QTest::newRow("newer") << QByteArray(
                                      "{\"version\":\"0.2.0\",\"url\":\"https://example.org/get\"}")
                               << 200 << int(Kind::UpdateAvailable)
                               << QStringLiteral("Dusk Haven 0.2.0 is available (you have 0.1.0).");
        QTest::newRow("newer patch, longer number")
            << QByteArray("{\"version\":\"0.1.0.1\",\"url\":\"http://example.org/get\"}") << 200
            << int(Kind::UpdateAvailable)
            << QStringLiteral("Dusk Haven 0.1.0.1 is available (you have 0.1.0).");
        QTest::newRow("same") << QByteArray(
                                     "{\"version\":\"0.1.0\",\"url\":\"https://example.org/get\"}")
                              << 200 << int(Kind::UpToDate)
                              << QStringLiteral("Dusk Haven 0.1.0 is up to date.");
        QTest::newRow("older") << QByteArray("{\"version\":\"0.0.9\"}") << 200
                               << int(Kind::UpToDate)
                               << QStringLiteral("Dusk Haven 0.1.0 is up to date.");
        QTest::newRow("no version")
            << QByteArray("{\"url\":\"https://example.org/get\"}") << 200 << int(Kind::Failed)
            << QStringLiteral("Could not check for updates: The update feed names no version.");
        QTest::newRow("not JSON")
            << QByteArray("<html>") << 200 << int(Kind::Failed)
            << QStringLiteral("Could not check for updates: The update feed names no version.");
        // The feed must not be able to make the app open a local file or another program.
        QTest::newRow("file address")
            << QByteArray("{\"version\":\"9.0\",\"url\":\"file:///etc/passwd\"}") << 200
            << int(Kind::Failed)
            << QStringLiteral(
                   "Could not check for updates: The update feed names no download page.");
        QTest::newRow("missing address")
            << QByteArray("{\"version\":\"9.0\"}") << 200 << int(Kind::Failed)
            << QStringLiteral(
                   "Could not check for updates: The update feed names no download page.");
        QTest::newRow("server error")
            << QByteArray("{\"version\":\"9.0\",\"url\":\"https://example.org\"}") << 503
            << int(Kind::Failed) << QString();
    }

    void feedAgainstTheRunningVersion()
    {
        QFETCH(QByteArray, feed);
        QFETCH(int, status);
        QFETCH(int, kind);
        QFETCH(QString, sentence);
        m_feed = feed;
        m_status = status;

        UpdateChecker checker(feedUrl(), QStringLiteral("0.1.0"));
        const auto result = QCoro::waitFor(checker.check());
        QCOMPARE(int(result.kind), kind);
        if (result.kind == Kind::UpdateAvailable)
            QCOMPARE(result.downloadPage.host(), QStringLiteral("example.org"));
        else
            QVERIFY(result.downloadPage.isEmpty());
        if (!sentence.isEmpty())
            QCOMPARE(UpdateChecker::describe(result, QStringLiteral("0.1.0")), sentence);
        else
            QVERIFY2(result.error.contains(QLatin1String("503")), qPrintable(result.error));
    }

    void menuItemRunsOneCheckAtATime()
    {
        m_feed = "{\"version\":\"0.1.0\"}";
        m_status = 200;
        m_requests = 0;
        UpdateChecker checker(feedUrl(), QStringLiteral("0.1.0"));
        QSignalSpy finished(&checker, &UpdateChecker::finished);
        QSignalSpy checking(&checker, &UpdateChecker::checkingChanged);
        checker.checkForUpdates();
        QVERIFY(checker.isChecking());
        checker.checkForUpdates(); // a second click while the first runs
        QVERIFY(finished.wait(10000));
        QTest::qWait(100);
        QCOMPARE(finished.count(), 1);
        QCOMPARE(m_requests, 1);
        QCOMPARE(checking.count(), 2);
        QCOMPARE(finished.at(0).at(0).value<UpdateChecker::Result>().kind, Kind::UpToDate);
    }

    void unreachableFeedFails()
    {
        QTcpServer probe; // a port nobody listens on once closed
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        const quint16 port = probe.serverPort();
        probe.close();
        UpdateChecker checker(QUrl(QStringLiteral("http://127.0.0.1:%1/feed.json").arg(port)),
                              QStringLiteral("0.1.0"));
        const auto result = QCoro::waitFor(checker.check());
        QCOMPARE(result.kind, Kind::Failed);
        QVERIFY(!result.error.isEmpty());
    }
};

QTEST_MAIN(TestUpdateCheck)
#include "tst_updatecheck.moc"
