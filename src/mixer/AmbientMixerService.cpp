#include "mixer/AmbientMixerService.h"

#include "core/AppError.h"
#include "core/SettingsStore.h"
#include "mixer/AmbientEngine.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QTimer>
#include <charconv>
#include <cmath>

namespace {
// The float's shortest decimal form, so the settings file reads 0.3 rather than the
// 0.30000001192092896 that the float widens to.
double readableNumber(float value)
{
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return QByteArray(text, result.ptr - text).toDouble();
}
} // namespace

AmbientMixerService::AmbientMixerService(LibraryService &library, HTTPClient http,
                                         FileLocations locations, SettingsStore &settings,
                                         MusicIsPlaying musicIsPlaying,
                                         std::shared_ptr<MixStream> stream, QObject *parent)
    : QObject(parent), m_pack(library, std::move(http), std::move(locations)), m_settings(settings),
      m_musicIsPlaying(std::move(musicIsPlaying)),
      m_engine(new AmbientEngine(std::move(stream), this))
{
    loadVolumes();
    connect(&m_pack, &AmbientPack::layersChanged, this, &AmbientMixerService::layersChanged);
    connect(&m_pack, &AmbientPack::layersChanged, this, &AmbientMixerService::syncPlayers);
    connect(&m_pack, &AmbientPack::isDownloadedChanged, this,
            &AmbientMixerService::isPackDownloadedChanged);
    connect(&m_pack, &AmbientPack::isDownloadingChanged, this,
            &AmbientMixerService::isDownloadingPackChanged);
    connect(&m_pack, &AmbientPack::downloadedBytesChanged, this,
            &AmbientMixerService::packDownloadedBytesChanged);
    connect(&m_pack, &AmbientPack::downloadErrorChanged, this,
            &AmbientMixerService::packDownloadErrorChanged);
    QTimer::singleShot(0, this, &AmbientMixerService::syncPlayers);
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

bool AmbientMixerService::keepVolume(float volume, const QString &layerId)
{
    // JSON has no NaN: one stored would make the whole map unreadable at the next start.
    if (!std::isfinite(volume))
        return false;
    if (!m_pack.hasFile(layerId))
        return false;
    if (!m_layerVolumes.contains(layerId) || m_layerVolumes.value(layerId) != volume) {
        m_layerVolumes.insert(layerId, volume);
        Q_EMIT layerVolumesChanged();
        saveVolumes();
    }
    return true;
}

void AmbientMixerService::setVolume(float volume, const QString &layerId)
{
    m_glideEnds.remove(layerId);
    if (!keepVolume(volume, layerId))
        return;
    if (volume <= 0.0f) {
        m_loading.remove(layerId);
        m_engine->removeLayer(layerId);
        return;
    }
    // A layer the catalogue does not list has no slider that could silence it again; it gets
    // its player once it is listed.
    if (!m_pack.isListed(layerId))
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

void AmbientMixerService::glideVolume(float volume, const QString &layerId,
                                      std::chrono::milliseconds over)
{
    if (!keepVolume(volume, layerId))
        return;
    m_glideEnds.insert(layerId, std::chrono::steady_clock::now() + over);
    if (!m_pack.isListed(layerId))
        return;
    if (m_engine->hasLayer(layerId)) {
        if (volume > 0.0f && musicIsPlaying() && !m_engine->isLayerPlaying(layerId))
            m_engine->setPlaying(layerId, true);
        m_engine->glideVolume(layerId, volume, over);
    } else if (volume > 0.0f && !m_loading.contains(layerId)) {
        startLayer(layerId);
    }
}

void AmbientMixerService::continueGlide(const QString &layerId)
{
    const auto end = m_glideEnds.find(layerId);
    if (end == m_glideEnds.end())
        return;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        *end - std::chrono::steady_clock::now());
    if (left.count() > 0)
        m_engine->glideVolume(layerId, volumeFor(layerId), left);
    else
        m_glideEnds.erase(end);
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
    if (decoded && volume > 0.0f) {
        m_engine->setLayer(layerId, std::move(pcm), volume, musicIsPlaying());
        continueGlide(layerId);
    }
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
        if (listed.contains(it.key()) && it.value() > 0.0f && m_pack.hasFile(it.key()) &&
            !m_engine->hasLayer(it.key()) && !m_loading.contains(it.key()))
            startLayer(it.key());
    }
}

void AmbientMixerService::followMusic()
{
    const bool playing = musicIsPlaying();
    for (const QString &id : m_engine->layerIds()) {
        const bool sounds = playing && m_layerVolumes.value(id, 0.0f) > 0.0f;
        const bool wasPlaying = m_engine->isLayerPlaying(id);
        m_engine->setPlaying(id, sounds);
        if (sounds && !wasPlaying)
            continueGlide(id);
    }
}

void AmbientMixerService::removePack()
{
    // Every player goes, also one of a layer the current catalogue no longer lists: its
    // volume is forgotten below, and a slider at 0 must not leave a sound playing.
    m_loading.clear();
    m_glideEnds.clear();
    m_engine->removeAll();
    if (!m_layerVolumes.isEmpty()) {
        m_layerVolumes.clear();
        Q_EMIT layerVolumesChanged();
    }
    saveVolumes();
    m_pack.removeFiles();
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
