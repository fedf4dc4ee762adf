#include "Duskhaven/AppError.h"
#include "Duskhaven/FileLocations.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestFileLocations : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void defaultRootFollowsXdgDataHome()
    {
        const QByteArray saved = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", "/srv/data");
        QCOMPARE(FileLocations().appRoot(), QStringLiteral("/srv/data/dusk-haven"));
        // A relative value is not a valid base directory and falls back to the home folder.
        qputenv("XDG_DATA_HOME", "relative/data");
        QCOMPARE(FileLocations().appRoot(), QDir::homePath() + QStringLiteral("/.local/share/dusk-haven"));
        qunsetenv("XDG_DATA_HOME");
        QCOMPARE(FileLocations().appRoot(), QDir::homePath() + QStringLiteral("/.local/share/dusk-haven"));
        qputenv("XDG_DATA_HOME", saved);
    }

    void everyPathLivesUnderAnExplicitRoot()
    {
        const FileLocations locations(QStringLiteral("/tmp/x/root/"));
        QCOMPARE(locations.appRoot(), QStringLiteral("/tmp/x/root"));
        QCOMPARE(locations.cacheDir(), QStringLiteral("/tmp/x/root/cache"));
        QCOMPARE(locations.pinnedDir(), QStringLiteral("/tmp/x/root/pinned"));
        QCOMPARE(locations.videoCacheDir(), QStringLiteral("/tmp/x/root/videos"));
        QCOMPARE(locations.manifestFile(), QStringLiteral("/tmp/x/root/manifest.json"));
        QVERIFY(!QFileInfo::exists(QStringLiteral("/tmp/x/root")));
    }

    void ensureDirectoriesIsRepeatable()
    {
        QTemporaryDir dir;
        const FileLocations locations(dir.filePath(QStringLiteral("a/b")));
        locations.ensureDirectories();
        locations.ensureDirectories();
        for (const QString &path : {locations.cacheDir(), locations.pinnedDir(), locations.videoCacheDir()})
            QVERIFY(QFileInfo(path).isDir());
    }

    void aFileInTheWayStopsAtTheFirstFailure()
    {
        QTemporaryDir dir;
        const FileLocations locations(dir.path());
        QFile blocker(locations.cacheDir());
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        try {
            locations.ensureDirectories();
            QFAIL("a file named cache should stop the operation");
        } catch (const AppError &error) {
            QCOMPARE(error.domain(), AppError::Domain::File);
            QVERIFY(error.description().contains(locations.cacheDir()));
        }
        QVERIFY(!QFileInfo::exists(locations.pinnedDir()));
        QVERIFY(!QFileInfo::exists(locations.videoCacheDir()));
    }
};

QTEST_GUILESS_MAIN(TestFileLocations)
#include "tst_filelocations.moc"
