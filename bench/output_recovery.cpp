// Restart to sound: music plays through the application's stream (FfmpegEngine on a MixStream)
// into a PulseAudio server of this program's own (tests/support/SoundServer.h), which is killed
// with -9 and started again on the same socket; five rounds. Each prints how long the server was
// away (kill to its socket accepting) and the time from its return to the first sample that is
// not silence at its null sink's monitor, which includes the recorder's capture latency (about
// 20 ms); then the median. The session's own server is not touched.
//
// The music is noise, so a place in it is told by a few samples: each round also prints where
// the sound went on against the place last heard before the kill (positive: skipped, negative:
// played again; goal: within 100 ms), although the stream held a second and more it had not
// played yet.
//
// The server comes back with its sink already rendering, as a sound card's does (see
// SoundServer::start), which takes it about two seconds; an optional pause before the restart
// lengthens the outage further. What follows the return depends on where the outage ends in
// the stream's retry steps (0.2, 0.6, 1.4, 3.0 s after the loss, then every 1.6 s).
//
//   BUILD_DIR=build ./dev session build/bench/output_recovery [pause seconds, default 0]
#include "audio/MixStream.h"
#include "playback/FfmpegEngine.h"
#include "support/AudioFiles.h"
#include "support/HeardSound.h"
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
constexpr int rate = MixStream::sampleRate();

// When the server's sink "a" first plays something that is not silence, from `recording`
// started now; nothing within ten seconds.
std::optional<Clock::time_point> firstSound(const SoundServer &server,
                                            NullSink::MonitorRecording &recording)
{
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

// The place in the noise of the recorded frame `at` (-1: not found there).
qint64 placeAt(const HeardSound::Heard &heard, qsizetype at)
{
    const qsizetype shift = at >= 0 ? heard.shiftAt(at, 1.0) : -1;
    return shift < 0 ? -1 : (at + shift) % qsizetype(heard.content.size());
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const double pauseSeconds = argc > 1 ? QString(argv[1]).toDouble() : 0.0;
    QTemporaryDir dir;
    SoundServer server;
    const QString noiseFile = dir.filePath("noise.wav");
    const std::vector<qint16> noise = HeardSound::noise(5, 60 * qsizetype(rate));
    if (pauseSeconds < 0 || !server.start(true) ||
        !AudioFiles::writeWav(noiseFile, noise, rate, 2)) {
        std::fprintf(stderr, "output_recovery: no sound server or noise file\n");
        return 1;
    }
    qputenv("PULSE_SERVER", server.address().toUtf8());
    const auto stream = std::make_shared<MixStream>();
    FfmpegEngine music(stream);
    music.load(QUrl::fromLocalFile(noiseFile));
    music.play();

    std::vector<double> figures;
    std::vector<double> jumps;
    const auto ms = [](Clock::duration d) {
        return std::chrono::duration<double, std::milli>(d).count();
    };
    for (int round = 1; round <= 5; ++round) {
        NullSink::MonitorRecording before;
        if (!firstSound(server, before)) {
            std::fprintf(stderr, "output_recovery: no sound before round %d\n", round);
            return 1;
        }
        // Some way into a refill, at another point each round.
        QTest::qWait(1000 + 170 * round);
        const qint64 queued = stream->queuedFrames();
        const Clock::time_point lost = Clock::now();
        server.kill();
        QTest::qWait(300);
        before.samples();
        const HeardSound::Heard heardBefore{HeardSound::leftOf(before.samples()), noise};
        qsizetype last = heardBefore.size();
        while (last > 0 && heardBefore.frames[std::size_t(last - 1)] == 0)
            --last;
        const qint64 placeBefore = placeAt(heardBefore, last - 64);
        QTest::qWait(int(pauseSeconds * 1000));
        if (!server.start(true)) {
            std::fprintf(stderr, "output_recovery: the server did not come back\n");
            return 1;
        }
        const Clock::time_point back = Clock::now();
        NullSink::MonitorRecording after;
        const auto sound = firstSound(server, after);
        if (!sound) {
            std::fprintf(stderr, "output_recovery: no sound after round %d's restart\n", round);
            return 1;
        }
        figures.push_back(ms(*sound - back));
        QTest::qWait(300);
        const HeardSound::Heard heardAfter{HeardSound::leftOf(after.samples()), noise};
        const qint64 placeAfter = placeAt(heardAfter, heardAfter.firstSound(0));
        if (placeBefore < 0 || placeAfter < 0) {
            std::fprintf(stderr, "output_recovery: round %d's noise not found\n", round);
            return 1;
        }
        jumps.push_back(double(placeAfter - (placeBefore + 64)) * 1000.0 / rate);
        std::printf("round %d: server away %.0f ms, sound %.0f ms after its return, %+.0f ms "
                    "from the place last heard (%.0f ms were queued)\n",
                    round, ms(back - lost), figures.back(), jumps.back(),
                    double(queued) * 1000.0 / rate);
    }
    std::sort(figures.begin(), figures.end());
    std::printf("return to sound: median %.0f ms (min %.0f, max %.0f)\n", figures[2],
                figures.front(), figures.back());
    std::sort(jumps.begin(), jumps.end());
    std::printf("went on from the place heard: median %+.0f ms (min %+.0f, max %+.0f)\n", jumps[2],
                jumps.front(), jumps.back());
    return 0;
}
