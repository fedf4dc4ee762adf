#pragma once

#include "catalogue/Catalogue.h"
#include "support/TestHttpServer.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

// Scenes by id with their track ids. Every id becomes a track, "Title <id>" by "Artist <id>",
// two minutes long, except ids beginning with "missing", which the catalogue lacks.
inline Manifest sceneCatalogue(const QList<std::pair<QString, QStringList>> &scenes)
{
    Manifest manifest;
    manifest.version = 1;
    manifest.updatedAt = QDateTime(QDate(2025, 1, 31), QTime(18, 0), Qt::UTC);
    QSet<QString> known;
    for (const auto &[sceneId, trackIds] : scenes) {
        manifest.playlists.append(
            Playlist{.id = sceneId, .name = "Scene " + sceneId, .trackIds = trackIds});
        for (const QString &id : trackIds) {
            if (!id.startsWith("missing") && !known.contains(id)) {
                known.insert(id);
                manifest.tracks.append(Track{.id = id,
                                             .title = "Title " + id,
                                             .artist = "Artist " + id,
                                             .url = QUrl("http://127.0.0.1:1/" + id + ".mp3"),
                                             .durationSeconds = 120});
            }
        }
    }
    return manifest;
}

// The catalogue's JSON document, as a server would send it.
inline QByteArray catalogueJson(const Manifest &manifest)
{
    QJsonArray tracks, playlists;
    for (const Track &t : manifest.tracks)
        tracks.append(QJsonObject{{"id", t.id},
                                  {"title", t.title},
                                  {"artist", t.artist},
                                  {"url", t.url.toString()},
                                  {"durationSeconds", t.durationSeconds},
                                  {"fileSizeBytes", t.fileSizeBytes}});
    for (const Playlist &p : manifest.playlists) {
        QJsonObject scene{{"id", p.id},
                          {"name", p.name},
                          {"description", p.description},
                          {"trackIds", QJsonArray::fromStringList(p.trackIds)}};
        if (p.videoLoop)
            scene.insert("videoLoop", *p.videoLoop);
        if (p.accentHex)
            scene.insert("accentHex", *p.accentHex);
        if (p.pack)
            scene.insert("pack", *p.pack);
        if (p.sceneArt)
            scene.insert("sceneArt", SceneArt::rawValue(*p.sceneArt));
        playlists.append(scene);
    }
    QJsonObject document{{"version", manifest.version},
                         {"updatedAt", manifest.updatedAt.toString(Qt::ISODate)},
                         {"tracks", tracks},
                         {"playlists", playlists}};
    if (manifest.ambientLayers) {
        QJsonArray layers;
        for (const AmbientLayer &l : *manifest.ambientLayers) {
            QJsonObject layer{{"id", l.id}, {"name", l.name}, {"icon", l.icon}};
            if (l.url)
                layer.insert("url", l.url->toString());
            layers.append(layer);
        }
        document.insert("ambientLayers", layers);
    }
    return QJsonDocument(document).toJson();
}

// The scenes' catalogue with every track served by server at /<id>.mp3 as "audio of <id>".
inline Manifest servedCatalogue(TestHttpServer &server,
                                const QList<std::pair<QString, QStringList>> &scenes)
{
    Manifest manifest = sceneCatalogue(scenes);
    for (Track &track : manifest.tracks) {
        track.url = server.url("/" + track.id + ".mp3");
        server.serve(track.url.path(), 200, "audio of " + track.id.toUtf8());
    }
    return manifest;
}
