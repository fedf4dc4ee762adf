#include "storage/PinService.h"

#include "catalogue/LibraryService.h"
#include "core/AppError.h"
#include "core/FileWriter.h"
#include "core/SafeFileName.h"
#include "core/SettingsStore.h"

#include <QCoroSignal>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <algorithm>

namespace PinDetail {
// The order pins run in. Shared with every waiting pin so that they can still wake, and
// learn that the service is gone, after it has been destroyed.
class Turns : public QObject
{
    Q_OBJECT
public:
    quint64 next = 0;    // the ticket the next pin gets
    quint64 serving = 0; // the ticket whose pin may run
    bool closed = false; // the service is gone

Q_SIGNALS:
    void advanced();
};
} // namespace PinDetail

using PinDetail::Turns;

namespace {
const QString mp3 = QStringLiteral(".mp3");

bool isFile(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() && !info.isDir();
}

// The track's file is in the pinned folder (an id that cannot be a file name never is).
bool isPresent(const QString &folder, const Track &track)
{
    return SafeFileName::isSafe(track.id) && isFile(SafeFileName::pathIn(folder, track.id, mp3));
}

QSet<QString> trackIds(const Manifest &manifest, const QString &playlistId)
{
    QSet<QString> ids;
    for (const Track &track : manifest.tracksForPlaylist(playlistId))
        ids.insert(track.id);
    return ids;
}
} // namespace

PinService::PinService(LibraryService &library, HTTPClient http, FileLocations locations,
                       SettingsStore &settings, QObject *parent)
    : QObject(parent), m_library(library), m_http(std::move(http)),
      m_locations(std::move(locations)), m_settings(settings),
      m_pinned(IdSetSetting::read(settings, SettingsKey::pinnedPlaylistIds)),
      m_turns(std::make_shared<Turns>())
{
    // Runs on a later turn of the event loop, never inside the library's own update.
    connect(&m_library, &LibraryService::manifestChanged, this, &PinService::catalogueChanged,
            Qt::QueuedConnection);
}

PinService::~PinService()
{
    m_cancel.cancel();
    m_turns->closed = true;
    Q_EMIT m_turns->advanced();
}

QStringList PinService::pinnedPlaylistIdList() const
{
    QStringList ids(m_pinned.cbegin(), m_pinned.cend());
    std::sort(ids.begin(), ids.end());
    return ids;
}

QStringList PinService::pendingPlaylistIds() const
{
    QStringList ids;
    for (auto it = m_pending.cbegin(); it != m_pending.cend(); ++it) {
        if (!isAbandoned(it.key()))
            ids.append(it.value());
    }
    return ids;
}

QCoro::Task<> PinService::pin(QString playlistId)
{
    const std::shared_ptr<Turns> turns = m_turns;
    const quint64 ticket = turns->next++;
    m_pending.insert(ticket, playlistId);
    Q_EMIT pendingPlaylistIdsChanged();

    while (turns->serving != ticket) {
        co_await qCoro(turns.get(), &Turns::advanced);
        if (turns->closed)
            throw AppError::cancelled();
    }

    std::optional<AppError> failure;
    try {
        co_await runPin(playlistId, ticket);
    } catch (const AppError &error) {
        failure = error;
    }
    if (turns->closed)
        throw AppError::cancelled();
    // With the disk full, the tracks already fetched only take the room the user lacks, for a
    // scene that stays unpinned; other failures keep them, so a second pin fetches the rest.
    if (failure && failure->isOutOfSpace() && !isPinned(playlistId))
        removeFilesOnlyNeededBy(playlistId);
    finishTurn(ticket);
    if (failure)
        throw *failure;
    removeUnneeded();
}

QCoro::Task<> PinService::runPin(QString playlistId, quint64 ticket)
{
    if (isAbandoned(ticket))
        throw AppError::cancelled();
    const std::optional<Manifest> &manifest = m_library.manifest();
    if (!manifest)
        co_return;
    QList<Track> tracks = manifest->tracksForPlaylist(playlistId);
    if (tracks.isEmpty())
        co_return;
    const QString folder = m_locations.pinnedDir();
    QPointer<PinService> self(this);
    while (!tracks.isEmpty()) {
        // Every id is checked before the first byte is written: such a scene is refused whole.
        for (const Track &track : tracks)
            SafeFileName::require(track.id);
        if (!QDir().mkpath(folder))
            throw AppError::folderNotCreated(folder);

        const int total = int(tracks.size());
        int done = 0;
        setProgress(playlistId, done, total);
        for (const Track &track : tracks) {
            const QString path = SafeFileName::pathIn(folder, track.id, mp3);
            if (!isFile(path)) {
                // Streamed to disk: a track may be far larger than memory should hold.
                const int status = co_await m_http.download(track.url, path, m_cancel);
                // Unpinned meanwhile: its files are meant to be gone, so this one goes too
                // (unless another pinned scene relies on it).
                if (!self)
                    throw AppError::cancelled();
                if (isAbandoned(ticket)) {
                    removeFilesOnlyNeededBy(playlistId);
                    throw AppError::cancelled();
                }
                if (status != 200)
                    throw AppError::badServerResponse(status);
                updatePresence();
            }
            setProgress(playlistId, ++done, total);
        }
        // A catalogue published during the downloads may list other tracks for the scene.
        tracks = m_library.manifest()->tracksForPlaylist(playlistId);
        if (std::all_of(tracks.cbegin(), tracks.cend(),
                        [&folder](const Track &track) { return isPresent(folder, track); }))
            tracks.clear();
    }

    QSet<QString> pinned = m_pinned;
    pinned.insert(playlistId);
    setPinned(pinned);
}

void PinService::unpin(const QString &playlistId)
{
    bool stopped = false;
    for (auto it = m_pending.cbegin(); it != m_pending.cend(); ++it) {
        if (it.value() == playlistId && !isAbandoned(it.key())) {
            m_abandoned.insert(it.key());
            stopped = true;
        }
    }
    if (stopped)
        Q_EMIT pendingPlaylistIdsChanged();

    removeFilesOnlyNeededBy(playlistId);

    QSet<QString> pinned = m_pinned;
    pinned.remove(playlistId);
    setPinned(pinned);
    // It may have been the one scene still waiting for tracks.
    removeUnneeded();
}

QSet<QString> PinService::neededTrackIds(const Manifest &manifest, const QString &except) const
{
    QSet<QString> needed;
    for (const QString &playlistId : pinnedPlaylistIdList() + pendingPlaylistIds()) {
        if (playlistId == except)
            continue;
        if (manifest.playlist(playlistId))
            needed.unite(trackIds(manifest, playlistId));
        else
            needed.unite(m_heldBy.value(playlistId));
    }
    return needed;
}

bool PinService::mayRemoveFiles()
{
    updatePresence();
    return m_library.manifest() && m_updating.isEmpty();
}

void PinService::removeFilesOnlyNeededBy(const QString &playlistId)
{
    if (!mayRemoveFiles())
        return;
    const Manifest &manifest = *m_library.manifest();
    const QSet<QString> stillNeeded = neededTrackIds(manifest, playlistId);
    for (const QString &id : trackIds(manifest, playlistId)) {
        if (!stillNeeded.contains(id) && SafeFileName::isSafe(id))
            QFile::remove(SafeFileName::pathIn(m_locations.pinnedDir(), id, mp3));
    }
}

void PinService::removeUnneeded()
{
    const std::optional<Manifest> &manifest = m_library.manifest();
    if (!manifest)
        return;
    QMap<QString, QSet<QString>> heldBy;
    bool allListed = true;
    for (const QString &playlistId : std::as_const(m_pinned)) {
        if (manifest->playlist(playlistId)) {
            heldBy.insert(playlistId, trackIds(*manifest, playlistId));
        } else {
            allListed = false;
            heldBy.insert(playlistId, m_heldBy.value(playlistId));
        }
    }
    // The starter lists none of a downloaded catalogue's scenes, so it cannot tell what they
    // need.
    if (m_library.showsStarter() || !mayRemoveFiles()) {
        for (auto it = heldBy.cbegin(); it != heldBy.cend(); ++it)
            m_heldBy[it.key()].unite(it.value());
        return;
    }
    // Besides the start, only what pinned scenes held goes: what a failed pin fetched stays
    // for its next try. The start's sweep waits while a pinned scene is not listed, since
    // which files are its cannot be told then.
    const QSet<QString> needed = neededTrackIds(*manifest, QString());
    QSet<QString> wasHeld;
    for (const QSet<QString> &ids : std::as_const(m_heldBy))
        wasHeld.unite(ids);
    const bool sweeping = m_sweepOwed && allListed;
    QDir folder(m_locations.pinnedDir());
    for (const QString &name : folder.entryList(QDir::Files | QDir::Hidden)) {
        if (name.endsWith(FileWriter::partialSuffix))
            continue;
        const QString id = name.endsWith(mp3) ? name.chopped(mp3.size()) : QString();
        if (!needed.contains(id) && (sweeping || wasHeld.contains(id)))
            folder.remove(name);
    }
    if (allListed)
        m_sweepOwed = false;
    m_heldBy = heldBy;
}

void PinService::sweep()
{
    FileWriter::sweep(m_locations.pinnedDir());
    m_sweepOwed = true;
    removeUnneeded();
}

void PinService::catalogueChanged()
{
    updatePresence();
    const QStringList pending = pendingPlaylistIds();
    for (const QString &playlistId : updatingPlaylistIds()) {
        // A pin of the scene still to finish fetches what the new catalogue lists.
        if (!pending.contains(playlistId))
            updateQuietly(playlistId);
    }
    removeUnneeded();
}

QCoro::Task<> PinService::updateQuietly(QString playlistId)
{
    try {
        co_await pin(playlistId);
    } catch (const AppError &) {
        // Kept as it was; the next catalogue change or start tries again.
    }
}

std::optional<PinService::Presence> PinService::updating(const QString &playlistId) const
{
    const auto found = m_updating.constFind(playlistId);
    return found == m_updating.cend() ? std::nullopt : std::optional(*found);
}

void PinService::updatePresence()
{
    QMap<QString, Presence> updating;
    if (const std::optional<Manifest> &manifest = m_library.manifest()) {
        const QString folder = m_locations.pinnedDir();
        for (const QString &playlistId : std::as_const(m_pinned)) {
            Presence presence;
            for (const Track &track : manifest->tracksForPlaylist(playlistId)) {
                ++presence.total;
                if (isPresent(folder, track))
                    ++presence.present;
            }
            if (presence.present < presence.total)
                updating.insert(playlistId, presence);
        }
    }
    if (updating == m_updating)
        return;
    m_updating = updating;
    Q_EMIT updatingChanged();
}

void PinService::togglePin(const QString &playlistId)
{
    if (isPinned(playlistId))
        unpin(playlistId);
    else
        pinIgnoringErrors(playlistId);
}

QCoro::Task<> PinService::pinIgnoringErrors(QString playlistId)
{
    QPointer<PinService> self(this);
    setFailure({}, {});
    try {
        co_await pin(playlistId);
    } catch (const AppError &error) {
        // The scene stays unpinned (nothing half-kept); the drawer says why, unless the pin
        // was called off.
        if (self && error.domain() != AppError::Domain::Cancelled)
            self->setFailure(playlistId, error.description());
    }
}

void PinService::setFailure(const QString &playlistId, const QString &description)
{
    if (m_failedPlaylistId == playlistId && m_failure == description)
        return;
    m_failedPlaylistId = playlistId;
    m_failure = description;
    Q_EMIT failureChanged();
}

void PinService::setPinned(const QSet<QString> &ids)
{
    // Written even when unchanged, so that an unreadable stored value is replaced.
    IdSetSetting::write(m_settings, SettingsKey::pinnedPlaylistIds, ids);
    if (ids == m_pinned)
        return;
    m_pinned = ids;
    updatePresence();
    Q_EMIT pinnedPlaylistIdsChanged();
}

void PinService::setProgress(const QString &playlistId, int done, int total)
{
    if (m_pinning != playlistId) {
        m_pinning = playlistId;
        Q_EMIT pinningPlaylistIdChanged();
    }
    if (m_total != total) {
        m_total = total;
        Q_EMIT pinTracksTotalChanged();
    }
    if (m_done != done) {
        m_done = done;
        Q_EMIT pinTracksDoneChanged();
    }
}

void PinService::finishTurn(quint64 ticket)
{
    m_pending.remove(ticket);
    const bool wasListed = !m_abandoned.remove(ticket);
    if (wasListed)
        Q_EMIT pendingPlaylistIdsChanged();
    setProgress(QString(), 0, 0);
    ++m_turns->serving;
    Q_EMIT m_turns->advanced();
}

#include "PinService.moc"
