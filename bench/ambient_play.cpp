// Plays ambient layer files through the application's layer engine, the way the mixer does:
//   ambient_play [--seconds N] [--volume V] [--pause-at S --resume-at S] file…
// Every file becomes one looping layer. Prints the stream format, the decode time and the
// memory held by the decoded layers, then plays for N seconds (default 60) and exits.

#include "mixer/AmbientEngine.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTimer>
#include <cstdio>

namespace {
QCoro::Task<> run(AmbientEngine &engine, QStringList files, float volume, int seconds,
                  double pauseAt, double resumeAt)
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
    std::printf("format %d Hz, %d channels, %s; %lld layers decoded in %lld ms\n",
                engine.sampleRate(), engine.format().channelCount(),
                engine.format().sampleFormat() == QAudioFormat::Float ? "float" : "int16",
                static_cast<long long>(files.size()), static_cast<long long>(clock.elapsed()));
    for (qsizetype i = 0; i < files.size(); ++i)
        engine.setLayer(QFileInfo(files[i]).fileName() + QString::number(i), decoded[i], volume,
                        true);
    std::printf("decoded layers hold %lld bytes\n", static_cast<long long>(engine.heldBytes()));
    std::fflush(stdout);
    decoded.clear();

    auto setAll = [&engine](bool playing) {
        for (const QString &id : engine.layerIds())
            engine.setPlaying(id, playing);
    };
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
        else
            files.append(arg);
    }
    if (files.isEmpty()) {
        std::fprintf(stderr, "usage: ambient_play [--seconds N] [--volume V] "
                             "[--pause-at S --resume-at S] file…\n");
        return 2;
    }
    AmbientEngine engine;
    QTimer::singleShot(0, &engine, [&] { run(engine, files, volume, seconds, pauseAt, resumeAt); });
    return app.exec();
}
