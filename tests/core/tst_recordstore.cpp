#include "core/AppError.h"
#include "core/RecordStore.h"
#include "custom_scenes/CustomScene.h"
#include "mixes/MixRecords.h"
#include "storage/CacheEntry.h"
#include "support/TestSupport.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

namespace {
CacheEntry entry(const QString &id, qint64 size, qint64 minutesAgo)
{
    return {id, size, QDateTime::currentDateTimeUtc().addSecs(-60 * minutesAgo)};
}

// The cache entries' track ids.
const auto ids = [](auto &&store) {
    return TestSupport::fieldOf(store.template fetchAll<CacheEntry>("trackId", Qt::AscendingOrder),
                                &CacheEntry::trackId);
};
} // namespace

class TestRecordStore : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    int m_counter = 0;
    QString freshPath()
    {
        return m_dir.filePath(QStringLiteral("store-%1.sqlite").arg(++m_counter));
    }

private Q_SLOTS:
    void fieldNamesNeverReachTheQueryUnchecked()
    {
        RecordStore store(freshPath());
        store.insert(entry("a", 1, 1));
        QVERIFY_THROWS_EXCEPTION(AppError, store.fetch<CacheEntry>("trackId = trackId OR 1", 1));
        QVERIFY_THROWS_EXCEPTION(
            AppError, store.fetchAll<CacheEntry>("1; DROP TABLE CacheEntry", Qt::AscendingOrder));
        QCOMPARE(ids(store).size(), 1);
    }

    void onlySavedChangesSurviveAReopen()
    {
        const QString path = freshPath();
        CustomScene scene{"6f1c2d9e-0000-4000-8000-000000000001", "Morning", QString(),
                          "/home/someone/Music/morning.flac",
                          QDateTime::fromMSecsSinceEpoch(1700000000123, Qt::UTC)};
        {
            RecordStore store(path);
            store.insert(scene);
            store.save();
            store.insert(entry("unsaved", 1, 1));
        }
        RecordStore reopened(path);
        QCOMPARE(reopened.fetchAll<CustomScene>("createdAt", Qt::DescendingOrder),
                 QList<CustomScene>{scene});
        QVERIFY(ids(reopened).isEmpty());
    }

    // A full disk at commit: the caller gets the error, the unsaved change is gone, and once
    // space is back the next change saves without a restart.
    void failedSaveRollsBackAndTheNextSaveSucceeds()
    {
        const QString path = freshPath();
        RecordStore store(path);
        store.insert(entry("lost", 1, 0));
        {
            TestSupport::DiskLimit full;
            QVERIFY_THROWS_EXCEPTION(AppError, store.save());
        }
        QVERIFY(store.fetch<CacheEntry>("trackId", "lost").isEmpty());
        store.insert(entry("kept", 1, 0));
        store.save();
        QCOMPARE(ids(RecordStore(path)), QStringList{"kept"});
    }

    void refusesAnotherSchemaVersion()
    {
        const QString path = freshPath();
        RecordStore{path}; // a store of this version
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "raw");
            db.setDatabaseName(path);
            QVERIFY(db.open() && QSqlQuery(db).exec("UPDATE Meta SET value = '2.0.0'"));
            db.close();
        }
        QSqlDatabase::removeDatabase("raw");
        QVERIFY_THROWS_EXCEPTION(AppError, RecordStore{path});
        // Records of a newer version are the user's, not damage: nothing is moved aside.
        QVERIFY_THROWS_EXCEPTION(AppError, RecordStore::openOrStartAfresh(path));
    }

    // The fixture is a store written by the version before saved mixes (schema 1.0.0): it
    // opens with every record intact, takes mixes and schedules, and stays readable after a
    // reopen.
    void anEarlierStoreKeepsItsRecordsAndGainsMixes()
    {
        const QString path = freshPath();
        QVERIFY(QFile::copy(TestSupport::sourceDir() + "/tests/core/fixtures/store-1.0.0.sqlite",
                            path));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        const SavedMix mix{"0b7e9d43-1111-4000-8000-000000000002",
                           "Night rain",
                           "rain",
                           0.4f,
                           {{"rain", 0.75f}, {"fire", 0.125f}},
                           QDateTime::fromMSecsSinceEpoch(1733700000000, Qt::UTC)};
        const ScheduledMix schedule{
            "0b7e9d43-1111-4000-8000-000000000003", mix.id, 22 * 60, 0x1f, 20, true, mix.createdAt};
        {
            RecordStore store(path);
            QCOMPARE(ids(store), (QStringList{"track-a", "track-b"}));
            QCOMPARE(store.fetch<CacheEntry>("trackId", "track-a").first().sizeBytes, 1234567);
            const auto scenes = store.fetchAll<CustomScene>("createdAt", Qt::AscendingOrder);
            QCOMPARE(scenes.size(), 1);
            QCOMPARE(scenes.first().note, QString("by the window"));
            QCOMPARE(scenes.first().audioBookmark, QByteArray("/home/someone/Music/morning.flac"));
            QVERIFY(store.fetchAll<SavedMix>("createdAt", Qt::AscendingOrder).isEmpty());
            store.insert(mix);
            store.insert(schedule);
            store.save();
        }
        RecordStore reopened(path);
        QCOMPARE(reopened.fetchAll<SavedMix>("name", Qt::AscendingOrder), QList<SavedMix>{mix});
        QCOMPARE(reopened.fetch<ScheduledMix>("mixId", mix.id), QList<ScheduledMix>{schedule});
        QCOMPARE(ids(reopened).size(), 2);
        QSqlQuery version(QSqlDatabase::database(QSqlDatabase::connectionNames().constFirst()));
        QVERIFY(version.exec("SELECT value FROM Meta WHERE key = 'schemaVersion'") &&
                version.next());
        QCOMPARE(version.value(0).toString(), QString(RecordStore::schemaVersion));
    }
};

QTEST_GUILESS_MAIN(TestRecordStore)
#include "tst_recordstore.moc"
