// Decoding and scene lookup on a catalogue far larger than real ones (10,000 tracks, 500
// scenes of 20 tracks), to keep an eye on the per-call index and the reader.

#include "catalogue/Catalogue.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <benchmark/benchmark.h>

namespace {

constexpr int trackCount = 10'000;
constexpr int sceneCount = 500;
constexpr int tracksPerScene = 20;

QByteArray largeCatalogue()
{
    QJsonArray tracks;
    for (int i = 0; i < trackCount; ++i) {
        tracks.append(QJsonObject{
            {"id", QStringLiteral("track-%1").arg(i)},
            {"title", QStringLiteral("Track number %1").arg(i)},
            {"artist", QStringLiteral("Artist %1").arg(i % 97)},
            {"url", QStringLiteral("https://media.example/audio/track-%1.mp3").arg(i)},
            {"durationSeconds", 120 + i % 180},
            {"fileSizeBytes", 3'000'000 + i * 17},
            {"coverUrl", QStringLiteral("https://media.example/covers/track-%1.jpg").arg(i)},
        });
    }
    QJsonArray playlists;
    for (int s = 0; s < sceneCount; ++s) {
        QJsonArray ids;
        for (int k = 0; k < tracksPerScene; ++k)
            ids.append(QStringLiteral("track-%1").arg((s * 37 + k * 101) % trackCount));
        playlists.append(QJsonObject{
            {"id", QStringLiteral("scene-%1").arg(s)},
            {"name", QStringLiteral("Scene %1").arg(s)},
            {"description", "Soft beats for a long evening."},
            {"coverUrl", QStringLiteral("https://media.example/covers/scene-%1.jpg").arg(s)},
            {"trackIds", ids},
            {"tag", "Focus"},
            {"accentHex", "#6A7FDB"},
            {"accentDeepHex", "#2B335C"},
            {"sceneArt", "rainy-tokyo"},
            {"pack", QStringLiteral("Pack %1").arg(s % 12)},
            {"videoLoop", QStringLiteral("https://media.example/video/scene-%1.mp4").arg(s)},
        });
    }
    const QJsonObject root{
        {"version", 42},
        {"updatedAt", "2025-01-31T18:00:00Z"},
        {"tracks", tracks},
        {"playlists", playlists},
        {"ambientLayers", QJsonArray{QJsonObject{{"id", "rain"}, {"name", "Rain"}}}}};
    return QJsonDocument(root).toJson(QJsonDocument::Compact);
}

const QByteArray &catalogue()
{
    static const QByteArray bytes = largeCatalogue();
    return bytes;
}

void BM_Decode(benchmark::State &state)
{
    const QByteArray &bytes = catalogue();
    for (auto _ : state) {
        Manifest manifest = Manifest::decode(bytes);
        benchmark::DoNotOptimize(manifest);
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
    state.counters["documentBytes"] = double(bytes.size());
}
BENCHMARK(BM_Decode)->Unit(benchmark::kMillisecond);

void BM_TracksForPlaylist(benchmark::State &state)
{
    const Manifest manifest = Manifest::decode(catalogue());
    // The last scene: playlist() scans past every other one.
    const QString id = manifest.playlists.constLast().id;
    for (auto _ : state) {
        QList<Track> tracks = manifest.tracksForPlaylist(id);
        benchmark::DoNotOptimize(tracks);
    }
}
BENCHMARK(BM_TracksForPlaylist)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
