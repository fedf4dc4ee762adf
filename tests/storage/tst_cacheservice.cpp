#include "storage/CacheService.h"
#include "support/StorageFixture.h"

#include <QSignalSpy>
#include <QTest>

constexpr qint64 MiB = 1048576;

class TestCacheService : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void lookupPrefersPinnedAndTouchesOnlyCachedFiles()
    {
        StorageFixture f;
        CacheService cache(f.locations, *f.store, *f.settings);
        for (const QString &path :
             {f.pinned("a"), f.cached("a"), f.cached("b"), f.cached("orphan")})
            QVERIFY(f.write(path, "x"));
        f.record("a", 1, 90);
        f.record("b", 1, 90);
        f.record("gone", 1, 90);
        const QDateTime before = QDateTime::currentDateTimeUtc().addMSecs(-1);

        // In both folders: the pinned copy wins and the cache record is left alone.
        QCOMPARE(cache.cachedURL("a"), QUrl::fromLocalFile(f.pinned("a")));
        QVERIFY(f.entry("a")->lastUsedAt < before);
        // Cached only: its last use moves to now, durably.
        QCOMPARE(cache.cachedURL("b"), QUrl::fromLocalFile(f.cached("b")));
        QVERIFY(RecordStore(f.storePath()).fetch<CacheEntry>("trackId", "b").first().lastUsedAt >=
                before);
        // A record without its file is not cached; a file without a record is, and stays so.
        QCOMPARE(cache.cachedURL("gone"), std::nullopt);
        QCOMPARE(cache.cachedURL("orphan"), QUrl::fromLocalFile(f.cached("orphan")));
        QVERIFY(!f.entry("orphan"));
    }

    void evictsOldestUnprotectedUntilWithinBudget()
    {
        StorageFixture f;
        CacheService cache(f.locations, *f.store, *f.settings);
        for (const char *id : {"a", "b", "c", "orphan"})
            QVERIFY(f.write(f.cached(id), "x"));
        f.record("a", 300 * MiB, 30); // oldest
        f.record("b", 200 * MiB, 20);
        f.record("c", 100 * MiB, 10);
        cache.setBudgetBytes(500 * MiB);

        cache.protect("a");
        cache.enforceBudget();
        QCOMPARE(f.recordedIds(), (QStringList{"a", "c"}));
        QCOMPARE(f.filesIn(f.locations.cacheDir()), (QStringList{"a.mp3", "c.mp3", "orphan.mp3"}));
        cache.setBudgetBytes(400 * MiB); // exactly the total
        cache.enforceBudget();
        QCOMPARE(f.recordedIds().size(), 2);

        cache.setBudgetBytes(0); // all that is left is protected or unrecorded
        cache.setProtectedIds({"a", "c"});
        cache.enforceBudget();
        QCOMPARE(f.recordedIds().size(), 2);
        cache.setProtectedIds({});
        cache.setBudgetBytes(350 * MiB);
        cache.enforceBudget();
        QCOMPARE(f.filesIn(f.locations.cacheDir()), (QStringList{"c.mp3", "orphan.mp3"}));
        QCOMPARE(RecordStore(f.storePath()).fetch<CacheEntry>("trackId", "a").size(), 0);
    }

    // Following the setting, and evicting when it is lowered, are the settings window's cases.
    void budgetStartsFromTheSettingAndTellsOnlyOfChanges()
    {
        StorageFixture f;
        f.settings->setInteger(SettingsKey::cacheSizeBudgetMB, -3);
        QCOMPARE(CacheService::storedBudgetBytes(*f.settings), 500 * MiB);
        f.settings->setInteger(SettingsKey::cacheSizeBudgetMB, 2);
        CacheService cache(f.locations, *f.store, *f.settings);
        QCOMPARE(cache.budgetBytes(), 2 * MiB);
        QSignalSpy spy(&cache, &CacheService::budgetBytesChanged);
        cache.setBudgetBytes(2 * MiB);
        cache.setBudgetBytes(MiB);
        QCOMPARE(spy.count(), 1);
    }

    // Which files a clear removes is the settings window's reset case.
    void clearingKeepsRecordsUntilEviction()
    {
        StorageFixture f;
        CacheService cache(f.locations, *f.store, *f.settings);
        QVERIFY(f.write(f.cached("a"), "x") && f.write(f.cached("b"), "x"));
        f.record("a", 10, 6);
        f.record("b", 10, 5);

        cache.clearCache();
        QCOMPARE(f.recordedIds().size(), 2);
        cache.setBudgetBytes(10);
        cache.enforceBudget();
        QCOMPARE(f.recordedIds(), QStringList{"b"});
    }
};

QTEST_GUILESS_MAIN(TestCacheService)
#include "tst_cacheservice.moc"
