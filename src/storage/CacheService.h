#pragma once

#include "core/FileLocations.h"
#include "core/SettingsStore.h"

#include <QObject>
#include <QSet>
#include <QStringList>
#include <QUrl>
#include <optional>

class RecordStore;

// The books of the audio cache: one file per downloaded track in the cache folder, one
// CacheEntry record per cached file, a byte budget and the ids eviction must skip. Pinned
// files live in their own folder; the lookup finds them first, and they are never counted or
// evicted.
//
// Nothing here follows the catalogue: a cached file stays while its record does, whichever
// catalogue is in use and whether or not any names it. It goes only by eviction (least
// recently used first, never a protected id, so what played last goes last), by the start's
// sweep (a file without a record, a partial file no writer holds) or by Clear Cache.
//
// The budget starts from the stored "cacheSizeBudgetMB" (500 MB when absent) and follows every
// later change of that setting, enforcing at once, so the figure shown in the settings and the
// budget in effect always agree.
class CacheService : public QObject
{
    Q_OBJECT
    Q_PROPERTY(qint64 budgetBytes READ budgetBytes WRITE setBudgetBytes NOTIFY budgetBytesChanged)
    Q_PROPERTY(QStringList protectedIds READ protectedIdList NOTIFY protectedIdsChanged)

public:
    static constexpr qint64 bytesPerMegabyte = 1048576;
    static constexpr qint64 defaultBudgetMegabytes = Setting::cacheSizeBudgetMB.fallback;
    static constexpr qint64 defaultBudgetBytes = defaultBudgetMegabytes * bytesPerMegabyte;

    CacheService(FileLocations locations, RecordStore &store, SettingsStore &settings,
                 QObject *parent = nullptr);
    ~CacheService() override;

    // The budget the stored setting stands for: its megabytes × 1,048,576, or 500 MB when the
    // key is absent or not a whole number of at least 0. A figure too large for 64 bits means
    // no practical limit.
    static qint64 storedBudgetBytes(const SettingsStore &settings);

    qint64 budgetBytes() const { return m_budgetBytes; }
    // Does not enforce by itself.
    void setBudgetBytes(qint64 bytes);

    const QSet<QString> &protectedIds() const { return m_protectedIds; }
    QStringList protectedIdList() const; // sorted
    void setProtectedIds(const QSet<QString> &ids);
    void protect(const QString &trackId);

    const FileLocations &locations() const { return m_locations; }

    // Where the cached copy of a track lives (whether or not it exists yet). Throws AppError
    // (File domain) when the id cannot be a file name.
    QString cacheFilePath(const QString &trackId) const;
    QString pinnedFilePath(const QString &trackId) const;

    // A local file of the track: the pinned one first, then the cached one (whose record's
    // last use moves to now, a failure of that ignored); none when neither exists or the id
    // cannot be a file name. Only a found cached file costs a store access.
    std::optional<QUrl> cachedURL(const QString &trackId);

    // Moves the track's record's last use to now; nothing when there is no record. Throws
    // AppError (Store domain).
    void touch(const QString &trackId);

    // Takes in the file just downloaded to cacheFilePath(trackId): records it as used now and
    // enforces the budget, never evicting this file. When the record cannot be saved the file
    // is deleted and the Store error thrown, so that no file is left without its record. A
    // failing budget enforcement is left to the next download.
    void addDownloaded(const QString &trackId);

    // The start-up reconciliation of files and records: deletes partial files that no writer
    // holds and files without a record, and drops records whose file is gone. Throws AppError
    // (Store domain) when the records cannot be read or saved; the files are swept anyway.
    void sweep();

    // Evicts least recently used, unprotected files (and their records) until the recorded
    // sizes fit the budget. The cache stays above it when only protected records remain;
    // `spare` protects more ids for this run only. Throws AppError (Store domain); file
    // deletion failures are ignored.
    void enforceBudget(const QSet<QString> &spare = {});

    // Deletes every entry of the cache folder, then enforces the budget (ignoring its error).
    // The records stay until eviction drops them; pinned files are untouched, and so is a
    // download under way, which still completes into the cache.
    Q_INVOKABLE void clearCache();

Q_SIGNALS:
    void budgetBytesChanged();
    void protectedIdsChanged();

private:
    void applyStoredBudget();

    qint64 m_budgetBytes;
    QSet<QString> m_protectedIds;
    FileLocations m_locations;
    RecordStore &m_store;
    SettingsStore &m_settings;
};
