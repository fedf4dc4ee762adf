#include "Duskhaven/AppError.h"
#include "Duskhaven/RecordStore.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

namespace {
CacheEntry entry(const QString &id, qint64 size, qint64 minutesAgo)
{
    return {id, size, QDateTime::currentDateTimeUtc().addSecs(-60 * minutesAgo)};
}

QStringList ids(const QList<CacheEntry> &entries)
{
    QStringList out;
    for (const CacheEntry &e : entries)
        out.append(e.trackId);
    return out;
}
} // namespace

class TestRecordStore : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    int m_counter = 0;
    QString freshPath() { return m_dir.filePath(QStringLiteral("store-%1.sqlite").arg(++m_counter)); }

private Q_SLOTS:
    void insertingTheSameKeyReplaces()
    {
        RecordStore store(freshPath());
        store.insert(entry(QStringLiteral("t1"), 100, 10));
        const CacheEntry replacement = entry(QStringLiteral("t1"), 250, 0);
        store.insert(replacement);
        const auto found = store.fetch<CacheEntry>(QStringLiteral("trackId"), QStringLiteral("t1"));
        QCOMPARE(found.size(), 1);
        QCOMPARE(found.first().sizeBytes, 250);
        // Dates come back to the millisecond.
        QCOMPARE(found.first().lastUsedAt, replacement.lastUsedAt);
    }

    void fetchesSortedAndDeletes()
    {
        RecordStore store(freshPath());
        store.insert(entry(QStringLiteral("mid"), 1, 5));
        store.insert(entry(QStringLiteral("new"), 1, 1));
        store.insert(entry(QStringLiteral("old"), 1, 60));
        QCOMPARE(ids(store.fetchAll<CacheEntry>(QStringLiteral("lastUsedAt"), Qt::AscendingOrder)),
                 (QStringList{QStringLiteral("old"), QStringLiteral("mid"), QStringLiteral("new")}));
        store.remove(entry(QStringLiteral("mid"), 0, 0));
        QCOMPARE(ids(store.fetchAll<CacheEntry>(QStringLiteral("lastUsedAt"), Qt::DescendingOrder)),
                 (QStringList{QStringLiteral("new"), QStringLiteral("old")}));
        QVERIFY(store.fetch<CacheEntry>(QStringLiteral("trackId"), QStringLiteral("mid")).isEmpty());
    }

    void onlySavedChangesSurviveAReopen()
    {
        const QString path = freshPath();
        CustomScene scene{QStringLiteral("6f1c2d9e-0000-4000-8000-000000000001"),
                          QStringLiteral("Morning"), QString(),
                          QByteArrayLiteral("/home/someone/Music/morning.flac"),
                          QDateTime::fromMSecsSinceEpoch(1700000000123, Qt::UTC)};
        {
            RecordStore store(path);
            store.insert(scene);
            store.save();
            store.insert(entry(QStringLiteral("unsaved"), 1, 1));
        }
        RecordStore reopened(path);
        const auto scenes =
            reopened.fetchAll<CustomScene>(QStringLiteral("createdAt"), Qt::DescendingOrder);
        QCOMPARE(scenes.size(), 1);
        QCOMPARE(scenes.first(), scene);
        QVERIFY(reopened.fetchAll<CacheEntry>(QStringLiteral("trackId"), Qt::AscendingOrder)
                    .isEmpty());
    }

    void fieldNamesNeverReachTheQueryUnchecked()
    {
        RecordStore store(freshPath());
        store.insert(entry(QStringLiteral("t1"), 1, 1));
        QVERIFY_THROWS_EXCEPTION(AppError, store.fetch<CacheEntry>(
                                               QStringLiteral("trackId = trackId OR 1"), 1));
        QVERIFY_THROWS_EXCEPTION(AppError, store.fetchAll<CacheEntry>(
                                               QStringLiteral("1; DROP TABLE CacheEntry"),
                                               Qt::AscendingOrder));
        QCOMPARE(store.fetchAll<CacheEntry>(QStringLiteral("trackId"), Qt::AscendingOrder).size(),
                 1);
    }

    void openingFailsWithADescription_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("expected");
        QTest::newRow("not a database")
            << QByteArrayLiteral("this is not an SQLite file at all, just some text......")
            << QStringLiteral("not a database");
        QTest::newRow("folder") << QByteArray() << QStringLiteral("folder");
    }

    void openingFailsWithADescription()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, expected);
        const QString path = freshPath();
        if (content.isEmpty()) {
            QVERIFY(QDir().mkpath(path));
        } else {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content.repeated(40));
        }
        try {
            RecordStore store(path);
            QFAIL("opening should have failed");
        } catch (const AppError &error) {
            QCOMPARE(error.domain(), AppError::Domain::Store);
            QVERIFY2(error.description().contains(expected), qPrintable(error.description()));
        }
    }

    void refusesAnotherSchemaVersion()
    {
        const QString path = freshPath();
        {
            RecordStore store(path);
        }
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("raw"));
            db.setDatabaseName(path);
            QVERIFY(db.open());
            QSqlQuery query(db);
            QVERIFY(query.exec(QStringLiteral("UPDATE Meta SET value = '2.0.0'")));
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("raw"));
        QVERIFY_THROWS_EXCEPTION(AppError, RecordStore{path});
    }
};

QTEST_GUILESS_MAIN(TestRecordStore)
#include "tst_recordstore.moc"
