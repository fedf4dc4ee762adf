#pragma once

#include "core/FileLocations.h"
#include "core/RecordStore.h"
#include "core/SettingsStore.h"
#include "storage/CacheEntry.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <memory>

// A fresh application tree in a temporary folder, with a real record store file and a real
// settings file.
struct StorageFixture
{
    QTemporaryDir dir;
    FileLocations locations{dir.filePath("app")};
    std::unique_ptr<RecordStore> store;
    std::unique_ptr<SettingsStore> settings;

    StorageFixture()
    {
        locations.ensureDirectories();
        store = std::make_unique<RecordStore>(storePath());
        settings = std::make_unique<SettingsStore>(dir.filePath("settings.json"));
    }

    QString storePath() const { return dir.filePath("records.sqlite"); }
    QString cached(const QString &id) const { return locations.cacheDir() + "/" + id + ".mp3"; }
    QString partial(const QString &id) const
    {
        return locations.cacheDir() + "/" + id + ".mp3.partial";
    }
    QString pinned(const QString &id) const { return locations.pinnedDir() + "/" + id + ".mp3"; }
    static bool write(const QString &path, const QByteArray &bytes)
    {
        return TestSupport::writeFile(path, bytes);
    }
    static QByteArray read(const QString &path) { return TestSupport::readFile(path); }
    static QStringList filesIn(const QString &folder)
    {
        return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    // A record last used the given number of minutes ago.
    void record(const QString &id, qint64 size, int minutesAgo)
    {
        store->insert(
            CacheEntry{id, size, QDateTime::currentDateTimeUtc().addSecs(-60 * minutesAgo)});
        store->save();
    }
    std::optional<CacheEntry> entry(const QString &id) const
    {
        const auto found = store->fetch<CacheEntry>("trackId", id);
        return found.isEmpty() ? std::nullopt : std::optional(found.first());
    }
    QStringList recordedIds() const // oldest first
    {
        return TestSupport::fieldOf(store->fetchAll<CacheEntry>("lastUsedAt", Qt::AscendingOrder),
                                    &CacheEntry::trackId);
    }
};
