#include "support/TestHttpServer.h"

#include "support/TestSupport.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTest>

// duskhaven-catalogue validate <http(s) URL>, run as a process against the loopback server.
class TestCatalogueToolUrl : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void validate_data();
    void validate();
};

void TestCatalogueToolUrl::validate_data()
{
    const QByteArray valid =
        R"({"version": 1, "updatedAt": "2025-01-31T18:00:00Z", "tracks": [], "playlists": []})";
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    QTest::newRow("200 valid") << 200 << valid << 0 << "valid: 0 tracks";
    QTest::newRow("200 invalid") << 200 << QByteArray(R"({"version": 1})") << 1 << "invalid:";
    // Even a decodable body does not count when the status is not 200.
    QTest::newRow("404") << 404 << valid << 1 << "invalid: the server answered with status 404";
    QTest::newRow("503") << 503 << valid << 1 << "invalid: the server answered with status 503";
    QTest::newRow("304") << 304 << QByteArray() << 1
                         << "invalid: the server answered with status 304";
}

void TestCatalogueToolUrl::validate()
{
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    TestHttpServer server;
    server.serve("/manifest.json", status, body);

    QProcess tool;
    tool.setProgram(TestSupport::binaryDir() + "/tools/duskhaven-catalogue");
    tool.setArguments({"validate", server.url("/manifest.json").toString()});
    // The server answers from this event loop, so the wait must keep it running.
    QSignalSpy finished(&tool, &QProcess::finished);
    tool.start();
    QVERIFY2(tool.waitForStarted(), qPrintable(tool.errorString()));
    QVERIFY(finished.wait(30'000));

    QCOMPARE(tool.exitCode(), exitCode);
    const QString output =
        QString::fromUtf8(tool.readAllStandardOutput() + tool.readAllStandardError());
    QVERIFY2(output.startsWith(message), qPrintable(output));
    QCOMPARE(server.requestCount("/manifest.json"), 1);
}

QTEST_GUILESS_MAIN(TestCatalogueToolUrl)
#include "tst_cataloguetool_url.moc"
