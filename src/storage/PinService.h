#pragma once

#include "core/Cancellation.h"
#include "core/FileLocations.h"
#include "catalogue/HTTPClient.h"

#include <QCoroTask>
#include <QMap>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <memory>

class LibraryService;
class SettingsStore;

namespace PinDetail {
class Turns;
}

// Keeps whole scenes on disk for offline listening: pinning downloads every track of a scene
// into the pinned folder (outside the cache budget), unpinning deletes them again. The pinned
// set is kept in the "pinnedPlaylistIds" setting. The player never asks this service anything:
// the cache's lookup finds pinned files first.
//
// Pins run one at a time, in the order asked; a later pin waits its turn. The pin under way is
// published (scene, tracks done, tracks in the scene) for the scene drawer.
class PinService : public QObject
{
    Q_OBJECT
    Q_PROPERTY(
        QStringList pinnedPlaylistIds READ pinnedPlaylistIdList NOTIFY pinnedPlaylistIdsChanged)
    // The scene being pinned now; empty when no pin is under way.
    Q_PROPERTY(QString pinningPlaylistId READ pinningPlaylistId NOTIFY pinningPlaylistIdChanged)
    Q_PROPERTY(int pinTracksDone READ pinTracksDone NOTIFY pinTracksDoneChanged)
    Q_PROPERTY(int pinTracksTotal READ pinTracksTotal NOTIFY pinTracksTotalChanged)
    // Scenes whose pin is under way or waiting its turn, in the order they will run.
    Q_PROPERTY(
        QStringList pendingPlaylistIds READ pendingPlaylistIds NOTIFY pendingPlaylistIdsChanged)

public:
    // Loads the pinned set from the settings; touches neither the disk nor the network.
    PinService(LibraryService &library, HTTPClient http, FileLocations locations,
               SettingsStore &settings, QObject *parent = nullptr);
    // Aborts the pin under way and drops those waiting; their callers receive a cancellation
    // error.
    ~PinService() override;

    const QSet<QString> &pinnedPlaylistIds() const { return m_pinned; }
    QStringList pinnedPlaylistIdList() const; // sorted
    Q_INVOKABLE bool isPinned(const QString &playlistId) const
    {
        return m_pinned.contains(playlistId);
    }

    const QString &pinningPlaylistId() const { return m_pinning; }
    int pinTracksDone() const { return m_done; }
    int pinTracksTotal() const { return m_total; }
    QStringList pendingPlaylistIds() const;

    // Downloads every track of the scene still missing from the pinned folder, one at a time,
    // then marks the scene pinned. Nothing happens without a catalogue or for a scene with no
    // tracks. Throws AppError: File when a track id cannot be a file name (before anything is
    // written) or a file cannot be written; the HTTP client's transport errors;
    // badServerResponse for any status but 200; Cancelled when the scene is unpinned before
    // its pin is done. Files already written stay, so a second pin fetches only the rest;
    // only a full disk (AppError::isOutOfSpace) takes them away again.
    QCoro::Task<> pin(QString playlistId);

    // Deletes the scene's pinned files, except those another pinned scene (or a pin under
    // way) still needs, and unmarks it. A pin of the scene under way or waiting stops without
    // marking it. Without a catalogue only the mark goes.
    Q_INVOKABLE void unpin(const QString &playlistId);

    // The drawer's pin button: unpins a pinned scene, otherwise starts pinning it in the
    // background (a failure leaves it unpinned, with no message).
    Q_INVOKABLE void togglePin(const QString &playlistId);

    // The start-up sweep of the pinned folder: partial files go, and, once a catalogue is
    // loaded, every file that is not a track of a pinned scene (what a failed or interrupted
    // pin left).
    void sweep();

Q_SIGNALS:
    void pinnedPlaylistIdsChanged();
    void pinningPlaylistIdChanged();
    void pinTracksDoneChanged();
    void pinTracksTotalChanged();
    void pendingPlaylistIdsChanged();

private:
    QCoro::Task<> runPin(QString playlistId, quint64 ticket);
    QCoro::Task<> pinIgnoringErrors(QString playlistId);
    // Deletes the scene's pinned files that no other pinned or pending scene needs.
    void removeFilesOnlyNeededBy(const QString &playlistId);
    void setPinned(const QSet<QString> &ids);
    void setProgress(const QString &playlistId, int done, int total);
    void finishTurn(quint64 ticket);
    bool isAbandoned(quint64 ticket) const { return m_abandoned.contains(ticket); }

    LibraryService &m_library;
    const HTTPClient m_http;
    const FileLocations m_locations;
    SettingsStore &m_settings;
    const CancellationToken m_cancel = CancellationToken::create();

    QSet<QString> m_pinned;
    QString m_pinning;
    int m_done = 0;
    int m_total = 0;

    // Each pin takes a ticket; tickets are served in order.
    std::shared_ptr<PinDetail::Turns> m_turns;
    QMap<quint64, QString> m_pending; // ticket → scene, waiting or under way
    QSet<quint64> m_abandoned;        // tickets whose scene was unpinned meanwhile
};
