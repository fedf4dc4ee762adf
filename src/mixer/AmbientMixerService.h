#pragma once

#include "core/Cancellation.h"
#include "core/FileLocations.h"
#include "catalogue/Catalogue.h"
#include "catalogue/HTTPClient.h"

#include <QCoroTask>
#include <QHash>
#include <QList>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QVariantList>
#include <QVariantMap>
#include <functional>
#include <memory>

class AmbientEngine;
class LibraryService;
class MixStream;
class SettingsStore;

// Ambient layers (rain, fireplace, café…) looping under the music, each at its own volume.
// Their sound files are fetched once as the "ambient pack" into the ambient folder and can be
// deleted again. Layers sound only while the music plays: they pause with it, keeping their
// place, and resume with it. Volumes are remembered in the "ambientLayerVolumes" setting.
//
// A layer in effect with a volume above 0 whose file is present has a player: its file decoded
// once and looped by the AmbientEngine. Decoding takes a moment, so a player appears shortly
// after its volume is raised; a file that cannot be decoded gives no player, and its volume
// stays stored. After a restart every such layer gets its player back (silent until the music
// plays), and a layer the catalogue stops listing loses it, so the sliders and the sound agree.
//
// Layer ids become file names, so an id that could name a path outside the folder (see
// SafeFileName) is never fetched, stored, played or deleted.
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
    // The layers in effect when the catalogue names none.
    static const QList<AmbientLayer> &defaultLayers();

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
    // Aborts a pack download under way.
    ~AmbientMixerService() override;

    // The catalogue's layers when it has a non-empty list, otherwise defaultLayers().
    QList<AmbientLayer> layers() const;
    const QMap<QString, float> &layerVolumes() const { return m_layerVolumes; }
    // True when some layer in effect has a URL and every such layer's file is present.
    bool isPackDownloaded() const { return m_isPackDownloaded; }
    bool isDownloadingPack() const { return m_isDownloadingPack; }
    qint64 packDownloadedBytes() const { return m_packDownloadedBytes; }
    QString packDownloadError() const { return m_packDownloadError; }

    // Fetches, one after the other, every layer with a URL whose file is missing. A layer that
    // fails (transport error, status other than 200, write or move failure) stays missing and
    // the rest go on. Returns at once while another download runs. Never throws.
    QCoro::Task<> downloadPack();

    // A layer slider moved. Nothing happens while the layer's file is absent. Otherwise the
    // volume is stored; above 0 the player of a layer in effect is created (playing if the
    // music plays) or updated, at 0 or below it is stopped and dropped. A volume that is not a
    // number is ignored.
    Q_INVOKABLE void setVolume(float volume, const QString &layerId);
    // Deletes every layer file, silences every layer and forgets every volume.
    Q_INVOKABLE void removePack();
    // The start-up sweep of the ambient folder: partial files go, and, once a catalogue is
    // loaded, every file that is not the sound of a listed layer.
    void sweep();
    // For views, which cannot await.
    Q_INVOKABLE void startPackDownload();

    // The stored volume of a layer; 0 when none.
    Q_INVOKABLE float volumeFor(const QString &layerId) const
    {
        return m_layerVolumes.value(layerId, 0.0f);
    }

    // Layers that have a player now, and whether it sounds (the music plays and its volume is
    // above 0).
    QStringList playerIds() const;
    bool isLayerPlaying(const QString &layerId) const;
    // Where a layer's file lives; empty for an id that cannot be a file name.
    QString layerFile(const QString &layerId) const;

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
    bool musicIsPlaying() const;
    bool layerFileExists(const QString &layerId) const;
    bool storeLayerFile(const QString &layerId, const QByteArray &body) const;
    // Players exist exactly for the layers in effect that have a stored volume above 0 and a
    // file: a layer the catalogue stops listing has no slider left to silence it, and one
    // listed again (or after a restart) sounds as its slider shows.
    void syncPlayers();
    bool isListed(const QString &layerId) const;
    void loadVolumes();
    void saveVolumes();
    void setIsDownloadingPack(bool downloading);
    void setPackDownloadedBytes(qint64 bytes);
    void setPackDownloadError(const QString &reason);
    void updatePackState();
    void catalogueChanged();

    LibraryService &m_library;
    const HTTPClient m_http;
    const FileLocations m_locations;
    SettingsStore &m_settings;
    const MusicIsPlaying m_musicIsPlaying;
    AmbientEngine *m_engine;
    const CancellationToken m_cancel = CancellationToken::create();

    QMap<QString, float> m_layerVolumes;
    qint64 m_packDownloadedBytes = 0;
    bool m_isDownloadingPack = false;
    bool m_isPackDownloaded = false;
    QString m_packDownloadError;
    QList<AmbientLayer> m_layersSeen;

    // Layers being decoded: id → ticket. A decode whose ticket is no longer here (its volume
    // went to 0, the pack was removed, or a newer decode started) is dropped when it ends.
    QHash<QString, quint64> m_loading;
    quint64 m_nextTicket = 1;
};
