#include "Duskhaven/AppEnvironment.h"
#include "Duskhaven/BuildInfo.h"
#include "Duskhaven/DuskhavenApp.h"
#include "Duskhaven/RecordStore.h"
#include "Duskhaven/SettingsStore.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {
QString duskhavenBinary()
{
    return TestSupport::binaryDir() + QStringLiteral("/src/duskhaven");
}
} // namespace

class TestApp : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void catalogueAddressResolution_data()
    {
        QTest::addColumn<std::optional<QString>>("override");
        QTest::addColumn<QUrl>("expected");
        const QUrl fallback(QString::fromUtf8(BuildInfo::defaultManifestUrl));
        QTest::newRow("absent") << std::optional<QString>() << fallback;
        QTest::newRow("address") << std::optional<QString>(QStringLiteral("http://127.0.0.1:8123/m.json"))
                                 << QUrl(QStringLiteral("http://127.0.0.1:8123/m.json"));
        QTest::newRow("not an address") << std::optional<QString>(QStringLiteral("http://exa mple/%zz"))
                                        << fallback;
        QTest::newRow("empty") << std::optional<QString>(QString()) << fallback;
        QTest::newRow("relative") << std::optional<QString>(QStringLiteral("manifest.json")) << fallback;
    }

    void catalogueAddressResolution()
    {
        QFETCH(std::optional<QString>, override);
        QFETCH(QUrl, expected);
        QCOMPARE(AppEnvironment::resolveCatalogueUrl(override), expected);
        QCOMPARE(QUrl(QString::fromUtf8(BuildInfo::defaultManifestUrl)).scheme(), QStringLiteral("https"));
        QVERIFY(QString::fromUtf8(BuildInfo::defaultManifestUrl).endsWith(QStringLiteral("/manifest.json")));
    }

    void commandLine()
    {
        QString outText, errText;
        QTextStream out(&outText), err(&errText);
        const QString program = QStringLiteral("duskhaven");
        QCOMPARE(DuskhavenApp::handleCommandLine({program}, out, err), std::nullopt);
        QCOMPARE(DuskhavenApp::handleCommandLine({program, QStringLiteral("dusk-haven://open")}, out, err),
                 std::nullopt);
        QCOMPARE(DuskhavenApp::handleCommandLine({program, QStringLiteral("--version")}, out, err), 0);
        out.flush();
        QCOMPARE(outText, QStringLiteral("duskhaven %1\n").arg(QString::fromUtf8(BuildInfo::version)));
        QCOMPARE(DuskhavenApp::handleCommandLine({program, QStringLiteral("--bogus")}, out, err), 2);
        QCOMPARE(DuskhavenApp::handleCommandLine({program, QStringLiteral("a"), QStringLiteral("b")}, out,
                                                 err),
                 2);
    }

    void environmentMakesItsFoldersAndHoldsTheShellOnce()
    {
        QTemporaryDir dir;
        RecordStore store(dir.filePath(QStringLiteral("records.sqlite")));
        SettingsStore settings(dir.filePath(QStringLiteral("settings.json")));
        const FileLocations locations(dir.filePath(QStringLiteral("data")));
        AppEnvironment environment(store, settings, {locations, QUrl(QStringLiteral("http://127.0.0.1:1/m"))});
        QVERIFY(QFileInfo(locations.videoCacheDir()).isDir());

        QSignalSpy spy(&environment, &AppEnvironment::menuBarChanged);
        QObject controller;
        environment.setMenuBar(&controller);
        environment.setMenuBar(&controller);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(environment.menuBar(), &controller);
    }

    void environmentSurvivesFoldersItCannotMake()
    {
        QTemporaryDir dir;
        QFile blocker(dir.filePath(QStringLiteral("data")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        RecordStore store(dir.filePath(QStringLiteral("records.sqlite")));
        SettingsStore settings(dir.filePath(QStringLiteral("settings.json")));
        AppEnvironment environment(store, settings,
                                   {FileLocations(dir.filePath(QStringLiteral("data"))), QUrl()});
        QVERIFY(QFileInfo(dir.filePath(QStringLiteral("data"))).isFile());
    }

    void processAnswersHelpWithoutADisplay()
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        process.setProcessEnvironment(env);
        process.start(duskhavenBinary(), {QStringLiteral("--help")});
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitCode(), 0);
        QVERIFY(process.readAllStandardOutput().contains("Usage: duskhaven"));
    }

    void unopenableRecordStoreStopsTheProcess()
    {
        QTemporaryDir dir;
        const QString dataHome = dir.filePath(QStringLiteral("data"));
        QVERIFY(QDir().mkpath(dataHome + QStringLiteral("/dusk-haven")));
        QFile garbage(dataHome + QStringLiteral("/dusk-haven/dusk-haven.sqlite"));
        QVERIFY(garbage.open(QIODevice::WriteOnly));
        garbage.write(QByteArray(4096, 'x'));
        garbage.close();

        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process.setProcessEnvironment(env);
        process.start(duskhavenBinary(), {});
        QVERIFY(process.waitForFinished(20000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QVERIFY(process.exitCode() != 0);
        const QString err = QString::fromUtf8(process.readAllStandardError());
        QVERIFY2(err.startsWith(QStringLiteral("ModelContainer: ")), qPrintable(err));
        QVERIFY2(err.contains(QStringLiteral("not a database")), qPrintable(err));
        // Nothing else started: no data folders appeared beside the broken store.
        QVERIFY(!QFileInfo::exists(dataHome + QStringLiteral("/dusk-haven/cache")));
    }
};

QTEST_GUILESS_MAIN(TestApp)
#include "tst_app.moc"
