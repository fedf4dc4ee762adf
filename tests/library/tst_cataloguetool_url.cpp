#include "support/TestHttpServer.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTest>

using namespace std::chrono_literals;
using Response = TestHttpServer::Response;

namespace {
const QByteArray validDocument =
    R"({"version": 1, "updatedAt": "2025-01-31T18:00:00Z", "tracks": [], "playlists": []})";

struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};
} // namespace

// duskhaven-catalogue validate <http(s) URL>, run as a process against the loopback server.
class TestCatalogueToolUrl : public QObject
{
    Q_OBJECT

    // The server answers from this process's event loop, so the wait must keep it running.
    static Run validate(const QUrl &url)
    {
        QProcess tool;
        tool.setProgram(qEnvironmentVariable("DUSKHAVEN_BINARY_DIR") +
                        "/tools/duskhaven-catalogue");
        tool.setArguments({"validate", url.toString()});
        QSignalSpy finished(&tool, &QProcess::finished);
        tool.start();
        if (!tool.waitForStarted())
            return {-1, {}, tool.errorString()};
        if (!finished.wait(30'000))
            return {-1, {}, QStringLiteral("still running")};
        return {tool.exitCode(), QString::fromUtf8(tool.readAllStandardOutput()),
                QString::fromUtf8(tool.readAllStandardError())};
    }

private Q_SLOTS:
    void answerOf200IsValidated();
    void otherStatusIsAnError_data();
    void otherStatusIsAnError();
    void transportFailureIsRetriedLikeTheApp();
};

void TestCatalogueToolUrl::answerOf200IsValidated()
{
    TestHttpServer server;
    server.serve("/manifest.json", 200, validDocument);
    server.serve("/broken.json", 200, R"({"version": 1})");

    const Run good = validate(server.url("/manifest.json"));
    QCOMPARE(good.exitCode, 0);
    QVERIFY2(good.out.startsWith("valid: 0 tracks"), qPrintable(good.out));

    const Run bad = validate(server.url("/broken.json"));
    QCOMPARE(bad.exitCode, 1);
    QVERIFY2(bad.err.startsWith("invalid:"), qPrintable(bad.err));
}

void TestCatalogueToolUrl::otherStatusIsAnError_data()
{
    QTest::addColumn<int>("status");
    QTest::newRow("404") << 404;
    QTest::newRow("503") << 503;
    QTest::newRow("304") << 304;
}

void TestCatalogueToolUrl::otherStatusIsAnError()
{
    // Even a decodable body does not count when the status is not 200.
    QFETCH(int, status);
    TestHttpServer server;
    server.serve("/manifest.json", status, validDocument);

    const Run run = validate(server.url("/manifest.json"));
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains(QString::number(status)), qPrintable(run.err));
    QVERIFY(run.out.isEmpty());
    QCOMPARE(server.requestCount("/manifest.json"), 1);
}

void TestCatalogueToolUrl::transportFailureIsRetriedLikeTheApp()
{
    // Two dropped transfers, then the document: the tool pauses 3 s and then 7 s as the
    // application does, so only the shortest case is tried here.
    TestHttpServer server;
    server.serve("/manifest.json", QList<Response>{Response{.body = validDocument, .dropAfter = 5},
                                                   Response{.body = validDocument}});
    const Run run = validate(server.url("/manifest.json"));
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(server.requestCount("/manifest.json"), 2);
}

QTEST_GUILESS_MAIN(TestCatalogueToolUrl)
#include "tst_cataloguetool_url.moc"
