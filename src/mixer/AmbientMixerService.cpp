#include "mixer/AmbientMixerService.h"

#include "core/AppError.h"
#include "core/FileWriter.h"
#include "core/SafeFileName.h"
#include "core/SettingsStore.h"
#include "catalogue/LibraryService.h"
#include "mixer/AmbientEngine.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QTimer>
#include <algorithm>
#include <charconv>
#include <cmath>

namespace {
const QString fileSuffix = QStringLiteral(".mp3");

AmbientLayer builtIn(const char *id, const char *name, const char *icon)
{
    return AmbientLayer{QString::fromUtf8(id), QString::fromUtf8(name), QString::fromUtf8(icon),
                        std::nullopt};
}

// The float's shortest decimal form, so the settings file reads 0.3 rather than the
// 0.30000001192092896 that the float widens to.
double readableNumber(float value)
{
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return QByteArray(text, result.ptr - text).toDouble();
}
} // namespace

const QList<AmbientLayer> &AmbientMixerService::defaultLayers()
{
    static const QList<AmbientLayer> layers = {
        builtIn("rain", "Rain", "cloud.rain.fill"),     builtIn("fire", "Fireplace", "flame.fill"),
        builtIn("cafe", "Café", "cup.and.saucer.fill"), builtIn("birds", "Birds", "bird.fill"),
        builtIn("waves", "Waves", "water.waves"),
    };
    return layers;
}

AmbientMixerService::AmbientMixerService(LibraryService &library, HTTPClient http,
                                         FileLocations locations, SettingsStore &settings,
                                         MusicIsPlaying musicIsPlaying,
                                         std::shared_ptr<MixStream> stream, QObject *parent)
    : QObject(parent), m_library(library), m_http(std::move(http)),
      m_locations(std::move(locations)), m_settings(settings),
      m_musicIsPlaying(std::move(musicIsPlaying)),
      m_engine(new AmbientEngine(std::move(stream), this))
{
    loadVolumes();
    QDir().mkpath(m_locations.ambientDir());
    m_layersSeen = layers();
    m_isPackDownloaded = false;
    updatePackState();

    // Reactions to the catalogue run on a later turn of the event loop, never inside the
    // library's own update.
    connect(&m_library, &LibraryService::manifestChanged, this,
            &AmbientMixerService::catalogueChanged, Qt::QueuedConnection);
    QTimer::singleShot(0, this, &AmbientMixerService::syncPlayers);
}

AmbientMixerService::~AmbientMixerService()
{
    m_cancel.cancel();
}

QList<AmbientLayer> AmbientMixerService::layers() const
{
    const std::optional<Manifest> &manifest = m_library.manifest();
    if (manifest && manifest->ambientLayers && !manifest->ambientLayers->isEmpty())
        return *manifest->ambientLayers;
    return defaultLayers();
}

QVariantList AmbientMixerService::layerList() const
{
    QVariantList list;
    for (const AmbientLayer &layer : layers()) {
        list.append(QVariantMap{{QStringLiteral("id"), layer.id},
                                {QStringLiteral("name"), layer.name},
                                {QStringLiteral("icon"), layer.icon},
                                {QStringLiteral("hasUrl"), layer.url.has_value()}});
    }
    return list;
}

QVariantMap AmbientMixerService::layerVolumeMap() const
{
    QVariantMap map;
    for (auto it = m_layerVolumes.begin(); it != m_layerVolumes.end(); ++it)
        map.insert(it.key(), double(it.value()));
    return map;
}

QString AmbientMixerService::layerFile(const QString &layerId) const
{
    if (!SafeFileName::isSafe(layerId))
        return {};
    return SafeFileName::pathIn(m_locations.ambientDir(), layerId, fileSuffix);
}

bool AmbientMixerService::layerFileExists(const QString &layerId) const
{
    const QString path = layerFile(layerId);
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    return info.exists() && !info.isDir();
}

QStringList AmbientMixerService::playerIds() const
{
    return m_engine->layerIds();
}

bool AmbientMixerService::isLayerPlaying(const QString &layerId) const
{
    return m_engine->isLayerPlaying(layerId);
}

bool AmbientMixerService::musicIsPlaying() const
{
    return m_musicIsPlaying && m_musicIsPlaying();
}

void AmbientMixerService::musicChanged()
{
    QMetaObject::invokeMethod(this, &AmbientMixerService::followMusic, Qt::QueuedConnection);
}

// ---- Volumes and players ----

void AmbientMixerService::setVolume(float volume, const QString &layerId)
{
    // JSON has no NaN: one stored would make the whole map unreadable at the next start.
    if (!std::isfinite(volume))
        return;
    if (!layerFileExists(layerId))
        return;
    if (!m_layerVolumes.contains(layerId) || m_layerVolumes.value(layerId) != volume) {
        m_layerVolumes.insert(layerId, volume);
        Q_EMIT layerVolumesChanged();
        saveVolumes();
    }

    if (volume <= 0.0f) {
        m_loading.remove(layerId);
        m_engine->removeLayer(layerId);
        return;
    }
    // A layer the catalogue does not list has no slider that could silence it again; it gets
    // its player once it is listed.
    if (!isListed(layerId))
        return;
    if (m_engine->hasLayer(layerId)) {
        m_engine->setVolume(layerId, volume);
        if (musicIsPlaying() && !m_engine->isLayerPlaying(layerId))
            m_engine->setPlaying(layerId, true);
    } else if (!m_loading.contains(layerId)) {
        startLayer(layerId);
    }
    // A layer still decoding takes the volume stored when it is ready.
}

void AmbientMixerService::startLayer(const QString &layerId)
{
    const quint64 ticket = m_nextTicket++;
    m_loading.insert(layerId, ticket);
    loadLayer(layerId, layerFile(layerId), ticket);
}

QCoro::Task<> AmbientMixerService::loadLayer(QString layerId, QString path, quint64 ticket)
{
    QPointer<AmbientMixerService> self(this);
    std::shared_ptr<const LayerPcm> pcm;
    try {
        pcm = co_await m_engine->decode(path);
    } catch (const AppError &) {
        // A file that cannot be decoded is one that cannot be opened: no player.
    }
    if (!self || m_loading.value(layerId) != ticket)
        co_return;
    m_loading.remove(layerId);
    const bool decoded = pcm != nullptr;
    const float volume = m_layerVolumes.value(layerId, 0.0f);
    if (decoded && volume > 0.0f)
        m_engine->setLayer(layerId, std::move(pcm), volume, musicIsPlaying());
    Q_EMIT layerLoaded(layerId, decoded);
}

void AmbientMixerService::syncPlayers()
{
    QSet<QString> listed;
    for (const AmbientLayer &layer : layers())
        listed.insert(layer.id);
    for (const QString &id : m_engine->layerIds()) {
        if (!listed.contains(id))
            m_engine->removeLayer(id);
    }
    for (auto it = m_loading.begin(); it != m_loading.end();) {
        if (listed.contains(it.key()))
            ++it;
        else
            it = m_loading.erase(it);
    }
    for (auto it = m_layerVolumes.begin(); it != m_layerVolumes.end(); ++it) {
        if (listed.contains(it.key()) && it.value() > 0.0f && layerFileExists(it.key()) &&
            !m_engine->hasLayer(it.key()) && !m_loading.contains(it.key()))
            startLayer(it.key());
    }
}

void AmbientMixerService::followMusic()
{
    const bool playing = musicIsPlaying();
    for (const QString &id : m_engine->layerIds())
        m_engine->setPlaying(id, playing && m_layerVolumes.value(id, 0.0f) > 0.0f);
}

void AmbientMixerService::removePack()
{
    for (const AmbientLayer &layer : layers()) {
        const QString path = layerFile(layer.id);
        if (!path.isEmpty())
            QFile::remove(path);
    }
    // Every player goes, also one of a layer the current catalogue no longer lists: its
    // volume is forgotten below, and a slider at 0 must not leave a sound playing.
    m_loading.clear();
    m_engine->removeAll();
    if (!m_layerVolumes.isEmpty()) {
        m_layerVolumes.clear();
        Q_EMIT layerVolumesChanged();
    }
    saveVolumes();
    updatePackState();
}

void AmbientMixerService::sweep()
{
    if (!m_library.manifest()) {
        FileWriter::sweep(m_locations.ambientDir());
        return;
    }
    QSet<QString> known;
    for (const AmbientLayer &layer : layers())
        known.insert(layer.id + fileSuffix);
    FileWriter::sweep(m_locations.ambientDir(),
                      [&known](const QString &name) { return known.contains(name); });
}

void AmbientMixerService::loadVolumes()
{
    const std::optional<QByteArray> data = m_settings.dataValue(SettingsKey::ambientLayerVolumes);
    if (!data)
        return;
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(*data, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return;
    QMap<QString, float> volumes;
    const QJsonObject object = document.object();
    for (auto it = object.begin(); it != object.end(); ++it) {
        // One value that is not a float makes the whole map unreadable.
        const float volume = float(it.value().toDouble(qQNaN()));
        if (!it.value().isDouble() || !std::isfinite(volume))
            return;
        volumes.insert(it.key(), volume);
    }
    m_layerVolumes = volumes;
}

void AmbientMixerService::saveVolumes()
{
    QJsonObject object;
    for (auto it = m_layerVolumes.begin(); it != m_layerVolumes.end(); ++it)
        object.insert(it.key(), readableNumber(it.value()));
    m_settings.setData(SettingsKey::ambientLayerVolumes,
                       QJsonDocument(object).toJson(QJsonDocument::Compact));
}

// ---- The pack ----

void AmbientMixerService::startPackDownload()
{
    downloadPack();
}

QCoro::Task<> AmbientMixerService::downloadPack()
{
    if (m_isDownloadingPack)
        co_return;
    QList<AmbientLayer> missing;
    for (const AmbientLayer &layer : layers()) {
        if (layer.url && !layerFileExists(layer.id))
            missing.append(layer);
    }
    if (missing.isEmpty())
        co_return;
    setIsDownloadingPack(true);
    setPackDownloadedBytes(0);
    setPackDownloadError({});

    QPointer<AmbientMixerService> self(this);
    // Copies: the loop must not read members once this object may be gone.
    const HTTPClient http = m_http;
    const CancellationToken cancel = m_cancel;
    // The first failure is the one told; the layers after it are still fetched.
    QString firstFailure;
    const auto failed = [&firstFailure](const AmbientLayer &layer, const QString &why) {
        if (firstFailure.isEmpty())
            firstFailure = QStringLiteral("Could not download %1: %2").arg(layer.name, why);
    };
    for (const AmbientLayer &layer : missing) {
        // Such a layer can never be stored; it stays missing.
        if (!SafeFileName::isSafe(layer.id)) {
            failed(layer, QStringLiteral("its name cannot be a file name"));
            continue;
        }
        std::optional<HTTPResponse> response;
        try {
            response = co_await http.data(*layer.url, cancel);
        } catch (const AppError &error) {
            failed(layer, error.description());
        }
        if (!self)
            co_return;
        if (!response)
            continue;
        if (response->status != 200) {
            failed(layer, QStringLiteral("the server answered %1").arg(response->status));
            continue;
        }
        if (!storeLayerFile(layer.id, response->body)) {
            failed(layer, QStringLiteral("the file could not be saved"));
            continue;
        }
        setPackDownloadedBytes(m_packDownloadedBytes + response->body.size());
        updatePackState();
    }
    setPackDownloadError(firstFailure);
    setIsDownloadingPack(false);
    updatePackState();
}

bool AmbientMixerService::storeLayerFile(const QString &layerId, const QByteArray &body) const
{
    // The folder may have gone since start-up.
    QDir().mkpath(m_locations.ambientDir());
    try {
        FileWriter::writeWhole(layerFile(layerId), body);
        return true;
    } catch (const AppError &) {
        return false;
    }
}

void AmbientMixerService::setPackDownloadError(const QString &reason)
{
    if (reason == m_packDownloadError)
        return;
    m_packDownloadError = reason;
    Q_EMIT packDownloadErrorChanged();
}

void AmbientMixerService::setIsDownloadingPack(bool downloading)
{
    if (downloading == m_isDownloadingPack)
        return;
    m_isDownloadingPack = downloading;
    Q_EMIT isDownloadingPackChanged();
}

void AmbientMixerService::setPackDownloadedBytes(qint64 bytes)
{
    if (bytes == m_packDownloadedBytes)
        return;
    m_packDownloadedBytes = bytes;
    Q_EMIT packDownloadedBytesChanged();
}

void AmbientMixerService::updatePackState()
{
    bool anyUrl = false;
    bool allPresent = true;
    for (const AmbientLayer &layer : layers()) {
        if (!layer.url)
            continue;
        anyUrl = true;
        if (!layerFileExists(layer.id)) {
            allPresent = false;
            break;
        }
    }
    const bool downloaded = anyUrl && allPresent;
    if (downloaded == m_isPackDownloaded)
        return;
    m_isPackDownloaded = downloaded;
    Q_EMIT isPackDownloadedChanged();
}

void AmbientMixerService::catalogueChanged()
{
    const QList<AmbientLayer> now = layers();
    if (now != m_layersSeen) {
        m_layersSeen = now;
        Q_EMIT layersChanged();
        syncPlayers();
    }
    updatePackState();
}

bool AmbientMixerService::isListed(const QString &layerId) const
{
    const QList<AmbientLayer> list = layers();
    return std::any_of(list.begin(), list.end(),
                       [&layerId](const AmbientLayer &layer) { return layer.id == layerId; });
}
