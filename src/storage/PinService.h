#pragma once

#include "catalogue/HTTPClient.h"
#include "core/Cancellation.h"
#include "core/FileLocations.h"

#include <QCoroTask>
#include <QMap>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <memory>
#include <optional>

class LibraryService;
struct Manifest;
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
//
// A pinned scene outlives a change of the catalogue: when the catalogue in use is replaced (or
// loaded at start), the tracks its pinned scenes now list but the pinned folder lacks are
// fetched quietly, one at a time, behind any other pin; a failure (offline, say) keeps
// everything and is tried again at the next change or start. Until then the scene is
// "updating": published with how many of its tracks are there.
//
// A pinned file is removed only when both hold: no pinned scene (nor a pin under way) of the
// catalogue in use lists its track, and every track of every pinned scene is in the pinned
// folder. So the old tracks of a changed scene stay until its new ones have all arrived, and
// offline a pinned scene always has something to play. While the starter catalogue installed
// with the app is in use, only an unpin removes files. A pinned scene the catalogue in use
// does not list (the user switched to another catalogue, or it left this one) keeps its pin
// and the files it had, so it is whole again when a catalogue lists it; only an unpin gives
// them up.
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
    // Why the last pin started from a view failed, and for which scene; empty once that scene
    // is pinned again or another view pin starts.
    Q_PROPERTY(QString failedPlaylistId READ failedPlaylistId NOTIFY failureChanged)
    Q_PROPERTY(QString failure READ failure NOTIFY failureChanged)
    // Pinned scenes some of whose tracks are not on disk yet, sorted.
    Q_PROPERTY(QStringList updatingPlaylistIds READ updatingPlaylistIds NOTIFY updatingChanged)

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

    struct Presence
    {
        int present = 0; // tracks of the scene in the pinned folder
        int total = 0;   // tracks of the scene in the catalogue
        bool operator==(const Presence &) const = default;
    };
    // For a pinned scene whose tracks are not all on disk; none for a whole or unpinned one.
    std::optional<Presence> updating(const QString &playlistId) const;
    QStringList updatingPlaylistIds() const { return m_updating.keys(); }

    // Downloads every track of the scene still missing from the pinned folder, one at a time,
    // then marks the scene pinned. Nothing happens without a catalogue or for a scene with no
    // tracks. Throws AppError: File when a track id cannot be a file name (before anything is
    // written) or a file cannot be written; the HTTP client's transport errors;
    // badServerResponse for any status but 200; Cancelled when the scene is unpinned before
    // its pin is done. Files already written stay, so a second pin fetches only the rest;
    // only a full disk (AppError::isOutOfSpace) takes them away again.
    QCoro::Task<> pin(QString playlistId);

    // Deletes the scene's pinned files, except those another pinned scene (or a pin under
    // way) still needs, and unmarks it; while a pinned scene waits for tracks, the files stay
    // until it is whole. A pin of the scene under way or waiting stops without
    // marking it. Without a catalogue only the mark goes.
    Q_INVOKABLE void unpin(const QString &playlistId);
    QString failedPlaylistId() const { return m_failedPlaylistId; }
    QString failure() const { return m_failure; }

    // The drawer's pin button: unpins a pinned scene, otherwise starts pinning it in the
    // background (a failure leaves it unpinned, with no message).
    Q_INVOKABLE void togglePin(const QString &playlistId);

    // The start-up sweep of the pinned folder: partial files go, and the files no pinned
    // scene needs, as far as the rule above allows (what a failed or interrupted pin, or an
    // older catalogue, left).
    void sweep();

Q_SIGNALS:
    void pinnedPlaylistIdsChanged();
    void pinningPlaylistIdChanged();
    void pinTracksDoneChanged();
    void pinTracksTotalChanged();
    void pendingPlaylistIdsChanged();
    void failureChanged();
    void updatingChanged();

private:
    // Follows the catalogue in use: fetches the pinned scenes' missing tracks in the
    // background.
    void catalogueChanged();
    QCoro::Task<> runPin(QString playlistId, quint64 ticket);
    QCoro::Task<> pinIgnoringErrors(QString playlistId);
    QCoro::Task<> updateQuietly(QString playlistId);
    // Recounts the pinned scenes' tracks on disk.
    void updatePresence();
    // Removes the pinned files the rule above lets go; partial files are left to the sweep.
    // Strays (what a failed pin left) go only with the start's sweep.
    void removeUnneeded();
    void setFailure(const QString &playlistId, const QString &description);
    // The track ids the pinned scenes and the pins under way list, but those of `except`.
    QSet<QString> neededTrackIds(const Manifest &manifest, const QString &except) const;
    // The rule above: a catalogue in use, and every pinned scene whole.
    bool mayRemoveFiles();
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
    QString m_failedPlaylistId;
    QString m_failure;
    QSet<quint64> m_abandoned; // tickets whose scene was unpinned meanwhile
    QMap<QString, Presence> m_updating;
    // Per pinned scene, the track ids it listed since files last went; only those go during a
    // run. A scene the catalogue in use does not list keeps the ids it had.
    QMap<QString, QSet<QString>> m_heldBy;
    // The start's sweep could not yet take the files no pinned scene needs.
    bool m_sweepOwed = false;
};
