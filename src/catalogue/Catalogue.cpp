#include "catalogue/Catalogue.h"

#include "catalogue/JsonReader.h"
#include "core/AppError.h"

#include <QDebug>
#include <QHash>
#include <QSet>

using JsonReader::Value;
using Type = JsonReader::Value::Type;

namespace SceneArt {

QString rawValue(SceneArtKind kind)
{
    switch (kind) {
    case SceneArtKind::CozyRoom:
        return QStringLiteral("cozy-room");
    case SceneArtKind::RainyTokyo:
        return QStringLiteral("rainy-tokyo");
    case SceneArtKind::LateCafe:
        return QStringLiteral("late-cafe");
    case SceneArtKind::ForestDawn:
        return QStringLiteral("forest-dawn");
    case SceneArtKind::Subway:
        return QStringLiteral("subway");
    case SceneArtKind::VinylBar:
        return QStringLiteral("vinyl-bar");
    }
    return {};
}

std::optional<SceneArtKind> fromRawValue(const QString &raw)
{
    for (const SceneArtKind kind : allCases) {
        if (rawValue(kind) == raw)
            return kind;
    }
    return std::nullopt;
}

} // namespace SceneArt

namespace {

// A key path such as "playlists[0].trackIds[3]". Nodes live on the decoder's stack and the
// text is built only when an error names it.
struct Path
{
    const Path *parent = nullptr;
    QLatin1StringView key;
    qsizetype index = -1;

    Path operator/(QLatin1StringView child) const { return {this, child, -1}; }
    Path operator[](qsizetype i) const { return {this, {}, i}; }

    QString toString() const
    {
        QString text = parent ? parent->toString() : QString();
        if (index >= 0) {
            text += u'[' + QString::number(index) + u']';
        } else if (!key.isEmpty()) {
            if (!text.isEmpty())
                text += u'.';
            text += key;
        }
        return text;
    }
};

[[noreturn]] void fail(const Path &path, const QString &problem)
{
    const QString where = path.toString();
    throw AppError::decoding((where.isEmpty() ? QStringLiteral("top level") : where) +
                             QStringLiteral(": ") + problem);
}

QString quoted(const QString &text)
{
    constexpr qsizetype shown = 80;
    return u'"' + text.left(shown) +
           (text.size() > shown ? QStringLiteral("…\"") : QStringLiteral("\""));
}

void expectType(const Value &value, const Path &path, Type type, const char *expected)
{
    if (value.type == type)
        return;
    if (value.type == Type::Null)
        fail(path, QStringLiteral("is null, expected %1").arg(QLatin1StringView(expected)));
    fail(path, QStringLiteral("expected %1, found %2")
                   .arg(QLatin1StringView(expected), JsonReader::typeName(value.type)));
}

// The member named by the last step of `path`, which must be present and of `type`.
const Value &required(const Value &object, const Path &path, Type type, const char *expected)
{
    const Value *value = object.member(path.key);
    if (!value)
        fail(path, QStringLiteral("required key is missing"));
    expectType(*value, path, type, expected);
    return *value;
}

QString requiredString(const Value &object, const Path &path)
{
    return required(object, path, Type::String, "a string").string;
}

// A number literal for a message, shortened.
QString literal(QByteArrayView text)
{
    constexpr qsizetype shown = 40;
    return QString::fromLatin1(text.first(std::min(text.size(), shown))) +
           (text.size() > shown ? QStringLiteral("…") : QString());
}

qint64 requiredInteger(const Value &object, const Path &path)
{
    const Value &value = required(object, path, Type::Number, "an integer");
    qint64 result = 0;
    switch (JsonReader::toInteger(value.number, &result)) {
    case JsonReader::Integer::Exact:
        return result;
    case JsonReader::Integer::NotWhole:
        fail(path, QStringLiteral("expected an integer, found %1").arg(literal(value.number)));
    case JsonReader::Integer::OutOfRange:
        break;
    }
    fail(
        path,
        QStringLiteral("%1 is outside the signed 64-bit integer range").arg(literal(value.number)));
}

// Strict RFC 3986 parsing: an empty string, spaces, stray '%' and the like are not URLs.
// Relative references parse, as they do for the platform's own URL type.
std::optional<QUrl> toUrl(const QString &text)
{
    if (text.isEmpty())
        return std::nullopt;
    QUrl url(text, QUrl::StrictMode);
    if (!url.isValid())
        return std::nullopt;
    return url;
}

// What the app fetches comes over http or https; a relative address stands for a file beside
// the document (the catalogue installed with the app).
bool isFetchable(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    return url.isRelative() || scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

QUrl checkedUrl(const QString &text, const Path &path)
{
    const auto url = toUrl(text);
    if (!url)
        fail(path, quoted(text) + QStringLiteral(" is not a valid URL"));
    if (!isFetchable(*url))
        fail(path, quoted(text) + QStringLiteral(" is not an http or https address"));
    return *url;
}

// The internet date-time form, YYYY-MM-DDThh:mm:ss followed by "Z" or ±hh:mm, and nothing
// else: no fractional seconds, no missing zone, no lower-case separators.
std::optional<QDateTime> toDateTime(const QString &text)
{
    const qsizetype size = text.size();
    if (size != 20 && size != 25)
        return std::nullopt;
    auto number = [&](qsizetype at, qsizetype length) {
        int n = 0;
        for (qsizetype i = at; i < at + length; ++i) {
            const char16_t c = text.at(i).unicode();
            if (c < u'0' || c > u'9')
                return -1;
            n = n * 10 + (c - u'0');
        }
        return n;
    };
    auto is = [&](qsizetype at, char16_t c) { return text.at(at).unicode() == c; };
    if (!is(4, u'-') || !is(7, u'-') || !is(10, u'T') || !is(13, u':') || !is(16, u':'))
        return std::nullopt;
    const QDate date(number(0, 4), number(5, 2), number(8, 2));
    const int hour = number(11, 2), minute = number(14, 2), second = number(17, 2);
    if (!date.isValid() || number(0, 4) < 0 || !QTime::isValid(hour, minute, second))
        return std::nullopt;
    int offsetSeconds = 0;
    if (size == 20) {
        if (!is(19, u'Z'))
            return std::nullopt;
    } else {
        const int sign = is(19, u'+') ? 1 : is(19, u'-') ? -1 : 0;
        const int offsetHours = number(20, 2), offsetMinutes = number(23, 2);
        if (sign == 0 || !is(22, u':') || offsetHours < 0 || offsetHours > 23 ||
            offsetMinutes < 0 || offsetMinutes > 59)
            return std::nullopt;
        offsetSeconds = sign * (offsetHours * 3600 + offsetMinutes * 60);
    }
    return QDateTime(date, QTime(hour, minute, second), Qt::UTC).addSecs(-offsetSeconds);
}

// A tolerant string: anything but a string reads as empty.
std::optional<QString> tolerantString(const Value &object, QLatin1StringView key)
{
    const Value *value = object.member(key);
    if (!value || value->type != Type::String)
        return std::nullopt;
    return value->string;
}

std::optional<QUrl> tolerantUrl(const Value &object, QLatin1StringView key)
{
    const auto text = tolerantString(object, key);
    const std::optional<QUrl> url = text ? toUrl(*text) : std::nullopt;
    return url && isFetchable(*url) ? url : std::nullopt;
}

Track decodeTrack(const Value &value, const Path &path)
{
    expectType(value, path, Type::Object, "an object");
    Track track;
    track.id = requiredString(value, path / QLatin1StringView("id"));
    track.title = requiredString(value, path / QLatin1StringView("title"));
    track.artist = requiredString(value, path / QLatin1StringView("artist"));
    const Path urlPath = path / QLatin1StringView("url");
    track.url = checkedUrl(requiredString(value, urlPath), urlPath);
    track.durationSeconds = requiredInteger(value, path / QLatin1StringView("durationSeconds"));
    track.fileSizeBytes = requiredInteger(value, path / QLatin1StringView("fileSizeBytes"));
    // Optional but strict: absent or null is no cover, anything else must be a URL.
    const Path coverPath = path / QLatin1StringView("coverUrl");
    if (const Value *cover = value.member(coverPath.key); cover && cover->type != Type::Null) {
        expectType(*cover, coverPath, Type::String, "a string or null");
        track.coverUrl = checkedUrl(cover->string, coverPath);
    }
    return track;
}

Playlist decodePlaylist(const Value &value, const Path &path)
{
    expectType(value, path, Type::Object, "an object");
    Playlist playlist;
    playlist.id = requiredString(value, path / QLatin1StringView("id"));
    playlist.name = requiredString(value, path / QLatin1StringView("name"));
    playlist.description = requiredString(value, path / QLatin1StringView("description"));
    playlist.coverUrl = tolerantUrl(value, QLatin1StringView("coverUrl"));
    const Path idsPath = path / QLatin1StringView("trackIds");
    const Value &ids = required(value, idsPath, Type::Array, "an array of strings");
    playlist.trackIds.reserve(qsizetype(ids.items.size()));
    for (size_t i = 0; i < ids.items.size(); ++i) {
        expectType(ids.items[i], idsPath[qsizetype(i)], Type::String, "a string");
        playlist.trackIds.append(ids.items[i].string);
    }
    playlist.tag = tolerantString(value, QLatin1StringView("tag"));
    playlist.accentHex = tolerantString(value, QLatin1StringView("accentHex"));
    playlist.accentDeepHex = tolerantString(value, QLatin1StringView("accentDeepHex"));
    if (const auto art = tolerantString(value, QLatin1StringView("sceneArt")))
        playlist.sceneArt = SceneArt::fromRawValue(*art);
    playlist.pack = tolerantString(value, QLatin1StringView("pack"));
    playlist.videoLoop = tolerantString(value, QLatin1StringView("videoLoop"));
    return playlist;
}

AmbientLayer decodeLayer(const Value &value, const Path &path)
{
    expectType(value, path, Type::Object, "an object");
    AmbientLayer layer;
    layer.id = requiredString(value, path / QLatin1StringView("id"));
    layer.name = requiredString(value, path / QLatin1StringView("name"));
    layer.icon =
        tolerantString(value, QLatin1StringView("icon")).value_or(AmbientLayer::defaultIcon);
    layer.url = tolerantUrl(value, QLatin1StringView("url"));
    return layer;
}

} // namespace

Manifest Manifest::decode(const QByteArray &json)
{
    QStringList notes;
    Manifest manifest = decode(json, &notes);
    for (const QString &note : std::as_const(notes))
        qInfo().noquote() << "Catalogue:" << note;
    return manifest;
}

Manifest Manifest::decode(const QByteArray &json, QStringList *notes)
{
    const Value document = JsonReader::parse(json);
    const Path top;
    expectType(document, top, Type::Object, "an object");

    Manifest manifest;
    manifest.version = requiredInteger(document, top / QLatin1StringView("version"));

    const Path datePath = top / QLatin1StringView("updatedAt");
    const QString date = requiredString(document, datePath);
    const auto updatedAt = toDateTime(date);
    if (!updatedAt)
        fail(datePath, quoted(date) + QStringLiteral(" is not a date-time with a time zone and "
                                                     "whole seconds, like 2025-01-31T18:00:00Z"));
    manifest.updatedAt = *updatedAt;

    // Every track is decoded strictly, but of tracks sharing an id only the first is kept:
    // the lookups index tracks by id and would otherwise pick one arbitrarily.
    const Path tracksPath = top / QLatin1StringView("tracks");
    const Value &tracks = required(document, tracksPath, Type::Array, "an array");
    manifest.tracks.reserve(qsizetype(tracks.items.size()));
    QHash<QString, qsizetype> firstIndex;
    firstIndex.reserve(qsizetype(tracks.items.size()));
    for (size_t i = 0; i < tracks.items.size(); ++i) {
        Track track = decodeTrack(tracks.items[i], tracksPath[qsizetype(i)]);
        const auto known = firstIndex.constFind(track.id);
        if (known != firstIndex.cend()) {
            if (notes)
                notes->append(QStringLiteral("tracks[%1]: the id %2 repeats tracks[%3]; the "
                                             "first is kept")
                                  .arg(i)
                                  .arg(quoted(track.id))
                                  .arg(*known));
            continue;
        }
        firstIndex.insert(track.id, qsizetype(i));
        manifest.tracks.append(std::move(track));
    }

    const Path playlistsPath = top / QLatin1StringView("playlists");
    const Value &playlists = required(document, playlistsPath, Type::Array, "an array");
    manifest.playlists.reserve(qsizetype(playlists.items.size()));
    for (size_t i = 0; i < playlists.items.size(); ++i) {
        Playlist scene = decodePlaylist(playlists.items[i], playlistsPath[qsizetype(i)]);
        // Taken for one of the user's own scenes, it would be neither restored nor kept in a
        // saved mix; the rest of the catalogue is still good.
        if (scene.id.startsWith(Playlist::customIdPrefix)) {
            if (notes)
                notes->append(QStringLiteral("playlists[%1]: the id %2 begins with %3, which "
                                             "names the user's own scenes; the scene is left out")
                                  .arg(i)
                                  .arg(quoted(scene.id), quoted(Playlist::customIdPrefix)));
            continue;
        }
        manifest.playlists.append(std::move(scene));
    }

    const Path layersPath = top / QLatin1StringView("ambientLayers");
    if (const Value *layers = document.member(layersPath.key);
        layers && layers->type != Type::Null) {
        expectType(*layers, layersPath, Type::Array, "an array or null");
        QList<AmbientLayer> list;
        list.reserve(qsizetype(layers->items.size()));
        for (size_t i = 0; i < layers->items.size(); ++i)
            list.append(decodeLayer(layers->items[i], layersPath[qsizetype(i)]));
        manifest.ambientLayers = std::move(list);
    }
    return manifest;
}

Manifest Manifest::resolvedAgainst(const QUrl &base) const
{
    const auto resolve = [&base](std::optional<QUrl> &url) {
        if (url && url->isRelative())
            url = base.resolved(*url);
    };
    Manifest resolved = *this;
    for (Track &track : resolved.tracks) {
        track.url = base.resolved(track.url);
        resolve(track.coverUrl);
    }
    for (Playlist &scene : resolved.playlists) {
        resolve(scene.coverUrl);
        if (scene.videoLoop && scene.videoLoop->contains(u'/')) {
            const QUrl video(*scene.videoLoop, QUrl::StrictMode);
            if (video.isValid() && video.isRelative())
                scene.videoLoop = base.resolved(video).toString(QUrl::FullyEncoded);
        }
    }
    if (resolved.ambientLayers) {
        for (AmbientLayer &layer : *resolved.ambientLayers)
            resolve(layer.url);
    }
    return resolved;
}

std::optional<Playlist> Manifest::playlist(const QString &id) const
{
    for (const Playlist &candidate : playlists) {
        if (candidate.id == id)
            return candidate;
    }
    return std::nullopt;
}

QList<Track> Manifest::tracksForPlaylist(const QString &playlistId) const
{
    const auto scene = playlist(playlistId);
    if (!scene)
        return {};
    // Built per call: catalogues are small and nothing is cached between calls. Should a
    // hand-made manifest repeat an id, the first track wins, as in decoding.
    QHash<QString, qsizetype> index;
    index.reserve(tracks.size());
    for (qsizetype i = tracks.size() - 1; i >= 0; --i)
        index.insert(tracks.at(i).id, i);
    QList<Track> result;
    result.reserve(scene->trackIds.size());
    for (const QString &id : scene->trackIds) {
        const auto found = index.constFind(id);
        if (found != index.cend())
            result.append(tracks.at(*found));
    }
    return result;
}
