// duskhaven-catalogue validate <http(s) URL>, run as a process against the loopback server.
#include "support/TestHttpServer.h"
#include "support/TestSupport.h"

#include <QTest>

class TestCatalogueToolUrl : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void validate_data()
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
        QTest::newRow("304") << 304 << QByteArray() << 1
                             << "invalid: the server answered with status 304";
    }

    void validate()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        TestHttpServer server;
        server.serve("/manifest.json", status, body);
        const TestSupport::Ran ran =
            TestSupport::run(TestSupport::binaryDir() + "/tools/duskhaven-catalogue",
                             {"validate", server.url("/manifest.json").toString()});
        QCOMPARE(ran.exitCode, exitCode);
        QVERIFY2((ran.out + ran.err).startsWith(message), qPrintable(ran.out + ran.err));
        QCOMPARE(server.requestCount("/manifest.json"), 1);
    }
};

QTEST_GUILESS_MAIN(TestCatalogueToolUrl)
#include "tst_cataloguetool_url.moc"
