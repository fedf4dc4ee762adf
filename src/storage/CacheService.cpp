#include "storage/CacheService.h"

#include "core/AppError.h"
#include "core/FileWriter.h"
#include "core/SafeFileName.h"
#include "core/SettingsStore.h"
#include "storage/CacheEntry.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <limits>

namespace {
const QString mp3 = QStringLiteral(".mp3");
const QString trackIdField = QStringLiteral("trackId");
const QString lastUsedAtField = QStringLiteral("lastUsedAt");

bool isFile(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() && !info.isDir();
}
} // namespace

CacheService::CacheService(FileLocations locations, RecordStore &store, SettingsStore &settings,
                           QObject *parent)
    : QObject(parent), m_budgetBytes(storedBudgetBytes(settings)),
      m_locations(std::move(locations)), m_store(store), m_settings(settings)
{
    settings.follow(SettingsKey::cacheSizeBudgetMB, this, [this] { applyStoredBudget(); });
}

CacheService::~CacheService() = default;

qint64 CacheService::storedBudgetBytes(const SettingsStore &settings)
{
    return settings.value(Setting::cacheSizeBudgetMB) * bytesPerMegabyte;
}

void CacheService::applyStoredBudget()
{
    setBudgetBytes(storedBudgetBytes(m_settings));
    try {
        enforceBudget();
    } catch (const AppError &) {
        // The next download enforces again; the new budget is already in effect.
    }
}

void CacheService::setBudgetBytes(qint64 bytes)
{
    if (bytes == m_budgetBytes)
        return;
    m_budgetBytes = bytes;
    Q_EMIT budgetBytesChanged();
}

QStringList CacheService::protectedIdList() const
{
    QStringList ids(m_protectedIds.cbegin(), m_protectedIds.cend());
    std::sort(ids.begin(), ids.end());
    return ids;
}

void CacheService::setProtectedIds(const QSet<QString> &ids)
{
    if (ids == m_protectedIds)
        return;
    m_protectedIds = ids;
    Q_EMIT protectedIdsChanged();
}

void CacheService::protect(const QString &trackId)
{
    if (m_protectedIds.contains(trackId))
        return;
    m_protectedIds.insert(trackId);
    Q_EMIT protectedIdsChanged();
}

QString CacheService::cacheFilePath(const QString &trackId) const
{
    return SafeFileName::pathIn(m_locations.cacheDir(), trackId, mp3);
}

QString CacheService::pinnedFilePath(const QString &trackId) const
{
    return SafeFileName::pathIn(m_locations.pinnedDir(), trackId, mp3);
}

std::optional<QUrl> CacheService::cachedURL(const QString &trackId)
{
    // No file of ours can carry such an id; looking it up would only probe outside the folders.
    if (!SafeFileName::isSafe(trackId))
        return std::nullopt;

    const QString pinned = pinnedFilePath(trackId);
    if (isFile(pinned))
        return QUrl::fromLocalFile(pinned);

    const QString cached = cacheFilePath(trackId);
    if (!isFile(cached))
        return std::nullopt;
    try {
        touch(trackId);
    } catch (const AppError &) {
        // The file is complete whatever its record says; at worst it is evicted a little early.
    }
    return QUrl::fromLocalFile(cached);
}

void CacheService::touch(const QString &trackId)
{
    const QList<CacheEntry> found = m_store.fetch<CacheEntry>(trackIdField, trackId);
    if (found.isEmpty())
        return;
    CacheEntry entry = found.constFirst();
    entry.lastUsedAt = QDateTime::currentDateTimeUtc();
    m_store.insert(entry);
    m_store.save();
}

void CacheService::addDownloaded(const QString &trackId)
{
    const QString path = cacheFilePath(trackId);
    try {
        m_store.insert(
            CacheEntry{trackId, QFileInfo(path).size(), QDateTime::currentDateTimeUtc()});
        m_store.save();
    } catch (const AppError &) {
        QFile::remove(path);
        throw;
    }
    try {
        // The file just made is what the caller is about to play: a budget smaller than it
        // must not evict it before the caller even sees it.
        enforceBudget({trackId});
    } catch (const AppError &) {
        // The file and its record agree; the next download enforces again.
    }
}

void CacheService::sweep()
{
    QSet<QString> recorded;
    try {
        for (const CacheEntry &entry :
             m_store.fetchAll<CacheEntry>(trackIdField, Qt::AscendingOrder))
            recorded.insert(entry.trackId);
    } catch (const AppError &) {
        // Without the records no file can be judged unknown: only partial files go.
        FileWriter::sweep(m_locations.cacheDir());
        throw;
    }
    FileWriter::sweep(m_locations.cacheDir(), [&recorded](const QString &name) {
        return name.endsWith(mp3) && recorded.contains(name.chopped(mp3.size()));
    });
    bool dropped = false;
    for (const QString &id : std::as_const(recorded)) {
        if (!SafeFileName::isSafe(id) || !isFile(cacheFilePath(id))) {
            m_store.remove(CacheEntry{id, 0, {}});
            dropped = true;
        }
    }
    if (dropped)
        m_store.save();
}

void CacheService::enforceBudget(const QSet<QString> &spare)
{
    const QList<CacheEntry> entries =
        m_store.fetchAll<CacheEntry>(lastUsedAtField, Qt::AscendingOrder);
    qint64 total = 0;
    for (const CacheEntry &entry : entries)
        total += entry.sizeBytes;

    if (m_budgetBytes >= total) {
        m_store.save();
        return;
    }
    for (const CacheEntry &entry : entries) {
        if (m_protectedIds.contains(entry.trackId) || spare.contains(entry.trackId))
            continue;
        // A record that could not name a file of ours (written by hand, say) loses only its
        // record: nothing outside the cache folder is ever deleted.
        if (SafeFileName::isSafe(entry.trackId))
            QFile::remove(cacheFilePath(entry.trackId));
        m_store.remove(entry);
        total -= entry.sizeBytes;
        if (m_budgetBytes >= total)
            break;
    }
    m_store.save();
}

void CacheService::clearCache()
{
    QDir dir(m_locations.cacheDir());
    if (dir.exists()) {
        const QFileInfoList entries = dir.entryInfoList(QDir::AllEntries | QDir::Hidden |
                                                        QDir::System | QDir::NoDotAndDotDot);
        for (const QFileInfo &entry : entries) {
            // A track still downloading is not cached audio yet: it completes into the cache
            // and is recorded there, rather than failing on a partial file pulled from under it.
            if (FileWriter::isBeingWritten(entry.absoluteFilePath()))
                continue;
            if (entry.isDir() && !entry.isSymLink())
                QDir(entry.absoluteFilePath()).removeRecursively();
            else
                QFile::remove(entry.absoluteFilePath());
        }
    }
    try {
        enforceBudget();
    } catch (const AppError &) {
    }
}
