#include "Duskhaven/AppError.h"
#include "Duskhaven/FileLocations.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

class TestFileLocations : public QObject
{
    Q_OBJECT

private Q_SLOTS:
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

QTEST_GUILESS_MAIN(TestFileLocations)
#include "tst_filelocations.moc"
