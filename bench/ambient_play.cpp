// Plays ambient layer files through the application's layer engine, the way the mixer does:
//   ambient_play [--seconds N] [--volume V] [--pause-at S --resume-at S] [--music F]
//                [--cycles C] [--glide-to V --glide-minutes M [--stepped]] file…
// Every file becomes one looping layer; --music plays F through the music engine on the same
// stream, as the app does. --cycles first pauses and resumes everything C times (a quarter
// second each). --glide-to then glides every volume there over M minutes as a saved mix does
// (VolumeGlide): handed to the stream, or with --stepped stepped as for an engine without it.
// Prints the stream format, the decode time and the memory held by the decoded layers, then
// plays for N seconds (default 60) and exits.

#include "audio/MixStream.h"
#include "core/SettingsStore.h"
#include "mixer/AmbientEngine.h"
#include "mixes/VolumeGlide.h"
#include "playback/FfmpegEngine.h"

#include <QCoreApplication>
#include <QCoroTimer>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

namespace {
struct Glide
{
    float to = -1.0f;
    double minutes = 20.0;
    bool stepped = false;
};

void startGlide(AmbientEngine &engine, FfmpegEngine *music, float from, const Glide &glide,
                SettingsStore &settings)
{
    QList<VolumeGlide::Channel> channels;
    using HandOver = std::function<bool(float, std::chrono::milliseconds)>;
    const auto handOver = [&glide](HandOver hand) { return glide.stepped ? HandOver() : hand; };
    if (music)
        channels.append({from, glide.to, [music](float v) { music->setVolume(v); },
                         handOver([music](float v, std::chrono::milliseconds over) {
                             return music->glideVolume(v, over);
                         })});
    for (const QString &id : engine.layerIds())
        channels.append({from, glide.to, [&engine, id](float v) { engine.setVolume(id, v); },
                         handOver([&engine, id](float v, std::chrono::milliseconds over) {
                             engine.glideVolume(id, v, over);
                             return true;
                         })});
    const auto length = std::chrono::milliseconds(qint64(glide.minutes * 60000));
    new VolumeGlide(channels, length, settings, &engine);
}

QCoro::Task<> run(AmbientEngine &engine, FfmpegEngine *music, QStringList files, float volume,
                  int seconds, double pauseAt, double resumeAt, int cycles, Glide glide,
                  SettingsStore &settings)
{
    QElapsedTimer clock;
    clock.start();
    std::vector<std::shared_ptr<const LayerPcm>> decoded;
    for (const QString &file : files) {
        try {
            decoded.push_back(co_await engine.decode(file));
        } catch (const std::exception &error) {
            std::fprintf(stderr, "ambient_play: %s\n", error.what());
            QCoreApplication::exit(1);
            co_return;
        }
    }
    std::printf("%d Hz; %lld layers decoded in %lld ms\n", engine.sampleRate(),
                static_cast<long long>(files.size()), static_cast<long long>(clock.elapsed()));
    for (qsizetype i = 0; i < files.size(); ++i)
        engine.setLayer(QFileInfo(files[i]).fileName() + QString::number(i), decoded[i], volume,
                        true);
    std::printf("decoded layers hold %lld bytes\n", static_cast<long long>(engine.heldBytes()));
    std::fflush(stdout);
    decoded.clear();

    auto setAll = [&engine, music](bool playing) {
        for (const QString &id : engine.layerIds())
            engine.setPlaying(id, playing);
        if (music && playing)
            music->play();
        else if (music)
            music->pause();
    };
    setAll(true);
    for (int i = 0; i < 2 * cycles; ++i) {
        QTimer quarter;
        quarter.start(250);
        co_await quarter;
        setAll(i % 2 == 1);
    }
    if (glide.to >= 0.0f)
        startGlide(engine, music, volume, glide, settings);
    if (pauseAt >= 0)
        QTimer::singleShot(int(pauseAt * 1000), &engine, [setAll] { setAll(false); });
    if (resumeAt >= 0)
        QTimer::singleShot(int(resumeAt * 1000), &engine, [setAll] { setAll(true); });
    QTimer::singleShot(seconds * 1000, qApp, [] { QCoreApplication::quit(); });
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    int seconds = 60;
    float volume = 0.5f;
    double pauseAt = -1, resumeAt = -1;
    int cycles = 0;
    QString musicFile;
    Glide glide;
    QStringList files;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == QLatin1String("--seconds") && hasValue)
            seconds = args[++i].toInt();
        else if (arg == QLatin1String("--volume") && hasValue)
            volume = args[++i].toFloat();
        else if (arg == QLatin1String("--pause-at") && hasValue)
            pauseAt = args[++i].toDouble();
        else if (arg == QLatin1String("--resume-at") && hasValue)
            resumeAt = args[++i].toDouble();
        else if (arg == QLatin1String("--music") && hasValue)
            musicFile = args[++i];
        else if (arg == QLatin1String("--cycles") && hasValue)
            cycles = args[++i].toInt();
        else if (arg == QLatin1String("--glide-to") && hasValue)
            glide.to = args[++i].toFloat();
        else if (arg == QLatin1String("--glide-minutes") && hasValue)
            glide.minutes = args[++i].toDouble();
        else if (arg == QLatin1String("--stepped"))
            glide.stepped = true;
        else
            files.append(arg);
    }
    if (files.isEmpty()) {
        std::fprintf(stderr, "usage: ambient_play [--seconds N] [--volume V] "
                             "[--pause-at S --resume-at S] [--music F] [--cycles C] "
                             "[--glide-to V --glide-minutes M [--stepped]] file…\n");
        return 2;
    }
    // The glide holds the settings' writes, as in the app; they go nowhere that stays.
    QTemporaryDir settingsDir;
    SettingsStore settings(settingsDir.filePath("settings.json"));
    const auto stream = std::make_shared<MixStream>();
    AmbientEngine engine(stream);
    std::unique_ptr<FfmpegEngine> music;
    if (!musicFile.isEmpty()) {
        music = std::make_unique<FfmpegEngine>(stream);
        music->setVolume(volume);
        music->load(QUrl::fromLocalFile(QFileInfo(musicFile).absoluteFilePath()));
    }
    QTimer::singleShot(0, &engine, [&] {
        run(engine, music.get(), files, volume, seconds, pauseAt, resumeAt, cycles, glide,
            settings);
    });
    return app.exec();
}
