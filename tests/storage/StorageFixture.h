#pragma once

#include "Duskhaven/FileLocations.h"
#include "Duskhaven/RecordStore.h"
#include "Duskhaven/SettingsStore.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

// A fresh application tree in a temporary folder with a real record store file and a real
// settings file, as the storage services meet them in the application.
struct StorageFixture
{
    QTemporaryDir dir;
    FileLocations locations{dir.filePath(QStringLiteral("app"))};
    std::unique_ptr<RecordStore> store;
    std::unique_ptr<SettingsStore> settings;

    StorageFixture()
    {
        locations.ensureDirectories();
        store = std::make_unique<RecordStore>(dir.filePath(QStringLiteral("records.sqlite")));
        settings = std::make_unique<SettingsStore>(dir.filePath(QStringLiteral("settings.json")));
    }

    QString storePath() const { return dir.filePath(QStringLiteral("records.sqlite")); }
    QString cached(const QString &id) const { return locations.cacheDir() + '/' + id + ".mp3"; }
    QString partial(const QString &id) const
    {
        return locations.cacheDir() + '/' + id + ".partial";
    }
    QString pinned(const QString &id) const { return locations.pinnedDir() + '/' + id + ".mp3"; }

    static bool write(const QString &path, const QByteArray &bytes)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
               file.write(bytes) == bytes.size();
    }

    static QByteArray read(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // A record last used the given number of minutes ago.
    void record(const QString &id, qint64 sizeBytes, qint64 minutesAgo)
    {
        store->insert(
            CacheEntry{id, sizeBytes, QDateTime::currentDateTimeUtc().addSecs(-60 * minutesAgo)});
        store->save();
    }

    std::optional<CacheEntry> entry(const QString &id) const
    {
        const auto found = store->fetch<CacheEntry>(QStringLiteral("trackId"), id);
        if (found.isEmpty())
            return std::nullopt;
        return found.constFirst();
    }

    QStringList recordedIds() const
    {
        QStringList ids;
        for (const CacheEntry &e :
             store->fetchAll<CacheEntry>(QStringLiteral("lastUsedAt"), Qt::AscendingOrder))
            ids.append(e.trackId);
        return ids;
    }

    QStringList filesIn(const QString &folder) const
    {
        return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
};
