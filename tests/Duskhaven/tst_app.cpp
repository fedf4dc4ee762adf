#include "Duskhaven/DuskhavenApp.h"
#include "catalogue/CatalogueAddress.h"
#include "core/AppError.h"
#include "core/BuildInfo.h"
#include "support/AppFixture.h"
#include "support/TestSupport.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {
QString duskhavenBinary()
{
    return TestSupport::binaryDir() + "/src/duskhaven";
}
} // namespace

class TestApp : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void catalogueAddressResolution()
    {
        const auto fixed = &AppEnvironment::fixedCatalogueUrl;
        QCOMPARE(fixed(std::nullopt), std::nullopt);
        QCOMPARE(fixed("http://127.0.0.1:8123/m.json"), QUrl("http://127.0.0.1:8123/m.json"));
        QCOMPARE(fixed("http://exa mple/%zz"), std::nullopt); // not an address
        QCOMPARE(fixed("manifest.json"), std::nullopt);       // relative

        // The setting's address when it is a web address, else the built-in one.
        QTemporaryDir dir;
        SettingsStore settings(dir.filePath("settings.json"));
        QCOMPARE(CatalogueAddress::chosen(settings), CatalogueAddress::builtIn());
        for (const char *wrong : {"ftp://host/m.json", "file:///etc/passwd", "host/m.json",
                                  "https://", "http://exa mple/"}) {
            settings.setString(SettingsKey::catalogueUrl, wrong);
            QVERIFY2(CatalogueAddress::chosen(settings) == CatalogueAddress::builtIn(), wrong);
        }
        settings.setString(SettingsKey::catalogueUrl, " https://cdn.example/m.json ");
        QCOMPARE(CatalogueAddress::chosen(settings), QUrl("https://cdn.example/m.json"));
    }

    void commandLine()
    {
        QString outText, errText;
        QTextStream out(&outText), err(&errText);
        const auto handle = [&](const QStringList &arguments) {
            return DuskhavenApp::handleCommandLine(QStringList{"duskhaven"} + arguments, out, err);
        };
        QCOMPARE(handle({}), std::nullopt);
        QCOMPARE(handle({"dusk-haven://open"}), std::nullopt);
        QCOMPARE(handle({"--version"}), 0);
        out.flush();
        QCOMPARE(outText,
                 QStringLiteral("duskhaven %1\n").arg(QString::fromUtf8(BuildInfo::version)));
        QCOMPARE(handle({"--toggle"}), std::nullopt);
        QCOMPARE(handle({"--quit", "--toggle"}), 2);
        QCOMPARE(handle({"--focus"}), std::nullopt);
        QCOMPARE(handle({"--focus", "--focus-stop"}), 2);
        QCOMPARE(handle({"--bogus"}), 2);
        QCOMPARE(handle({"a", "b"}), 2);
    }

    void environmentMakesItsFolders()
    {
        AppFixture app;
        app.start();
        QVERIFY(QFileInfo(app.locations.videoCacheDir()).isDir());

        // A file where the data folder belongs: the app still starts.
        AppFixture blocked;
        QVERIFY(TestSupport::writeFile(blocked.locations.appRoot(), "x"));
        blocked.start();
        QVERIFY(QFileInfo(blocked.locations.appRoot()).isFile());
    }

    void processAnswersHelpWithoutADisplay()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
        const TestSupport::Ran help = TestSupport::run(duskhavenBinary(), {"--help"}, env);
        QCOMPARE(help.exitCode, 0);
        QVERIFY(help.out.contains("Usage: duskhaven"));
    }

    // A damaged store is replaced (the environment tells the user); one that cannot be opened
    // at all, here a folder in its place, still stops the process.
    void unopenableRecordStoreStopsTheProcess()
    {
        QTemporaryDir dir;
        const QString dataHome = dir.filePath("data");
        QVERIFY(QDir().mkpath(dataHome + "/dusk-haven/dusk-haven.sqlite"));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_DATA_HOME", dataHome);
        env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
        env.insert("QT_QPA_PLATFORM", "offscreen");
        const TestSupport::Ran ran = TestSupport::run(duskhavenBinary(), {}, env, 20000);
        QVERIFY(ran.exitCode > 0);
        QVERIFY2(ran.err.startsWith("ModelContainer: "), qPrintable(ran.err));
        QVERIFY2(ran.err.contains("folder"), qPrintable(ran.err));
        // Nothing else started: no data folders appeared beside the broken store.
        QVERIFY(!QFileInfo::exists(dataHome + "/dusk-haven/cache"));
    }

    // The fallback engine comes from a module of its own, mapped only when it is chosen.
    void theFallbackEngineLoadsFromItsModule()
    {
        QTemporaryDir dir;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_DATA_HOME", dir.filePath("data"));
        env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
        env.insert("XDG_CACHE_HOME", dir.filePath("cache"));
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("DUSKHAVEN_AUDIO_ENGINE", "qtmultimedia");
        env.insert("DUSKHAVEN_MANIFEST_URL", "http://127.0.0.1:1/m");
        QProcess app;
        app.setProcessEnvironment(env);
        app.start(duskhavenBinary(), {});
        QVERIFY(app.waitForStarted());
        const QString maps = QString("/proc/%1/maps").arg(app.processId());
        QTRY_VERIFY_WITH_TIMEOUT(TestSupport::readFile(maps).contains("duskhaven-qtmultimedia.so"),
                                 15000);
        app.terminate();
        QVERIFY(app.waitForFinished(10000));
        QVERIFY2(!app.readAllStandardError().contains("cannot be loaded"), "no fallback engine");
    }

    void defaultRootFollowsXdgDataHome()
    {
        const QByteArray saved = qgetenv("XDG_DATA_HOME");
        const QString fallback = QDir::homePath() + "/.local/share/dusk-haven";
        qputenv("XDG_DATA_HOME", "/srv/data");
        QCOMPARE(FileLocations().appRoot(), "/srv/data/dusk-haven");
        // A relative value is not a valid base directory and falls back to the home folder.
        qputenv("XDG_DATA_HOME", "relative/data");
        QCOMPARE(FileLocations().appRoot(), fallback);
        qunsetenv("XDG_DATA_HOME");
        QCOMPARE(FileLocations().appRoot(), fallback);
        qputenv("XDG_DATA_HOME", saved);
    }

    void aFileInTheWayStopsAtTheFirstFailure()
    {
        QTemporaryDir dir;
        const FileLocations locations(dir.filePath("root/"));
        QCOMPARE(locations.cacheDir(), dir.filePath("root/cache"));
        QVERIFY(!QFileInfo::exists(locations.appRoot())); // nothing is made before it is asked for
        QVERIFY(TestSupport::writeFile(locations.cacheDir(), {}));
        try {
            locations.ensureDirectories();
            QFAIL("a file named cache should stop the operation");
        } catch (const AppError &error) {
            QCOMPARE(error.domain(), AppError::Domain::File);
            QVERIFY(error.description().contains(locations.cacheDir()));
        }
        QVERIFY(!QFileInfo::exists(locations.pinnedDir()));
        QVERIFY(QFile::remove(locations.cacheDir()));
        locations.ensureDirectories();
        locations.ensureDirectories();
        for (const QString &path :
             {locations.cacheDir(), locations.pinnedDir(), locations.videoCacheDir()})
            QVERIFY(QFileInfo(path).isDir());
    }
};

QTEST_GUILESS_MAIN(TestApp)
#include "tst_app.moc"
