#pragma once

#include "mixes/MixLink.h"
#include "mixes/MixRecords.h"
#include "mixes/VolumeGlide.h"

#include <QCoroTask>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QUrl>
#include <QVariantList>
#include <chrono>
#include <optional>

class AmbientMixerService;
class LibraryService;
class PlayerService;
class SettingsStore;

// The user's saved mixes (scene, music volume and each layer's volume under a name), kept as
// SavedMix records, and mixes received as dusk-haven://mix links.
//
// Applying a mix glides every volume to the mix's over glideDuration and plays its scene; the
// layers the catalogue no longer lists are left alone, and a listed layer whose sound is not
// on disk yet is fetched with the ambient pack and glides in once it is here. A mix without a
// scene leaves the music as it is. The engines render the glides ahead with the sound (see
// VolumeGlide), and the volumes show the mix's from the start; one the user changes meanwhile
// stays as they set it. The player and the mixer are held weakly.
class SavedMixesService : public QObject
{
    Q_OBJECT
    // Each entry: {id, name, sceneId}; oldest first.
    Q_PROPERTY(QVariantList mixes READ mixList NOTIFY mixesChanged)
    // Why the last operation did nothing (a refused name or link, a store failure), in words
    // for the user; empty after one that succeeded.
    Q_PROPERTY(QString message READ message NOTIFY messageChanged)
    // A mix opened from a link is playing and has not been saved: the views offer "Save mix".
    Q_PROPERTY(bool offersSave READ offersSave NOTIFY offerChanged)
    // The name the next "Save mix" proposes: the link's name when one is on offer, else the
    // first free "Mix N".
    Q_PROPERTY(QString suggestedName READ suggestedName NOTIFY suggestedNameChanged)

public:
    static constexpr std::chrono::milliseconds defaultGlide{2000};

    SavedMixesService(RecordStore &store, SettingsStore &settings, LibraryService &library,
                      PlayerService *player, AmbientMixerService *mixer,
                      std::chrono::milliseconds glideDuration = defaultGlide,
                      QObject *parent = nullptr);
    ~SavedMixesService() override;

    const QList<SavedMix> &mixes() const { return m_mixes; }
    // The saved mix with this id; none when there is none (deleted since, or never saved).
    const SavedMix *mix(const QString &id) const;
    QVariantList mixList() const;
    const QString &message() const { return m_message; }
    bool offersSave() const { return m_offer.has_value(); }
    QString suggestedName() const;

    // What is heard now (or, during a glide, what it is heading for). A scene of the user's
    // own is not part of it: it cannot be played from elsewhere.
    MixLevels currentLevels() const;

    // Each returns whether it did what it says; otherwise `message` tells why.
    Q_INVOKABLE bool saveCurrent(const QString &name);
    Q_INVOKABLE bool rename(const QString &id, const QString &name);
    Q_INVOKABLE bool remove(const QString &id);
    Q_INVOKABLE bool apply(const QString &id);
    // Over a glide of its own rather than the usual one (a schedule's twenty minutes).
    bool apply(const QString &id, std::chrono::milliseconds glide);
    // The link of a saved mix, or of what is heard now when id is empty; empty (and `message`
    // set) when it has no catalogue scene to share.
    Q_INVOKABLE QString linkFor(const QString &id);
    // Puts linkFor(id) on the clipboard.
    Q_INVOKABLE bool copyLink(const QString &id);
    Q_INVOKABLE void dismissOffer();

    // Applies a dusk-haven://mix address and offers to save it. Returns why it was refused
    // (nothing changed then); empty when it was applied.
    QString openMixAddress(const QUrl &url);

    // Glides to the levels (over `glide`, else the usual glide) and plays their scene.
    // Finishes when every volume is at its target, including layers that had to be fetched
    // first.
    QCoro::Task<> applyLevels(MixLevels levels,
                              std::optional<std::chrono::milliseconds> glide = std::nullopt);

    bool isGliding() const { return m_target.has_value(); }

Q_SIGNALS:
    void mixesChanged();
    void messageChanged();
    void offerChanged();
    void suggestedNameChanged();

private:
    QList<VolumeGlide::Channel> layerChannels(const MixLevels &levels,
                                              const QStringList &layerIds) const;
    void startGlide(QList<VolumeGlide::Channel> channels, std::chrono::milliseconds duration);
    void stopGlides();
    bool layerOnDisk(const QString &layerId) const;
    QStringList namesExcept(const QString &id) const;
    qsizetype indexOf(const QString &id) const;
    // Writes the change; on failure the records are read back and the message set.
    bool store(const std::function<void()> &change);
    void reload();
    void setMessage(const QString &text);
    void setOffer(std::optional<QString> name);

    RecordStore &m_store;
    SettingsStore &m_settings;
    LibraryService &m_library;
    QPointer<PlayerService> m_player;
    QPointer<AmbientMixerService> m_mixer;
    const std::chrono::milliseconds m_glideDuration;

    QList<SavedMix> m_mixes;
    QString m_message;
    // The name a link gave its mix, while the mix is on offer.
    std::optional<QString> m_offer;
    // The levels the glides under way head for.
    std::optional<MixLevels> m_target;
    QList<QPointer<VolumeGlide>> m_glides;
    // Each apply overtakes the ones before it.
    quint64 m_generation = 0;
    // The latest apply waits for layers of the pack before its last glide.
    bool m_fetching = false;
};
