// Plays one local file through the player service and the FFmpeg engine for a given
// number of seconds, then exits: the process whose CPU use bench/player_cpu.sh measures.
//
//   player_play_file <file> <seconds>
#include "audio/MixStream.h"
#include "core/SettingsStore.h"
#include "playback/FfmpegEngine.h"
#include "playback/PlayerService.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    bool ok = false;
    const int seconds = args.size() == 3 ? args[2].toInt(&ok) : 0;
    if (!ok || seconds <= 0 || !QFileInfo(args[1]).isReadable()) {
        std::fprintf(stderr, "usage: player_play_file <file> <seconds>\n");
        return 2;
    }
    QTemporaryDir dir;
    SettingsStore settings(dir.filePath(QStringLiteral("settings.json")));
    // No catalogue: the file plays as a custom scene, straight from disk.
    PlayerSources sources{[] { return std::optional<Manifest>(); },
                          [](Track) -> QCoro::Task<QUrl> { co_return QUrl(); },
                          [](const QString &) {}};
    PlayerService player(std::move(sources), settings, std::make_unique<FfmpegEngine>(std::make_shared<MixStream>()));
    int failures = 0;
    QObject::connect(&player.engine(), &AudioEngine::failed, &app, [&] { ++failures; });
    player.playCustom(QUrl::fromLocalFile(QFileInfo(args[1]).absoluteFilePath()),
                      QStringLiteral("bench"));
    QTimer::singleShot(seconds * 1000, &app, &QCoreApplication::quit);
    app.exec();
    return failures == 0 ? 0 : 1;
}
