#include "support/TestHttpServer.h"
#include "ui/shell/UpdateChecker.h"

#include <QSignalSpy>
#include <QTest>

namespace {
using Kind = UpdateChecker::Result::Kind;
const QString running = "0.1.0";
} // namespace

class TestUpdateCheck : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void feedAgainstTheRunningVersion_data()
    {
        QTest::addColumn<QByteArray>("feed");
        QTest::addColumn<QString>("sentence");
        const auto row = [](const char *name, const char *feed, const char *sentence) {
            QTest::newRow(name) << QByteArray(feed) << QString(sentence);
        };
        row("newer", "{\"version\":\"0.2.0\",\"url\":\"https://example.org/get\"}",
            "Dusk Haven 0.2.0 is available (you have 0.1.0).");
        row("newer patch, longer number",
            "{\"version\":\"0.1.0.1\",\"url\":\"http://example.org/get\"}",
            "Dusk Haven 0.1.0.1 is available (you have 0.1.0).");
        row("same", "{\"version\":\"0.1.0\"}", "Dusk Haven 0.1.0 is up to date.");
        row("not JSON", "<html>", "Could not check for updates: The update feed names no version.");
        // The feed must not be able to make the app open a local file or another program.
        row("file address", "{\"version\":\"9.0\",\"url\":\"file:///etc/passwd\"}",
            "Could not check for updates: The update feed names no download page.");
    }

    void feedAgainstTheRunningVersion()
    {
        QFETCH(QByteArray, feed);
        QFETCH(QString, sentence);
        const UpdateChecker::Result result = UpdateChecker::evaluate(feed, running);
        QCOMPARE(UpdateChecker::describe(result, running), sentence);
        QCOMPARE(result.downloadPage.isEmpty(), result.kind != Kind::UpdateAvailable);
    }

    void checksOverHttpOneAtATime()
    {
        TestHttpServer server;
        server.serve("/feed.json", 200,
                     "{\"version\":\"0.2.0\",\"url\":\"https://example.org/get\"}");
        UpdateChecker checker(server.url("/feed.json"), running);
        QSignalSpy finished(&checker, &UpdateChecker::finished);
        QSignalSpy checking(&checker, &UpdateChecker::checkingChanged);
        checker.checkForUpdates();
        QVERIFY(checker.isChecking());
        checker.checkForUpdates(); // a second click while the first runs
        QVERIFY(finished.wait(10000));
        QTest::qWait(100);
        QCOMPARE(finished.count(), 1);
        QCOMPARE(server.requestCount("/feed.json"), 1);
        QCOMPARE(checking.count(), 2);
        const auto result = finished.at(0).at(0).value<UpdateChecker::Result>();
        QCOMPARE(result.kind, Kind::UpdateAvailable);
        QCOMPARE(result.downloadPage, QUrl("https://example.org/get"));

        server.serve("/feed.json", 503, "{\"version\":\"9.0\",\"url\":\"https://example.org\"}");
        const auto refused = QCoro::waitFor(checker.check());
        QCOMPARE(refused.kind, Kind::Failed);
        QVERIFY2(refused.error.contains(QLatin1String("503")), qPrintable(refused.error));
    }

    void withoutFeedNothingIsFetched()
    {
        UpdateChecker checker(QUrl(), running);
        QVERIFY(!checker.isConfigured());
        QCOMPARE(UpdateChecker::describe(QCoro::waitFor(checker.check()), running),
                 "No update source is configured for this build of Dusk Haven.");
    }
};

QTEST_MAIN(TestUpdateCheck)
#include "tst_updatecheck.moc"
