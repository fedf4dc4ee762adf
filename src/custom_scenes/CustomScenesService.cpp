#include "custom_scenes/CustomScenesService.h"

#include "core/AppError.h"
#include "core/FileWriter.h"
#include "core/SafeFileName.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
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
    return CustomScene::tidyText(base.isEmpty() ? file.fileName() : base);
}

QString coverPrefix(const QString &sceneId)
{
    return QStringLiteral("custom-") + sceneId + QLatin1Char('-');
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
                                         FilePicker picker, SoundProbe probe, QString coverFolder,
                                         QObject *parent)
    : QObject(parent), m_store(store), m_playCustom(std::move(playCustom)),
      m_picker(std::move(picker)), m_probe(std::move(probe)), m_coverFolder(std::move(coverFolder))
{
    m_scenes = fetchNewestFirst(m_store);
}

QVariantList CustomScenesService::sceneList() const
{
    QVariantList list;
    list.reserve(m_scenes.size());
    for (const CustomScene &s : m_scenes) {
        list.append(QVariantMap{{QStringLiteral("id"), s.id},
                                // Names stored before they were tidied.
                                {QStringLiteral("name"), CustomScene::tidyText(s.name)},
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
    // Refused now in the words the player would find later.
    const SoundFacts facts = probe(file.absoluteFilePath());
    if (!facts.problem.isEmpty())
        throw AppError::file(SoundText::unplayable(facts.problem));

    CustomScene scene;
    scene.id = QUuid::createUuid().toString(QUuid::WithoutBraces);
    scene.name = CustomScene::tidyText(name);
    if (scene.name.isEmpty())
        scene.name = CustomScene::tidyText(facts.title);
    if (scene.name.isEmpty())
        scene.name = nameFromFile(file);
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
    if (!self)
        co_return std::nullopt;
    if (!chosen || chosen->isEmpty()) {
        setAddRefusal({});
        co_return std::nullopt;
    }
    try {
        const QString id = add(name, *chosen);
        setAddRefusal({});
        co_return id;
    } catch (const AppError &error) {
        setAddRefusal(error.description());
        co_return std::nullopt;
    }
}

void CustomScenesService::setAddRefusal(const QString &text)
{
    if (text == m_addRefusal)
        return;
    m_addRefusal = text;
    Q_EMIT addRefusalChanged();
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
    if (!scene(id)) {
        removeCoverFiles(id);
        if (m_lastShown && m_lastShown->playerId == playerIdPrefix + id)
            m_lastShown.reset();
    }
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

SoundFacts CustomScenesService::probe(const QString &path) const
{
    return m_probe ? m_probe(path) : SoundFacts{};
}

std::optional<CustomScenesService::Shown> CustomScenesService::shown(const QString &playerId)
{
    if (!isCustomPlaylistId(playerId))
        return std::nullopt;
    const std::optional<CustomScene> found = scene(playerId.mid(playerIdPrefix.size()));
    if (!found)
        return std::nullopt;
    const QString path = QString::fromUtf8(found->audioBookmark);
    const QFileInfo file(path);
    const bool same = m_lastShown && m_lastShown->playerId == playerId &&
                      m_lastShown->path == path && m_lastShown->size == file.size() &&
                      m_lastShown->modified == file.lastModified();
    if (!same)
        m_lastShown = ShownFile{playerId, path, file.size(), file.lastModified(), probe(path)};
    const SoundFacts &facts = m_lastShown->facts;
    Shown shown;
    shown.name = CustomScene::tidyText(found->name);
    shown.title = CustomScene::tidyText(facts.title);
    if (shown.title.isEmpty())
        shown.title = nameFromFile(file);
    shown.artist = CustomScene::tidyText(facts.artist);
    shown.cover = coverFile(found->id, facts.picture);
    return shown;
}

QUrl CustomScenesService::coverFile(const QString &sceneId, const QByteArray &picture) const
{
    if (picture.isEmpty() || m_coverFolder.isEmpty())
        return {};
    QBuffer bytes;
    bytes.setData(picture);
    bytes.open(QIODevice::ReadOnly);
    // Only a picture the views can read; its format names the file for the desktop's widgets.
    const QByteArray format = QImageReader::imageFormat(&bytes);
    if (format.isEmpty())
        return {};
    // Named after the picture too: a changed cover is a new file, never an old one cached
    // under the same address.
    const QString hash = QString::fromLatin1(
        QCryptographicHash::hash(picture, QCryptographicHash::Sha1).toHex().left(16));
    try {
        const QString path = SafeFileName::pathIn(m_coverFolder, coverPrefix(sceneId) + hash,
                                                  QLatin1Char('.') + QString::fromLatin1(format));
        if (!QFileInfo(path).isFile()) {
            if (!QDir().mkpath(m_coverFolder))
                throw AppError::folderNotCreated(m_coverFolder);
            FileWriter::writeWhole(path, picture);
            removeCoverFiles(sceneId, QFileInfo(path).fileName());
        }
        return QUrl::fromLocalFile(path);
    } catch (const AppError &) {
        // A full disk or an id that names no file: the scene is shown without its cover.
        return {};
    }
}

void CustomScenesService::removeCoverFiles(const QString &sceneId, const QString &keep) const
{
    if (m_coverFolder.isEmpty() || !SafeFileName::isSafe(coverPrefix(sceneId)))
        return;
    QDir folder(m_coverFolder);
    for (const QString &name :
         folder.entryList({coverPrefix(sceneId) + QLatin1Char('*')}, QDir::Files)) {
        if (name != keep)
            folder.remove(name);
    }
}
