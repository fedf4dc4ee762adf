// Time from play() on a cached track to sound at the output, for each music engine, beside
// paplay started on the same sound: the floor of any program that plays a file. The player runs
// on the real library, cache and download services (the track is already in the cache); the
// sound is observed on PulseAudio's null sink "duskhaven_null" by recording its monitor. Run it
// inside the test session:
//
//   BUILD_DIR=build ./dev session build/bench/bench_player
//
// Each repetition pauses, waits for silence, then times play() up to the first sample that is
// not zero; the figure includes the monitor's capture latency (about 10 ms). BM_nextToSound
// times `next` from a silent track the same way.
#include "audio/MixStream.h"
#include "catalogue/HTTPClient.h"
#include "catalogue/LibraryService.h"
#include "core/FileLocations.h"
#include "core/RecordStore.h"
#include "core/SettingsStore.h"
#include "playback/FfmpegEngine.h"
#include "playback/PlayerService.h"
#include "playback/QtMultimediaEngine.h"
#include "storage/CacheEntry.h"
#include "storage/CacheService.h"
#include "storage/DownloadService.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QEventLoop>
#include <QFile>
#include <QNetworkAccessManager>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>

namespace {
using Clock = std::chrono::steady_clock;
constexpr double bytesPerSecond = 44100.0 * 2 * 2;

// Watches the null sink's monitor for the first sample that is not silence.
class SoundWatch : public QObject
{
public:
    SoundWatch()
    {
        connect(&m_parec, &QProcess::readyReadStandardOutput, this, &SoundWatch::onData);
        m_parec.start(QStringLiteral("parec"),
                      {QStringLiteral("-d"), QStringLiteral("duskhaven_null.monitor"),
                       QStringLiteral("--format=s16le"), QStringLiteral("--rate=44100"),
                       QStringLiteral("--channels=2"), QStringLiteral("--raw"),
                       QStringLiteral("--latency-msec=10")});
        m_parec.waitForStarted(5000);
    }
    ~SoundWatch() override
    {
        m_parec.terminate();
        m_parec.waitForFinished(3000);
    }

    bool isRunning() const { return m_parec.state() == QProcess::Running; }
    // Forget what was heard so far; the next sound counts.
    void arm()
    {
        m_parec.readAllStandardOutput();
        m_carry.clear();
        m_onset.reset();
    }
    const std::optional<Clock::time_point> &onset() const { return m_onset; }

private:
    void onData()
    {
        const Clock::time_point now = Clock::now();
        const QByteArray bytes = m_carry + m_parec.readAllStandardOutput();
        const qsizetype whole = bytes.size() - bytes.size() % 2;
        m_carry = bytes.mid(whole);
        if (m_onset)
            return;
        const auto *samples = reinterpret_cast<const qint16 *>(bytes.constData());
        for (qsizetype i = 0; i < whole / 2; ++i) {
            if (samples[i] != 0) {
                // The sample was captured before the bytes after it in this read.
                const double after = double(whole - i * 2) / bytesPerSecond;
                m_onset = now - std::chrono::duration_cast<Clock::duration>(
                                    std::chrono::duration<double>(after));
                return;
            }
        }
    }

    QProcess m_parec;
    QByteArray m_carry;
    std::optional<Clock::time_point> m_onset;
};

// The services as the environment builds them, over a temporary application tree whose cache
// already holds the one track of the scene "tone".
struct Rig
{
    QTemporaryDir dir;
    FileLocations locations{dir.filePath(QStringLiteral("app"))};
    std::unique_ptr<RecordStore> store;
    std::unique_ptr<SettingsStore> settings;
    HTTPClient http{std::make_shared<QNetworkAccessManager>()};
    std::unique_ptr<LibraryService> library;
    std::unique_ptr<CacheService> cache;
    std::unique_ptr<DownloadService> download;
    std::unique_ptr<PlayerService> player;
    std::unique_ptr<SoundWatch> watch;
    QString error;
    QString wav;

    explicit Rig(bool ffmpeg)
    {
        locations.ensureDirectories();
        store = std::make_unique<RecordStore>(dir.filePath(QStringLiteral("records.sqlite")));
        settings = std::make_unique<SettingsStore>(dir.filePath(QStringLiteral("settings.json")));
        const QString file = locations.cacheDir() + QStringLiteral("/tone.mp3");
        if (QProcess::execute(QStringLiteral("sox"),
                              {QStringLiteral("-n"), QStringLiteral("-r"), QStringLiteral("44100"),
                               QStringLiteral("-c"), QStringLiteral("2"), file,
                               QStringLiteral("synth"), QStringLiteral("5"), QStringLiteral("sine"),
                               QStringLiteral("440")}) != 0) {
            error = QStringLiteral("sox could not make the track");
            return;
        }
        wav = dir.filePath(QStringLiteral("tone.wav"));
        QProcess::execute(QStringLiteral("sox"), {file, wav});
        // Digital silence, for timing `next` from a track that plays but is not heard.
        const QString quiet = locations.cacheDir() + QStringLiteral("/quiet.mp3");
        QProcess::execute(QStringLiteral("sox"),
                          {QStringLiteral("-n"), QStringLiteral("-r"), QStringLiteral("44100"),
                           QStringLiteral("-c"), QStringLiteral("2"), QStringLiteral("-t"),
                           QStringLiteral("wav"), quiet, QStringLiteral("trim"),
                           QStringLiteral("0"), QStringLiteral("30")});
        for (const QString &id : {QStringLiteral("tone"), QStringLiteral("quiet")}) {
            store->insert(CacheEntry{id, QFile(locations.cacheDir() + "/" + id + ".mp3").size(),
                                     QDateTime::currentDateTimeUtc()});
        }
        store->save();
        QFile manifest(locations.manifestFile());
        manifest.open(QIODevice::WriteOnly);
        manifest.write(R"({"version":1,"updatedAt":"2025-01-31T18:00:00Z",
            "tracks":[{"id":"tone","title":"Tone","artist":"sox","url":"https://unused.invalid/tone.mp3",
                       "durationSeconds":5,"fileSizeBytes":1},
                      {"id":"quiet","title":"Quiet","artist":"sox","url":"https://unused.invalid/quiet.mp3",
                       "durationSeconds":30,"fileSizeBytes":1}],
            "playlists":[{"id":"tone","name":"Tone","description":"","trackIds":["tone"]},
                         {"id":"pair","name":"Pair","description":"","trackIds":["quiet","tone"]}]})");
        manifest.close();

        library = std::make_unique<LibraryService>(QUrl(QStringLiteral("https://unused.invalid/")),
                                                   http, locations);
        library->loadCachedManifest();
        cache = std::make_unique<CacheService>(locations, *store, *settings);
        download = std::make_unique<DownloadService>(http, *cache, locations);
        std::unique_ptr<AudioEngine> engine;
        if (ffmpeg)
            engine = std::make_unique<FfmpegEngine>(std::make_shared<MixStream>());
        else
            engine = std::make_unique<QtMultimediaEngine>();
        player = std::make_unique<PlayerService>(PlayerSources::from(*library, *download, *cache),
                                                 *settings, std::move(engine));
        watch = std::make_unique<SoundWatch>();
        if (!library->manifest())
            error = QStringLiteral("the catalogue did not load");
        else if (!watch->isRunning())
            error = QStringLiteral("parec did not start: run inside ./dev session");
    }
};

void runEventLoopFor(std::chrono::milliseconds duration)
{
    QEventLoop loop;
    QTimer::singleShot(duration, &loop, &QEventLoop::quit);
    loop.exec();
}

// Built at the first run of each engine, gone before the application object.
std::map<bool, std::unique_ptr<Rig>> g_rigs;

Rig *rigFor(benchmark::State &state, bool ffmpeg)
{
    auto &rig = g_rigs[ffmpeg];
    if (!rig)
        rig = std::make_unique<Rig>(ffmpeg);
    if (!rig->error.isEmpty()) {
        state.SkipWithError(rig->error.toStdString().c_str());
        return nullptr;
    }
    return rig.get();
}

// Runs `start` and returns the time from it to the first sound, or none after 5 s.
std::optional<double> timeToSound(SoundWatch &watch, const std::function<void()> &start)
{
    runEventLoopFor(std::chrono::milliseconds(400)); // the sink drains to silence
    watch.arm();
    const Clock::time_point started = Clock::now();
    start();
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (watch.onset() || Clock::now() - started > std::chrono::seconds(5))
            loop.quit();
    });
    poll.start(1);
    loop.exec();
    if (!watch.onset())
        return std::nullopt;
    return std::chrono::duration<double>(*watch.onset() - started).count();
}

// range(0): 1 for the FFmpeg engine on the mixed stream, 0 for Qt Multimedia's player.
void bothEngines(benchmark::internal::Benchmark *benchmark)
{
    benchmark->ArgName("ffmpeg")
        ->Arg(1)
        ->Arg(0)
        ->UseManualTime()
        ->Iterations(1)
        ->Repetitions(10)
        ->Unit(benchmark::kMillisecond);
}

// Times `start` to sound in every repetition, each after `before`, on the engine of range(0);
// pauses the player at the end.
void timeEachStart(benchmark::State &state, const std::function<void(PlayerService &)> &before,
                   const std::function<void(PlayerService &)> &start)
{
    Rig *rig = rigFor(state, state.range(0) == 1);
    if (!rig)
        return;
    PlayerService &player = *rig->player;
    for (auto _ : state) {
        before(player);
        const auto seconds = timeToSound(*rig->watch, [&] { start(player); });
        if (!seconds) {
            state.SkipWithError("no sound within 5 s");
            return;
        }
        state.SetIterationTime(*seconds);
    }
    if (player.isPlaying())
        player.togglePlayPause();
}

void BM_playCachedTrackToSound(benchmark::State &state)
{
    timeEachStart(
        state,
        [](PlayerService &player) {
            if (player.isPlaying())
                player.togglePlayPause();
        },
        [](PlayerService &player) { player.playScene(QStringLiteral("tone")); });
}
BENCHMARK(BM_playCachedTrackToSound)->Apply(bothEngines);

// `next` while a silent track plays, up to the first sample of the next track (a tone) at the
// sink; the FFmpeg engine has that track readied, Qt Multimedia's opens it then.
void BM_nextToSound(benchmark::State &state)
{
    timeEachStart(
        state,
        [](PlayerService &player) {
            QCoro::waitFor(player.play(QStringLiteral("pair"), QStringLiteral("quiet")));
        },
        [](PlayerService &player) { player.playNext(); });
}
BENCHMARK(BM_nextToSound)->Apply(bothEngines);

// The floor: paplay started on the same sound (as WAV, which it reads itself).
void BM_paplayExecToSound(benchmark::State &state)
{
    Rig *rig = rigFor(state, true);
    if (!rig)
        return;
    for (auto _ : state) {
        QProcess paplay;
        const auto seconds =
            timeToSound(*rig->watch, [&] { paplay.start(QStringLiteral("paplay"), {rig->wav}); });
        paplay.kill();
        paplay.waitForFinished(3000);
        if (!seconds) {
            state.SkipWithError("no sound within 5 s");
            return;
        }
        state.SetIterationTime(*seconds);
    }
}
BENCHMARK(BM_paplayExecToSound)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(10)
    ->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_rigs.clear();
    return 0;
}
