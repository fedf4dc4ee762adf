#include "CatalogueBuild.h"

#include "audio/FfmpegDecoder.h"
#include "catalogue/Catalogue.h"
#include "core/AppError.h"
#include "core/FileWriter.h"
#include "core/SafeFileName.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QSet>
#include <QUrl>
#include <optional>
#include <vector>

namespace {

const QStringList audioSuffixes = {"mp3", "m4a", "aac", "wav", "flac", "ogg", "oga", "opus"};
const QString scenesFileName = QStringLiteral("scenes.json");
// The rate the probe decodes at when a file declares no length; any rate counts the same time.
constexpr int probeRate = 48000;

// Input the catalogue cannot be made from; nothing is written.
struct BadInput
{
    QString message;
};

struct Options
{
    QString folder;
    QString baseUrl; // ends with "/"
    QString out;
};

// A name turned into an id that reads well in a URL and as a file name: letters and digits,
// lower-cased, with one "-" for every run of anything else.
QString slug(const QString &text)
{
    QString id;
    for (const QChar c : text) {
        if (c.isLetterOrNumber())
            id += c.toLower();
        else if (!id.isEmpty() && !id.endsWith(u'-'))
            id += u'-';
    }
    while (id.endsWith(u'-'))
        id.chop(1);
    return id;
}

// Makes `id` unique among `taken`. A clash gets a suffix from the hash of what the id was made
// from, not a counter, so that an id does not change when another file joins the folder.
QString uniqueId(QString id, const QString &source, const QString &fallback, QSet<QString> &taken)
{
    if (id.isEmpty())
        id = fallback;
    if (taken.contains(id))
        id += u'-' + QString::fromLatin1(
                         QCryptographicHash::hash(source.toUtf8(), QCryptographicHash::Sha1)
                             .toHex()
                             .left(8));
    if (!SafeFileName::isSafe(id) || taken.contains(id))
        throw BadInput{QStringLiteral("no unique id can be made for \"%1\"").arg(source)};
    taken.insert(id);
    return id;
}

QString encodedPath(const QString &relativePath)
{
    QStringList segments = relativePath.split(u'/');
    for (QString &segment : segments)
        segment = QString::fromLatin1(QUrl::toPercentEncoding(segment));
    return segments.join(u'/');
}

bool isWebAddress(const QString &text)
{
    return text.startsWith(QLatin1StringView("http://"), Qt::CaseInsensitive) ||
           text.startsWith(QLatin1StringView("https://"), Qt::CaseInsensitive);
}

std::optional<Options> parse(const QStringList &arguments, QTextStream &err)
{
    Options options;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        QString *value = argument == QLatin1StringView("--base-url") ? &options.baseUrl
                         : argument == QLatin1StringView("--out")    ? &options.out
                                                                     : nullptr;
        if (value && i + 1 < arguments.size()) {
            *value = arguments[++i];
        } else if (!value && options.folder.isEmpty() && !argument.startsWith(u'-')) {
            options.folder = argument;
        } else {
            err << "duskhaven-catalogue: unexpected argument " << argument << '\n';
            return std::nullopt;
        }
    }
    if (options.folder.isEmpty() || options.baseUrl.isEmpty()) {
        err << "duskhaven-catalogue: build needs a folder and --base-url\n";
        return std::nullopt;
    }
    const QUrl base(options.baseUrl, QUrl::StrictMode);
    if (!isWebAddress(options.baseUrl) || !base.isValid() || base.host().isEmpty() ||
        base.hasQuery() || base.hasFragment()) {
        err << "duskhaven-catalogue: --base-url must be an http or https address without query: "
            << options.baseUrl << '\n';
        return std::nullopt;
    }
    if (!options.baseUrl.endsWith(u'/'))
        options.baseUrl += u'/';
    if (options.out.isEmpty())
        options.out = options.folder + QStringLiteral("/manifest.json");
    return options;
}

class Builder
{
public:
    Builder(Options options, QTextStream &err) : m_options(std::move(options)), m_err(err) {}

    // The document's bytes; throws BadInput.
    QByteArray build();

private:
    void listFolder();
    void readScenes(const QByteArray &json);
    void folderScenes();
    QString fileUrl(const QString &relativePath) const
    {
        return m_options.baseUrl + encodedPath(relativePath);
    }
    // A cover or video: an address kept as it is, or a file of the folder.
    QString mediaUrl(const QString &value, const QString &where);
    QJsonObject track(const QString &relativePath);
    void noteUnused();

    Options m_options;
    QTextStream &m_err;
    QDir m_folder;
    QMap<QString, QString> m_audio; // relative path -> track id, in path order
    QStringList m_others;           // files of the folder that are not audio
    QSet<QString> m_used;           // relative paths the catalogue names
    QJsonArray m_scenes;
    QDateTime m_newest;
};

void Builder::listFolder()
{
    const QString ownOutput = QFileInfo(m_options.out).absoluteFilePath();
    QDirIterator files(m_folder.path(), QDir::Files, QDirIterator::Subdirectories);
    QStringList paths;
    while (files.hasNext()) {
        const QFileInfo file = files.nextFileInfo();
        if (file.absoluteFilePath() == ownOutput ||
            file.absoluteFilePath() == FileWriter::partialPathOf(ownOutput))
            continue;
        paths.append(m_folder.relativeFilePath(file.absoluteFilePath()));
    }
    paths.sort();
    QSet<QString> taken;
    for (const QString &path : std::as_const(paths)) {
        if (audioSuffixes.contains(QFileInfo(path).suffix().toLower()))
            m_audio.insert(path, uniqueId(slug(path), path, QStringLiteral("track"), taken));
        else if (path != scenesFileName)
            m_others.append(path);
    }
    if (m_audio.isEmpty())
        throw BadInput{QStringLiteral("no audio files (%1) in %2")
                           .arg(audioSuffixes.join(QStringLiteral(", ")), m_folder.path())};
}

QString Builder::mediaUrl(const QString &value, const QString &where)
{
    if (isWebAddress(value))
        return value;
    const QString path = QDir::cleanPath(value);
    if (QDir::isAbsolutePath(path) || path.startsWith(QLatin1StringView("../")) ||
        !QFileInfo(m_folder.filePath(path)).isFile())
        throw BadInput{QStringLiteral("%1: no file \"%2\" in the folder").arg(where, value)};
    m_used.insert(path);
    return fileUrl(path);
}

void Builder::readScenes(const QByteArray &json)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        throw BadInput{QStringLiteral("%1 is not valid JSON: %2 at byte %3")
                           .arg(scenesFileName, parseError.errorString())
                           .arg(parseError.offset)};
    const QJsonValue list = document.object().value(QLatin1StringView("scenes"));
    if (!list.isArray() || list.toArray().isEmpty())
        throw BadInput{scenesFileName + QStringLiteral(" must be an object whose \"scenes\" is a "
                                                       "list of scenes")};
    static const QStringList keys = {"id",       "name", "description", "files",         "sceneArt",
                                     "pack",     "tag",  "accentHex",   "accentDeepHex", "cover",
                                     "videoLoop"};
    static const QStringList copied = {"pack", "tag", "accentHex", "accentDeepHex"};
    QSet<QString> ids;
    const QJsonArray scenes = list.toArray();
    for (qsizetype i = 0; i < scenes.size(); ++i) {
        const QString where = QStringLiteral("%1: scenes[%2]").arg(scenesFileName).arg(i);
        const QJsonObject scene = scenes[i].toObject();
        if (!scenes[i].isObject())
            throw BadInput{where + QStringLiteral(" is not an object")};
        for (auto it = scene.begin(); it != scene.end(); ++it) {
            if (!keys.contains(it.key()))
                throw BadInput{QStringLiteral("%1 has an unknown key \"%2\" (known: %3)")
                                   .arg(where, it.key(), keys.join(QStringLiteral(", ")))};
            if (it.key() != QLatin1StringView("files") && !it.value().isString())
                throw BadInput{QStringLiteral("%1.%2 must be a string").arg(where, it.key())};
        }
        const QString id = scene.value(QLatin1StringView("id")).toString();
        if (!SafeFileName::isSafe(id) || id.startsWith(QLatin1StringView("custom-")))
            throw BadInput{where + QStringLiteral(".id must be set, without \"/\", and must not "
                                                  "begin with \"custom-\"")};
        if (ids.contains(id))
            throw BadInput{QStringLiteral("%1.id \"%2\" is used twice").arg(where, id)};
        ids.insert(id);
        if (!scene.contains(QLatin1StringView("name")))
            throw BadInput{where + QStringLiteral(".name is missing")};

        const QJsonValue files = scene.value(QLatin1StringView("files"));
        if (!files.isArray() || files.toArray().isEmpty())
            throw BadInput{where + QStringLiteral(".files must be a list of the scene's files")};
        QJsonArray trackIds;
        for (qsizetype j = 0; j < files.toArray().size(); ++j) {
            const QString file = QDir::cleanPath(files.toArray()[j].toString());
            if (!m_audio.contains(file))
                throw BadInput{QStringLiteral("%1.files[%2]: no audio file \"%3\" in the folder")
                                   .arg(where)
                                   .arg(j)
                                   .arg(files.toArray()[j].toString())};
            m_used.insert(file);
            trackIds.append(m_audio.value(file));
        }

        QJsonObject entry{{"id", id},
                          {"name", scene.value(QLatin1StringView("name"))},
                          {"description", scene.value(QLatin1StringView("description")).toString()},
                          {"trackIds", trackIds}};
        for (const QString &key : copied) {
            if (scene.contains(key))
                entry.insert(key, scene.value(key));
        }
        if (scene.contains(QLatin1StringView("sceneArt"))) {
            const QString art = scene.value(QLatin1StringView("sceneArt")).toString();
            if (!SceneArt::fromRawValue(art)) {
                QStringList known;
                for (const SceneArtKind kind : SceneArt::allCases)
                    known.append(SceneArt::rawValue(kind));
                throw BadInput{QStringLiteral("%1.sceneArt \"%2\" is none of %3")
                                   .arg(where, art, known.join(QStringLiteral(", ")))};
            }
            entry.insert(QStringLiteral("sceneArt"), art);
        }
        if (scene.contains(QLatin1StringView("cover")))
            entry.insert(QStringLiteral("coverUrl"),
                         mediaUrl(scene.value(QLatin1StringView("cover")).toString(),
                                  where + QStringLiteral(".cover")));
        if (scene.contains(QLatin1StringView("videoLoop")))
            entry.insert(QStringLiteral("videoLoop"),
                         mediaUrl(scene.value(QLatin1StringView("videoLoop")).toString(),
                                  where + QStringLiteral(".videoLoop")));
        m_scenes.append(entry);
    }
}

// Without scenes.json the folder's own layout is the grouping: the top level is one scene,
// each sub-folder (with all below it) another.
void Builder::folderScenes()
{
    QMap<QString, QJsonArray> groups; // "" is the top level, which goes first
    for (auto it = m_audio.cbegin(); it != m_audio.cend(); ++it) {
        const qsizetype slash = it.key().indexOf(u'/');
        groups[slash < 0 ? QString() : it.key().left(slash)].append(it.value());
        m_used.insert(it.key());
    }
    QSet<QString> taken;
    for (auto it = groups.cbegin(); it != groups.cend(); ++it) {
        const QString name = it.key().isEmpty() ? m_folder.dirName() : it.key();
        QString id = slug(name);
        if (id.startsWith(QLatin1StringView("custom-")))
            id.prepend(QLatin1StringView("scene-"));
        m_scenes.append(QJsonObject{{"id", uniqueId(id, name, QStringLiteral("scene"), taken)},
                                    {"name", name},
                                    {"description", QString()},
                                    {"trackIds", it.value()}});
    }
}

QJsonObject Builder::track(const QString &relativePath)
{
    const QFileInfo file(m_folder.filePath(relativePath));
    QString problem;
    const auto decoder = FfmpegDecoder::open(file.filePath(), probeRate, &problem);
    if (!decoder)
        throw BadInput{QStringLiteral("%1 cannot be read: %2").arg(relativePath, problem)};
    qint64 ms = decoder->durationMs();
    if (ms <= 0) {
        // The file declares no length: its sound is counted to the end.
        std::vector<float> buffer(2 * 4096);
        qint64 frames = 0;
        qsizetype got = 0;
        while ((got = decoder->read(buffer.data(), 4096)) > 0)
            frames += got;
        if (got < 0)
            throw BadInput{
                QStringLiteral("%1 cannot be read: %2").arg(relativePath, decoder->error())};
        ms = frames * 1000 / probeRate;
    }
    QString title = decoder->tag("title");
    if (title.isEmpty())
        title = file.completeBaseName();
    QString artist = decoder->tag("artist");
    if (artist.isEmpty())
        artist = decoder->tag("album_artist");
    if (!m_newest.isValid() || file.lastModified() > m_newest)
        m_newest = file.lastModified();
    return {{"id", m_audio.value(relativePath)},
            {"title", title},
            {"artist", artist},
            {"url", fileUrl(relativePath)},
            {"durationSeconds", (ms + 500) / 1000},
            {"fileSizeBytes", file.size()}};
}

void Builder::noteUnused()
{
    for (auto it = m_audio.cbegin(); it != m_audio.cend(); ++it) {
        if (!m_used.contains(it.key()))
            m_err << "note: " << it.key() << " is in no scene of " << scenesFileName
                  << "; left out\n";
    }
    for (const QString &path : std::as_const(m_others)) {
        if (!m_used.contains(path))
            m_err << "note: " << path << " is not an audio file; skipped\n";
    }
}

QByteArray Builder::build()
{
    m_folder = QDir(QDir::cleanPath(QDir(m_options.folder).absolutePath()));
    listFolder();
    const QFileInfo scenesFile(m_folder.filePath(scenesFileName));
    if (scenesFile.exists()) {
        QFile file(scenesFile.filePath());
        if (!file.open(QIODevice::ReadOnly))
            throw BadInput{QStringLiteral("cannot read %1: %2")
                               .arg(scenesFile.filePath(), file.errorString())};
        readScenes(file.readAll());
        m_newest = scenesFile.lastModified();
    } else {
        folderScenes();
    }
    noteUnused();

    QJsonArray tracks;
    for (auto it = m_audio.cbegin(); it != m_audio.cend(); ++it) {
        if (m_used.contains(it.key()))
            tracks.append(track(it.key()));
    }
    // The newest input's time, not the clock's: a folder built again unchanged gives the same
    // bytes, so neither a CDN nor the app's cache sees a change that is none.
    QDateTime updated = m_newest.toUTC();
    updated.setTime(QTime(updated.time().hour(), updated.time().minute(), updated.time().second()));
    const QJsonObject document{{"version", 1},
                               {"updatedAt", updated.toString(Qt::ISODate)},
                               {"tracks", tracks},
                               {"playlists", m_scenes}};
    return QJsonDocument(document).toJson(QJsonDocument::Indented);
}

} // namespace

int buildCatalogue(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    const std::optional<Options> options = parse(arguments, err);
    if (!options)
        return Trouble;
    const QFileInfo folder(options->folder);
    if (!folder.isDir() || !folder.isReadable() || !folder.isExecutable()) {
        err << "duskhaven-catalogue: cannot read the folder " << options->folder << '\n';
        return Trouble;
    }
    QByteArray bytes;
    try {
        bytes = Builder(*options, err).build();
    } catch (const BadInput &bad) {
        err << "invalid: " << bad.message << "; nothing written\n";
        return Invalid;
    }
    try {
        // What the app would refuse is never published.
        const Manifest manifest = Manifest::decode(bytes);
        FileWriter::writeWhole(options->out, bytes);
        out << "wrote " << options->out << ": " << manifest.tracks.size() << " tracks, "
            << manifest.playlists.size() << " scenes\n";
    } catch (const AppError &error) {
        err << (error.domain() == AppError::Domain::Decoding ? "invalid: "
                                                             : "duskhaven-catalogue: ")
            << error.description() << "; nothing written\n";
        return error.domain() == AppError::Domain::Decoding ? Invalid : Trouble;
    }
    return Valid;
}
