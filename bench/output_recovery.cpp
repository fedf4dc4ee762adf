// Restart to sound: music plays through the application's stream (FfmpegEngine on a MixStream)
// into a PulseAudio server of this program's own (tests/support/SoundServer.h), which is killed
// with -9 and started again on the same socket; five rounds. Each prints how long the server was
// away (kill to its socket accepting) and the time from its return to the first sample that is
// not silence at its null sink's monitor, which includes the recorder's capture latency (about
// 20 ms); then the median. The session's own server is not touched.
//
// The server comes back with its sink already rendering, as a sound card's does (see
// SoundServer::start), which takes it about two seconds; an optional pause before the restart
// lengthens the outage further. What follows the return depends on where the outage ends in
// the stream's retry steps (0.2, 0.6, 1.4, 3.0 s after the loss, then every 1.6 s).
//
//   BUILD_DIR=build ./dev session build/bench/output_recovery [pause seconds, default 0]
#include "mixer/MixStream.h"
#include "playback/FfmpegEngine.h"
#include "support/NullSink.h"
#include "support/SoundServer.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>

namespace {
using Clock = std::chrono::steady_clock;

// When the server's sink "a" first plays something that is not silence, from a recording
// started now; nothing within ten seconds.
std::optional<Clock::time_point> firstSound(const SoundServer &server)
{
    NullSink::MonitorRecording recording;
    if (!recording.start("a.monitor", server.address()))
        return std::nullopt;
    constexpr double bytesPerSecond = 44100.0 * 2 * 2;
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(10);
    qsizetype scanned = 0;
    while (Clock::now() < deadline) {
        const QByteArray &bytes = recording.samples();
        const Clock::time_point readAt = Clock::now();
        const auto *samples = reinterpret_cast<const qint16 *>(bytes.constData());
        for (qsizetype i = scanned / 2; i < bytes.size() / 2; ++i) {
            if (samples[i] != 0) {
                // Captured before the bytes that came after it in the same read.
                const double after = double(bytes.size() - 2 * i) / bytesPerSecond;
                return readAt - std::chrono::duration_cast<Clock::duration>(
                                    std::chrono::duration<double>(after));
            }
        }
        scanned = bytes.size() - bytes.size() % 2;
        QCoreApplication::processEvents();
    }
    return std::nullopt;
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const double pauseSeconds = argc > 1 ? QString(argv[1]).toDouble() : 0.0;
    QTemporaryDir dir;
    SoundServer server;
    const QString tone = dir.filePath("tone.mp3");
    if (pauseSeconds < 0 || !server.start(true) || !NullSink::makeTone(tone, 440, 120)) {
        std::fprintf(stderr, "output_recovery: no sound server or tone file\n");
        return 1;
    }
    qputenv("PULSE_SERVER", server.address().toUtf8());
    FfmpegEngine music(std::make_shared<MixStream>());
    music.load(QUrl::fromLocalFile(tone));
    music.play();

    std::vector<double> figures;
    const auto ms = [](Clock::duration d) {
        return std::chrono::duration<double, std::milli>(d).count();
    };
    for (int round = 1; round <= 5; ++round) {
        if (!firstSound(server)) {
            std::fprintf(stderr, "output_recovery: no sound before round %d\n", round);
            return 1;
        }
        const Clock::time_point lost = Clock::now();
        server.kill();
        QTest::qWait(int(pauseSeconds * 1000));
        if (!server.start(true)) {
            std::fprintf(stderr, "output_recovery: the server did not come back\n");
            return 1;
        }
        const Clock::time_point back = Clock::now();
        const auto sound = firstSound(server);
        if (!sound) {
            std::fprintf(stderr, "output_recovery: no sound after round %d's restart\n", round);
            return 1;
        }
        figures.push_back(ms(*sound - back));
        std::printf("round %d: server away %.0f ms, sound %.0f ms after its return\n", round,
                    ms(back - lost), figures.back());
    }
    std::sort(figures.begin(), figures.end());
    std::printf("return to sound: median %.0f ms (min %.0f, max %.0f)\n", figures[2],
                figures.front(), figures.back());
    return 0;
}
