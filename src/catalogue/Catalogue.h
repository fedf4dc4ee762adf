#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <array>
#include <optional>

// The catalogue document and its records. All are immutable values; a new catalogue replaces
// the old one whole. Ids are compared exactly.

enum class SceneArtKind { CozyRoom, RainyTokyo, LateCafe, ForestDawn, Subway, VinylBar };

namespace SceneArt {
// Every case, in declaration order.
inline constexpr std::array<SceneArtKind, 6> allCases = {
    SceneArtKind::CozyRoom,   SceneArtKind::RainyTokyo, SceneArtKind::LateCafe,
    SceneArtKind::ForestDawn, SceneArtKind::Subway,     SceneArtKind::VinylBar};
// The JSON string of a case ("cozy-room", …).
QString rawValue(SceneArtKind kind);
// The case of an exact (case-sensitive) raw value; none for any other string.
std::optional<SceneArtKind> fromRawValue(const QString &raw);
} // namespace SceneArt

struct Track
{
    QString id;
    QString title;
    QString artist;
    QUrl url;
    qint64 durationSeconds = 0;
    qint64 fileSizeBytes = 0;
    std::optional<QUrl> coverUrl;

    bool operator==(const Track &) const = default;
};

// A scene.
struct Playlist
{
    // Ids of this form name the user's own scenes, which the player, the saved mixes and the
    // start-up restore treat apart; a catalogue scene never carries one.
    static inline const QString customIdPrefix = QStringLiteral("custom-");

    QString id;
    QString name;
    QString description;
    std::optional<QUrl> coverUrl;
    QStringList trackIds;
    std::optional<QString> tag;
    std::optional<QString> accentHex;
    std::optional<QString> accentDeepHex;
    std::optional<SceneArtKind> sceneArt;
    std::optional<QString> pack;
    std::optional<QString> videoLoop;

    bool operator==(const Playlist &) const = default;
};

struct AmbientLayer
{
    static inline const QString defaultIcon = QStringLiteral("speaker.wave.2");

    QString id;
    QString name;
    QString icon = defaultIcon;
    std::optional<QUrl> url;

    bool operator==(const AmbientLayer &) const = default;
};

struct Manifest
{
    qint64 version = 0;
    QDateTime updatedAt;
    QList<Track> tracks;
    QList<Playlist> playlists;
    std::optional<QList<AmbientLayer>> ambientLayers;

    bool operator==(const Manifest &) const = default;

    // Decodes a whole document or throws AppError (Decoding domain) whose description names
    // the offending key path, for example "tracks[2].url". There is no partial result.
    // Of tracks sharing an id, only the first is kept (each is still decoded strictly).
    static Manifest decode(const QByteArray &json);
    // The same, also listing in `notes` what was accepted but left out: a track whose id
    // repeats an earlier track's (the first is kept), a scene whose id is reserved for the
    // user's own scenes (dropped). For the curator's tool; without `notes` they are logged.
    static Manifest decode(const QByteArray &json, QStringList *notes);

    // The same catalogue with its relative addresses made absolute against `base` (the
    // address of the folder the document came from, ending in "/"). A scene's videoLoop is
    // taken as an address only when it holds a "/": a bare name is a carried video.
    Manifest resolvedAgainst(const QUrl &base) const;

    // The first scene, in document order, with this id.
    std::optional<Playlist> playlist(const QString &id) const;
    // The scene's tracks in its order; ids not in "tracks" are skipped, a repeated id
    // repeats its track, an unknown scene gives an empty list.
    QList<Track> tracksForPlaylist(const QString &playlistId) const;
};
