#pragma once

#include "mixer/AmbientPack.h"

#include <QCoroTask>
#include <QHash>
#include <QList>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QVariantList>
#include <QVariantMap>
#include <chrono>
#include <functional>
#include <memory>

class AmbientEngine;
class LibraryService;
class MixStream;
class SettingsStore;

// Ambient layers (rain, fireplace, café…) looping under the music, each at its own volume.
// Their sound files are the ambient pack's (see AmbientPack), whose state and operations this
// service passes on to the views. Layers sound only while the music plays: they pause with it,
// keeping their place, and resume with it. Volumes are remembered in the "ambientLayerVolumes"
// setting.
//
// A layer in effect with a volume above 0 whose file is present has a player: its file decoded
// once and looped by the AmbientEngine. Decoding takes a moment, so a player appears shortly
// after its volume is raised; a file that cannot be decoded gives no player, and its volume
// stays stored. After a restart every such layer gets its player back (silent until the music
// plays), and a layer the catalogue stops listing loses it, so the sliders and the sound agree.
class AmbientMixerService : public QObject
{
    Q_OBJECT
    // Each entry: {id, name, icon, hasUrl}.
    Q_PROPERTY(QVariantList layers READ layerList NOTIFY layersChanged)
    // Layer id → volume 0…1, as last set; 0 entries stay.
    Q_PROPERTY(QVariantMap layerVolumes READ layerVolumeMap NOTIFY layerVolumesChanged)
    Q_PROPERTY(bool isPackDownloaded READ isPackDownloaded NOTIFY isPackDownloadedChanged)
    Q_PROPERTY(bool isDownloadingPack READ isDownloadingPack NOTIFY isDownloadingPackChanged)
    // Bytes stored by the current (or last) pack download.
    Q_PROPERTY(
        qint64 packDownloadedBytes READ packDownloadedBytes NOTIFY packDownloadedBytesChanged)
    // Why the last pack download left a layer missing ("Could not download Rain: …"); empty
    // when it stored every layer, and from the start of the next download.
    Q_PROPERTY(QString packDownloadError READ packDownloadError NOTIFY packDownloadErrorChanged)

public:
    // Whether the music plays now. The mixer lies below the player, so whoever builds both
    // hands this in and calls musicChanged() when the answer may have changed.
    using MusicIsPlaying = std::function<bool()>;

    // Loads the stored volumes and creates the ambient folder (a failure is ignored). Starts no
    // sound; the players of stored volumes are rebuilt on a later turn of the event loop.
    // Without `musicIsPlaying` the music counts as paused. The layers sound through the given
    // stream (the music's), or through one of their own.
    AmbientMixerService(LibraryService &library, HTTPClient http, FileLocations locations,
                        SettingsStore &settings, MusicIsPlaying musicIsPlaying,
                        std::shared_ptr<MixStream> stream = {}, QObject *parent = nullptr);

    // The pack's layers, state and operations, as the views reach them (see AmbientPack).
    QList<AmbientLayer> layers() const { return m_pack.layers(); }
    bool isPackDownloaded() const { return m_pack.isDownloaded(); }
    bool isDownloadingPack() const { return m_pack.isDownloading(); }
    qint64 packDownloadedBytes() const { return m_pack.downloadedBytes(); }
    QString packDownloadError() const { return m_pack.downloadError(); }

    QCoro::Task<> downloadPack() { return m_pack.download(); }
    void sweep() { m_pack.sweep(); }
    QString layerFile(const QString &layerId) const { return m_pack.layerFile(layerId); }

    const QMap<QString, float> &layerVolumes() const { return m_layerVolumes; }

    // A layer slider moved. Nothing happens while the layer's file is absent. Otherwise the
    // volume is stored; above 0 the player of a layer in effect is created (playing if the
    // music plays) or updated, at 0 or below it is stopped and dropped. A volume that is not a
    // number is ignored.
    Q_INVOKABLE void setVolume(float volume, const QString &layerId);
    // As setVolume(), but the sound glides there over `over`, eased at both ends, rendered
    // ahead with the queued sound; the volume shown (and stored) is the new one from the
    // start. At 0 the layer keeps its player to the end of the glide: the setVolume() that
    // ends the glide drops it. A layer whose player is still to be made, or that the music
    // pauses and plays again meanwhile, glides to the volume over the time left.
    void glideVolume(float volume, const QString &layerId, std::chrono::milliseconds over);
    // Deletes every layer file, silences every layer and forgets every volume.
    Q_INVOKABLE void removePack();
    // For views, which cannot await.
    Q_INVOKABLE void startPackDownload() { m_pack.download(); }

    // The stored volume of a layer; 0 when none.
    Q_INVOKABLE float volumeFor(const QString &layerId) const
    {
        return m_layerVolumes.value(layerId, 0.0f);
    }

    // Layers that have a player now, and whether it sounds (the music plays and its volume is
    // above 0).
    QStringList playerIds() const;
    bool isLayerPlaying(const QString &layerId) const;

    AmbientEngine &engine() const { return *m_engine; }

    // The music started or stopped, or its player went: the layers follow on a later turn of
    // the event loop, never inside the player's own update.
    void musicChanged();

    QVariantList layerList() const;
    QVariantMap layerVolumeMap() const;

Q_SIGNALS:
    void layersChanged();
    void layerVolumesChanged();
    void isPackDownloadedChanged();
    void isDownloadingPackChanged();
    void packDownloadedBytesChanged();
    void packDownloadErrorChanged();
    // A layer's file was decoded and its player is in place, or its decoding failed.
    void layerLoaded(const QString &layerId, bool succeeded);

private:
    QCoro::Task<> loadLayer(QString layerId, QString path, quint64 ticket);
    void startLayer(const QString &layerId);
    void followMusic();
    // Stores the layer's volume; false for one the mixer takes no volume for.
    bool keepVolume(float volume, const QString &layerId);
    // Goes on with the glide under way for the layer, over its time left.
    void continueGlide(const QString &layerId);
    bool musicIsPlaying() const;
    // Players exist exactly for the layers in effect that have a stored volume above 0 and a
    // file: a layer the catalogue stops listing has no slider left to silence it, and one
    // listed again (or after a restart) sounds as its slider shows.
    void syncPlayers();
    void loadVolumes();
    void saveVolumes();

    AmbientPack m_pack;
    SettingsStore &m_settings;
    const MusicIsPlaying m_musicIsPlaying;
    AmbientEngine *m_engine;

    QMap<QString, float> m_layerVolumes;
    // The ends of the layers' glides under way.
    QHash<QString, std::chrono::steady_clock::time_point> m_glideEnds;

    // Layers being decoded: id → ticket. A decode whose ticket is no longer here (its volume
    // went to 0, the pack was removed, or a newer decode started) is dropped when it ends.
    QHash<QString, quint64> m_loading;
    quint64 m_nextTicket = 1;
};
