// Plays ambient layer files through the application's layer engine, the way the mixer does:
//   ambient_play [--seconds N] [--volume V] [--pause-at S --resume-at S] [--music F]
//                [--cycles C] file…
// Every file becomes one looping layer; --music plays F through the music engine on the same
// stream, as the app does. --cycles first pauses and resumes everything C times (a quarter
// second each). Prints the stream format, the decode time and the memory held by the decoded
// layers, then plays for N seconds (default 60) and exits.

#include "audio/MixStream.h"
#include "mixer/AmbientEngine.h"
#include "playback/FfmpegEngine.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTimer>
#include <QCoroTimer>
#include <cstdio>

namespace {
QCoro::Task<> run(AmbientEngine &engine, FfmpegEngine *music, QStringList files, float volume,
                  int seconds, double pauseAt, double resumeAt, int cycles)
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
        else
            files.append(arg);
    }
    if (files.isEmpty()) {
        std::fprintf(stderr, "usage: ambient_play [--seconds N] [--volume V] "
                             "[--pause-at S --resume-at S] [--music F] [--cycles C] file…\n");
        return 2;
    }
    const auto stream = std::make_shared<MixStream>();
    AmbientEngine engine(stream);
    std::unique_ptr<FfmpegEngine> music;
    if (!musicFile.isEmpty()) {
        music = std::make_unique<FfmpegEngine>(stream);
        music->setVolume(volume);
        music->load(QUrl::fromLocalFile(QFileInfo(musicFile).absoluteFilePath()));
    }
    QTimer::singleShot(0, &engine, [&] {
        run(engine, music.get(), files, volume, seconds, pauseAt, resumeAt, cycles);
    });
    return app.exec();
}
