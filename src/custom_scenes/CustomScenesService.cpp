#include "custom_scenes/CustomScenesService.h"

#include "core/AppError.h"

#include <QFileInfo>
#include <QPointer>
#include <QUuid>
#include <QVariantMap>

namespace {
QList<CustomScene> fetchNewestFirst(RecordStore &store)
{
    try {
        return store.fetchAll<CustomScene>(QStringLiteral("createdAt"), Qt::DescendingOrder);
    } catch (const AppError &) {
        return {};
    }
}

// A file that is named like ".notes" has no extension to drop.
QString nameFromFile(const QFileInfo &file)
{
    const QString base = file.completeBaseName();
    return base.isEmpty() ? file.fileName() : base;
}
} // namespace

bool CustomScenesService::isCustomPlaylistId(const QString &playlistId)
{
    return playlistId.startsWith(playerIdPrefix);
}

QString CustomScenesService::pickerTitle()
{
    return tr("Pick an audio file for this scene");
}

QStringList CustomScenesService::pickerNameFilters()
{
    return {tr("Audio files (*.mp3 *.m4a *.m4b *.mp4 *.aac *.wav *.aif *.aiff *.aifc "
               "*.flac *.ogg *.oga *.opus)")};
}

CustomScenesService::CustomScenesService(RecordStore &store, PlayCustom playCustom,
                                         FilePicker picker, QObject *parent)
    : QObject(parent), m_store(store), m_playCustom(std::move(playCustom)),
      m_picker(std::move(picker))
{
    m_scenes = fetchNewestFirst(m_store);
}

QVariantList CustomScenesService::sceneList() const
{
    QVariantList list;
    list.reserve(m_scenes.size());
    for (const CustomScene &s : m_scenes) {
        list.append(QVariantMap{{QStringLiteral("id"), s.id},
                                {QStringLiteral("name"), s.name},
                                {QStringLiteral("note"), s.note},
                                {QStringLiteral("createdAt"), s.createdAt}});
    }
    return list;
}

std::optional<CustomScene> CustomScenesService::scene(const QString &id) const
{
    for (const CustomScene &s : m_scenes) {
        if (s.id == id)
            return s;
    }
    return std::nullopt;
}

void CustomScenesService::setFilePicker(FilePicker picker)
{
    m_picker = std::move(picker);
}

void CustomScenesService::reload()
{
    QList<CustomScene> fresh = fetchNewestFirst(m_store);
    if (fresh == m_scenes)
        return;
    m_scenes = std::move(fresh);
    Q_EMIT scenesChanged();
}

QString CustomScenesService::add(const QString &name, const QUrl &fileUrl)
{
    // The bookmark: the file must be there now, and it is kept by its absolute path.
    if (!fileUrl.isLocalFile())
        throw AppError::file(tr("%1 is not a file on this computer.").arg(fileUrl.toString()));
    const QFileInfo file(fileUrl.toLocalFile());
    if (!file.exists() || !file.isFile())
        throw AppError::file(tr("The file %1 does not exist.").arg(file.absoluteFilePath()));

    CustomScene scene;
    scene.id = QUuid::createUuid().toString(QUuid::WithoutBraces);
    const QString trimmed = name.trimmed();
    scene.name = trimmed.isEmpty() ? nameFromFile(file) : trimmed;
    scene.note = QStringLiteral("");
    scene.audioBookmark = file.absoluteFilePath().toUtf8();
    // The list is ordered by this date alone, so a new scene must sort after every stored one
    // even when two are added within one millisecond or the clock has been set back.
    scene.createdAt = QDateTime::currentDateTimeUtc();
    const QList<CustomScene> stored = fetchNewestFirst(m_store);
    if (!stored.isEmpty() && scene.createdAt <= stored.constFirst().createdAt)
        scene.createdAt = stored.constFirst().createdAt.addMSecs(1);

    try {
        m_store.insert(scene);
        m_store.save();
    } catch (const AppError &) {
        // Unsaved, the record would still show up in the next read and be saved by whoever
        // saves next; a failed add must leave nothing behind.
        try {
            m_store.remove(scene);
        } catch (const AppError &) {
        }
        throw;
    }
    reload();
    return scene.id;
}

QCoro::Task<std::optional<QString>> CustomScenesService::pickAndAdd(QString name)
{
    if (!m_picker)
        co_return std::nullopt;
    const QPointer<CustomScenesService> self(this);
    const FilePicker picker = m_picker;
    std::optional<QUrl> chosen;
    try {
        chosen = co_await picker();
    } catch (const AppError &) {
        co_return std::nullopt;
    }
    if (!self || !chosen || chosen->isEmpty())
        co_return std::nullopt;
    try {
        co_return add(name, *chosen);
    } catch (const AppError &) {
        co_return std::nullopt;
    }
}

void CustomScenesService::startPickAndAdd(const QString &name)
{
    [](QPointer<CustomScenesService> self, QString name) -> QCoro::Task<> {
        const std::optional<QString> id = co_await self->pickAndAdd(std::move(name));
        if (self)
            Q_EMIT self->pickAndAddFinished(id.value_or(QString()));
    }(this, name);
}

void CustomScenesService::remove(const QString &id)
{
    CustomScene key;
    key.id = id;
    try {
        m_store.remove(key);
        m_store.save();
    } catch (const AppError &) {
    }
    reload();
}

std::optional<QUrl> CustomScenesService::resolveAudioFile(const CustomScene &scene)
{
    const QString path = QString::fromUtf8(scene.audioBookmark);
    if (path.isEmpty() || QFileInfo(path).isRelative())
        return std::nullopt;
    const QFileInfo file(path);
    if (!file.isFile() || !file.isReadable())
        return std::nullopt;
    return QUrl::fromLocalFile(file.absoluteFilePath());
}

bool CustomScenesService::play(const QString &id)
{
    const std::optional<CustomScene> found = scene(id);
    if (!found)
        return false;
    const std::optional<QUrl> file = resolveAudioFile(*found);
    if (!file || !m_playCustom)
        return false;
    m_playCustom(*file, found->id);
    return true;
}
