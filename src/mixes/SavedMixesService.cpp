#include "mixes/SavedMixesService.h"

#include "catalogue/LibraryService.h"
#include "core/AppError.h"
#include "core/SettingsStore.h"
#include "mixer/AmbientMixerService.h"
#include "mixes/MixNames.h"
#include "mixes/VolumeGlide.h"
#include "playback/PlayerService.h"

#include <QClipboard>
#include <QCoroSignal>
#include <QFileInfo>
#include <QGuiApplication>
#include <QUuid>
#include <algorithm>

SavedMixesService::SavedMixesService(RecordStore &store, SettingsStore &settings,
                                     LibraryService &library, PlayerService *player,
                                     AmbientMixerService *mixer,
                                     std::chrono::milliseconds glideDuration, QObject *parent)
    : QObject(parent), m_store(store), m_settings(settings), m_library(library), m_player(player),
      m_mixer(mixer), m_glideDuration(glideDuration)
{
    reload();
}

SavedMixesService::~SavedMixesService() = default;

void SavedMixesService::reload()
{
    try {
        m_mixes = m_store.fetchAll<SavedMix>(QStringLiteral("createdAt"), Qt::AscendingOrder);
    } catch (const AppError &error) {
        m_mixes.clear();
        setMessage(tr("Could not read the saved mixes: %1").arg(error.description()));
    }
    Q_EMIT mixesChanged();
    Q_EMIT suggestedNameChanged();
}

QVariantList SavedMixesService::mixList() const
{
    QVariantList list;
    for (const SavedMix &mix : m_mixes)
        list.append(QVariantMap{{QStringLiteral("id"), mix.id},
                                {QStringLiteral("name"), mix.name},
                                {QStringLiteral("sceneId"), mix.sceneId}});
    return list;
}

QString SavedMixesService::suggestedName() const
{
    const QStringList names = namesExcept({});
    if (m_offer && !m_offer->isEmpty() && !MixNames::problem(*m_offer, names))
        return *m_offer;
    return MixNames::firstFree(names);
}

QStringList SavedMixesService::namesExcept(const QString &id) const
{
    QStringList names;
    for (const SavedMix &mix : m_mixes) {
        if (mix.id != id)
            names.append(mix.name);
    }
    return names;
}

const SavedMix *SavedMixesService::mix(const QString &id) const
{
    const qsizetype index = indexOf(id);
    return index < 0 ? nullptr : &m_mixes.at(index);
}

qsizetype SavedMixesService::indexOf(const QString &id) const
{
    const auto it = std::find_if(m_mixes.begin(), m_mixes.end(),
                                 [&id](const SavedMix &mix) { return mix.id == id; });
    return it == m_mixes.end() ? -1 : it - m_mixes.begin();
}

MixLevels SavedMixesService::currentLevels() const
{
    if (m_target)
        return *m_target;
    MixLevels levels;
    if (m_player) {
        const QString scene = m_player->nowPlayingPlaylistId();
        if (!scene.startsWith(PlayerService::customPrefix))
            levels.sceneId = scene;
        levels.musicVolume = m_player->volume();
    }
    if (m_mixer) {
        const QMap<QString, float> &volumes = m_mixer->layerVolumes();
        for (auto it = volumes.begin(); it != volumes.end(); ++it) {
            if (it.value() > 0.0f)
                levels.layerVolumes.insert(it.key(), it.value());
        }
    }
    return levels;
}

bool SavedMixesService::store(const std::function<void()> &change)
{
    try {
        change();
        m_store.save();
    } catch (const AppError &error) {
        // The store has dropped the change; what the list shows must agree with it.
        reload();
        setMessage(tr("Could not save the mixes: %1").arg(error.description()));
        return false;
    }
    return true;
}

bool SavedMixesService::saveCurrent(const QString &name)
{
    const QString tidied = MixNames::tidy(name);
    if (const auto problem = MixNames::problem(tidied, namesExcept({}))) {
        setMessage(*problem);
        return false;
    }
    const MixLevels levels = currentLevels();
    // The chips keep the order of saving, read back sorted by this: two mixes saved within one
    // millisecond must not tie.
    QDateTime createdAt = QDateTime::currentDateTimeUtc();
    if (!m_mixes.isEmpty() && createdAt <= m_mixes.constLast().createdAt)
        createdAt = m_mixes.constLast().createdAt.addMSecs(1);
    SavedMix mix{QUuid::createUuid().toString(QUuid::WithoutBraces),
                 tidied,
                 levels.sceneId,
                 levels.musicVolume,
                 levels.layerVolumes,
                 createdAt};
    if (!store([&] { m_store.insert(mix); }))
        return false;
    m_mixes.append(mix);
    setOffer(std::nullopt);
    setMessage({});
    Q_EMIT mixesChanged();
    Q_EMIT suggestedNameChanged();
    return true;
}

bool SavedMixesService::rename(const QString &id, const QString &name)
{
    const qsizetype index = indexOf(id);
    if (index < 0)
        return false;
    const QString tidied = MixNames::tidy(name);
    if (const auto problem = MixNames::problem(tidied, namesExcept(id))) {
        setMessage(*problem);
        return false;
    }
    SavedMix renamed = m_mixes.at(index);
    renamed.name = tidied;
    if (!store([&] { m_store.insert(renamed); }))
        return false;
    m_mixes[index] = renamed;
    setMessage({});
    Q_EMIT mixesChanged();
    Q_EMIT suggestedNameChanged();
    return true;
}

bool SavedMixesService::remove(const QString &id)
{
    const qsizetype index = indexOf(id);
    if (index < 0)
        return false;
    const SavedMix gone = m_mixes.at(index);
    if (!store([&] { m_store.remove(gone); }))
        return false;
    m_mixes.removeAt(index);
    setMessage({});
    Q_EMIT mixesChanged();
    Q_EMIT suggestedNameChanged();
    return true;
}

bool SavedMixesService::apply(const QString &id)
{
    return apply(id, m_glideDuration);
}

bool SavedMixesService::apply(const QString &id, std::chrono::milliseconds glide)
{
    const qsizetype index = indexOf(id);
    if (index < 0)
        return false;
    const SavedMix &mix = m_mixes.at(index);
    setOffer(std::nullopt);
    setMessage({});
    applyLevels({mix.sceneId, mix.musicVolume, mix.layerVolumes}, glide);
    return true;
}

QString SavedMixesService::linkFor(const QString &id)
{
    MixLevels levels;
    QString name;
    if (id.isEmpty()) {
        levels = currentLevels();
    } else {
        const qsizetype index = indexOf(id);
        if (index < 0)
            return {};
        const SavedMix &mix = m_mixes.at(index);
        levels = {mix.sceneId, mix.musicVolume, mix.layerVolumes};
        name = mix.name;
    }
    if (levels.sceneId.isEmpty() || levels.sceneId.startsWith(PlayerService::customPrefix)) {
        setMessage(tr("Only a mix with a scene from the catalogue can be shared."));
        return {};
    }
    setMessage({});
    return MixLink::mixAddress(levels, name);
}

bool SavedMixesService::copyLink(const QString &id)
{
    const QString link = linkFor(id);
    auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance());
    if (link.isEmpty() || !app)
        return false;
    app->clipboard()->setText(link);
    return true;
}

void SavedMixesService::dismissOffer()
{
    setOffer(std::nullopt);
}

QString SavedMixesService::openMixAddress(const QUrl &url)
{
    MixLink::SharedMix shared;
    try {
        shared = MixLink::readMix(url, [this](const QString &sceneId) {
            const std::optional<Manifest> &manifest = m_library.manifest();
            return manifest && std::any_of(manifest->playlists.begin(), manifest->playlists.end(),
                                           [&](const Playlist &p) { return p.id == sceneId; });
        });
    } catch (const AppError &error) {
        setMessage(error.description());
        return error.description();
    }
    setMessage({});
    applyLevels(shared.levels);
    setOffer(shared.name);
    return {};
}

bool SavedMixesService::layerOnDisk(const QString &layerId) const
{
    const QString path = m_mixer ? m_mixer->layerFile(layerId) : QString();
    return !path.isEmpty() && QFileInfo(path).isFile();
}

QList<VolumeGlide::Channel> SavedMixesService::layerChannels(const MixLevels &levels,
                                                             const QStringList &layerIds) const
{
    QList<VolumeGlide::Channel> channels;
    for (const QString &id : layerIds) {
        const float from = m_mixer->volumeFor(id);
        const float to = levels.layerVolumes.value(id, 0.0f);
        if (from == to)
            continue;
        const QPointer<AmbientMixerService> mixer = m_mixer;
        channels.append({from, to,
                         [mixer, id](float volume) {
                             if (mixer)
                                 mixer->setVolume(volume, id);
                         },
                         [mixer, id](float volume, std::chrono::milliseconds over) {
                             if (mixer)
                                 mixer->glideVolume(volume, id, over);
                             return true;
                         },
                         [mixer, id] { return mixer ? mixer->volumeFor(id) : -1.0f; }});
    }
    return channels;
}

void SavedMixesService::startGlide(QList<VolumeGlide::Channel> channels,
                                   std::chrono::milliseconds duration)
{
    auto *glide = new VolumeGlide(std::move(channels), duration, m_settings, this);
    m_glides.append(glide);
    connect(glide, &VolumeGlide::finished, this, [this, glide] {
        m_glides.removeAll(glide);
        glide->deleteLater();
        if (m_glides.isEmpty() && !m_fetching)
            m_target.reset();
    });
}

void SavedMixesService::stopGlides()
{
    for (const QPointer<VolumeGlide> &glide : std::as_const(m_glides))
        delete glide.data();
    m_glides.clear();
    m_target.reset();
}

QCoro::Task<> SavedMixesService::applyLevels(MixLevels levels,
                                             std::optional<std::chrono::milliseconds> glide)
{
    const std::chrono::milliseconds duration = glide.value_or(m_glideDuration);
    stopGlides();
    const quint64 generation = ++m_generation;
    m_target = levels;
    if (m_player && !levels.sceneId.isEmpty()) {
        if (m_player->nowPlayingPlaylistId() != levels.sceneId)
            m_player->playScene(levels.sceneId);
        else if (!m_player->isPlaying())
            m_player->togglePlayPause();
    }

    QList<VolumeGlide::Channel> channels;
    if (m_player && m_player->volume() != levels.musicVolume) {
        const QPointer<PlayerService> player = m_player;
        channels.append({player->volume(), levels.musicVolume,
                         [player](float volume) {
                             if (player)
                                 player->setVolume(volume);
                         },
                         [player](float volume, std::chrono::milliseconds over) {
                             return !player || player->glideVolume(volume, over);
                         },
                         [player] { return player ? player->volume() : -1.0f; }});
    }
    QStringList present, missing;
    if (m_mixer) {
        for (const AmbientLayer &layer : m_mixer->layers()) {
            if (layerOnDisk(layer.id))
                present.append(layer.id);
            else if (layer.url && levels.layerVolumes.value(layer.id, 0.0f) > 0.0f)
                missing.append(layer.id);
        }
        channels += layerChannels(levels, present);
    }
    m_fetching = !missing.isEmpty();
    startGlide(std::move(channels), duration);
    if (missing.isEmpty())
        co_return;

    // The mixer takes a volume only for a layer whose sound is here: fetch the pack first
    // (or wait for the download already under way), then glide those layers in.
    QPointer<SavedMixesService> self(this);
    QPointer<AmbientMixerService> mixer = m_mixer;
    co_await mixer->downloadPack();
    while (self && mixer && mixer->isDownloadingPack())
        co_await qCoro(mixer.data(), &AmbientMixerService::isDownloadingPackChanged);
    if (!self || !mixer || generation != m_generation)
        co_return;
    m_fetching = false;
    QStringList arrived;
    for (const QString &id : std::as_const(missing)) {
        if (layerOnDisk(id))
            arrived.append(id);
    }
    startGlide(layerChannels(levels, arrived), duration);
}

void SavedMixesService::setMessage(const QString &text)
{
    if (text == m_message)
        return;
    m_message = text;
    Q_EMIT messageChanged();
}

void SavedMixesService::setOffer(std::optional<QString> name)
{
    if (name == m_offer)
        return;
    const bool wasOffered = m_offer.has_value();
    m_offer = std::move(name);
    if (wasOffered != m_offer.has_value())
        Q_EMIT offerChanged();
    Q_EMIT suggestedNameChanged();
}
