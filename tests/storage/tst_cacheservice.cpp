#include "Duskhaven/AppError.h"
#include "storage/CacheService.h"
#include "storage/StorageFixture.h"

#include <QSignalSpy>
#include <QTest>

namespace {
constexpr qint64 MiB = 1048576;
const QString a = QStringLiteral("a"), b = QStringLiteral("b"), c = QStringLiteral("c");
} // namespace

class TestCacheService : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void lookupPrefersPinnedAndTouchesOnlyCachedFiles()
    {
        StorageFixture f;
        CacheService cache(f.locations, *f.store, *f.settings);

        // In both folders: the pinned copy wins and the cache record is left alone.
        QVERIFY(f.write(f.pinned(a), "pinned"));
        QVERIFY(f.write(f.cached(a), "cached"));
        f.record(a, 6, 90);
        const QDateTime before = f.entry(a)->lastUsedAt;
        QCOMPARE(cache.cachedURL(a), QUrl::fromLocalFile(f.pinned(a)));
        QCOMPARE(f.entry(a)->lastUsedAt, before);

        // Only cached: served from the cache and its last use moves to now, durably.
        QVERIFY(f.write(f.cached(b), "cached"));
        f.record(b, 6, 90);
        const QDateTime lookedUpAt = QDateTime::currentDateTimeUtc();
        QCOMPARE(cache.cachedURL(b), QUrl::fromLocalFile(f.cached(b)));
        RecordStore reopened(f.storePath());
        const auto touched = reopened.fetch<CacheEntry>(QStringLiteral("trackId"), b);
        QCOMPARE(touched.size(), 1);
        QVERIFY(touched.first().lastUsedAt >= lookedUpAt.addMSecs(-1));

        // A record without its file is not cached; a file without a record still is, and
        // looking it up creates no record.
        f.record(c, 6, 5);
        QCOMPARE(cache.cachedURL(c), std::nullopt);
        QVERIFY(f.write(f.cached(QStringLiteral("orphan")), "x"));
        QCOMPARE(cache.cachedURL(QStringLiteral("orphan")),
                 QUrl::fromLocalFile(f.cached(QStringLiteral("orphan"))));
        QVERIFY(!f.entry(QStringLiteral("orphan")));
        QCOMPARE(cache.cachedURL(QStringLiteral("absent")), std::nullopt);
    }

    void lookupNeverLeavesItsFolders()
    {
        StorageFixture f;
        CacheService cache(f.locations, *f.store, *f.settings);
        QVERIFY(f.write(f.locations.appRoot() + "/secret.mp3", "outside"));
        QCOMPARE(cache.cachedURL(QStringLiteral("../secret")), std::nullopt);
        QCOMPARE(cache.cachedURL(QString()), std::nullopt);
        QVERIFY_THROWS_EXCEPTION(AppError, cache.cacheFilePath(QStringLiteral("..")));
    }

    void evictsOldestUnprotectedUntilWithinBudget()
    {
        StorageFixture f;
        CacheService cache(f.locations, *f.store, *f.settings);
        cache.setBudgetBytes(500 * MiB);
        for (const QString &id : {a, b, c})
            QVERIFY(f.write(f.cached(id), id.toUtf8()));
        f.record(a, 300 * MiB, 30); // oldest
        f.record(b, 200 * MiB, 20);
        f.record(c, 100 * MiB, 10);

        // Protecting the oldest moves eviction to the next one; one eviction is enough.
        cache.protect(a);
        cache.enforceBudget();
        QCOMPARE(f.recordedIds(), (QStringList{a, c}));
        QCOMPARE(f.filesIn(f.locations.cacheDir()), (QStringList{"a.mp3", "c.mp3"}));

        // Exactly at the budget (400 MiB): nothing goes.
        cache.setBudgetBytes(400 * MiB);
        cache.enforceBudget();
        QCOMPARE(f.recordedIds(), (QStringList{a, c}));

        // Unprotected, the oldest is the one evicted; the removal is durable.
        cache.setProtectedIds({});
        cache.setBudgetBytes(350 * MiB);
        cache.enforceBudget();
        QCOMPARE(f.filesIn(f.locations.cacheDir()), QStringList{"c.mp3"});
        RecordStore reopened(f.storePath());
        QCOMPARE(
            reopened.fetchAll<CacheEntry>(QStringLiteral("lastUsedAt"), Qt::AscendingOrder).size(),
            1);
    }

    void staysAboveBudgetWhenEverythingIsProtected()
    {
        StorageFixture f;
        CacheService cache(f.locations, *f.store, *f.settings);
        cache.setBudgetBytes(1);
        for (const QString &id : {a, b}) {
            QVERIFY(f.write(f.cached(id), "x"));
            f.record(id, 10, 5);
        }
        // A file that has no record is neither counted nor evicted.
        QVERIFY(f.write(f.cached(c), "x"));
        cache.setProtectedIds({a, b});
        cache.enforceBudget();
        QCOMPARE(f.recordedIds().size(), 2);
        QCOMPARE(f.filesIn(f.locations.cacheDir()), (QStringList{"a.mp3", "b.mp3", "c.mp3"}));
    }

    void evictionOfAForeignRecordDeletesNothingOutside()
    {
        StorageFixture f;
        CacheService cache(f.locations, *f.store, *f.settings);
        const QString victim = f.locations.appRoot() + "/victim.mp3";
        QVERIFY(f.write(victim, "keep me"));
        f.record(QStringLiteral("../victim"), 10, 5);
        cache.setBudgetBytes(0);
        cache.enforceBudget();
        QVERIFY(f.recordedIds().isEmpty());
        QVERIFY(QFile::exists(victim));
    }

    void budgetFollowsTheStoredSetting()
    {
        StorageFixture f;
        {
            CacheService fresh(f.locations, *f.store, *f.settings);
            QCOMPARE(fresh.budgetBytes(), 500 * MiB);
        }
        f.settings->setString(SettingsKey::cacheSizeBudgetMB, QStringLiteral("lots"));
        QCOMPARE(CacheService::storedBudgetBytes(*f.settings), 500 * MiB);
        f.settings->setInteger(SettingsKey::cacheSizeBudgetMB, -3);
        QCOMPARE(CacheService::storedBudgetBytes(*f.settings), 500 * MiB);
        f.settings->setInteger(SettingsKey::cacheSizeBudgetMB, qint64(1) << 50);
        QCOMPARE(CacheService::storedBudgetBytes(*f.settings), std::numeric_limits<qint64>::max());

        // A restart starts from what the user chose, not from the default.
        f.settings->setInteger(SettingsKey::cacheSizeBudgetMB, 2);
        CacheService cache(f.locations, *f.store, *f.settings);
        QCOMPARE(cache.budgetBytes(), 2 * MiB);
        QSignalSpy budgetSpy(&cache, &CacheService::budgetBytesChanged);
        cache.setBudgetBytes(2 * MiB);
        QCOMPARE(budgetSpy.count(), 0);

        for (const QString &id : {a, b}) {
            QVERIFY(f.write(f.cached(id), "x"));
        }
        f.record(a, MiB, 20);
        f.record(b, MiB, 10);

        // Raising evicts nothing; lowering evicts at once, without anyone calling enforce.
        f.settings->setInteger(SettingsKey::cacheSizeBudgetMB, 3);
        QTRY_COMPARE(cache.budgetBytes(), 3 * MiB);
        QCOMPARE(f.recordedIds(), (QStringList{a, b}));
        f.settings->setInteger(SettingsKey::cacheSizeBudgetMB, 1);
        QTRY_COMPARE(cache.budgetBytes(), 1 * MiB);
        QCOMPARE(f.recordedIds(), QStringList{b});
        QVERIFY(!QFile::exists(f.cached(a)));
        QCOMPARE(budgetSpy.count(), 2);

        // Removing the key goes back to the default.
        f.settings->remove(SettingsKey::cacheSizeBudgetMB);
        QTRY_COMPARE(cache.budgetBytes(), 500 * MiB);
        QCOMPARE(budgetSpy.count(), 3);
    }

    void clearingKeepsPinnedFilesAndLetsRecordsAgeOut()
    {
        StorageFixture f;
        CacheService cache(f.locations, *f.store, *f.settings);
        QVERIFY(f.write(f.cached(a), "x"));
        QVERIFY(f.write(f.cached(b), "x"));
        f.record(a, 10, 6);
        f.record(b, 10, 5);
        QVERIFY(f.write(f.partial(c), "half"));
        QVERIFY(f.write(f.pinned(c), "pinned"));

        cache.clearCache();
        QVERIFY(f.filesIn(f.locations.cacheDir()).isEmpty());
        QCOMPARE(cache.cachedURL(a), std::nullopt);
        QCOMPARE(cache.cachedURL(b), std::nullopt);
        QCOMPARE(cache.cachedURL(c), QUrl::fromLocalFile(f.pinned(c)));
        // Under budget the records stay and still count; a lower budget drops them.
        QCOMPARE(f.recordedIds().size(), 2);
        cache.setBudgetBytes(10);
        cache.enforceBudget();
        QCOMPARE(f.recordedIds(), QStringList{b});
    }
};

QTEST_GUILESS_MAIN(TestCacheService)
#include "tst_cacheservice.moc"
