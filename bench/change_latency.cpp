// From a change to its effect at the null sink's monitor, with the stream's long queue: a
// layer's volume, another layer, and a pause, ten of each, a second and more apart. Music
// plays throughout (silence, so that the stream stays open and each output frame keeps its
// place in the recording); layer A is noise, so every recorded frame is compared with the mix
// expected of it. The time of a change is the frame being heard when it was made (the
// server's own clock, MixStream::heardFrame()); its effect, the first recorded frame that
// differs. Prints each kind's median and largest, in ms (goal: at most 30).
//
//   BUILD_DIR=build ./dev session build/bench/change_latency
#include "audio/MixStream.h"
#include "mixer/AmbientEngine.h"
#include "playback/FfmpegEngine.h"
#include "support/AudioFiles.h"
#include "support/HeardSound.h"
#include "support/NullSink.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdio>

namespace {
constexpr int rate = MixStream::sampleRate();
constexpr qsizetype glide = rate / 50;
constexpr int rounds = 10;

struct Change
{
    int kind; // 0 volume, 1 layer, 2 pause
    qint64 frame;
    double gainBefore;
};
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString silence = dir.filePath("silence.wav");
    AudioFiles::writeWav(silence, std::vector<qint16>(std::size_t(rate) * 90), rate, 2);
    const std::vector<qint16> a = HeardSound::noise(3, 20 * rate);

    const auto stream = std::make_shared<MixStream>();
    FfmpegEngine music(stream);
    AmbientEngine ambience(stream);
    NullSink::MonitorRecording monitor;
    if (!monitor.start()) {
        std::fprintf(stderr, "change_latency: parec did not start\n");
        return 1;
    }
    QTest::qWait(300);
    ambience.setLayer("a", HeardSound::stereoLayer(a), 0.5f, true);
    music.load(QUrl::fromLocalFile(silence));
    music.play();
    QTest::qWait(2500);

    std::vector<Change> changes;
    const auto mark = [&](int kind, double gain) {
        changes.push_back({kind, stream->heardFrame(), gain});
    };
    const auto settle = [] { QTest::qWait(1200); };
    const auto b = HeardSound::stereoLayer(HeardSound::noise(5, 5 * rate));
    for (int round = 0; round < rounds; ++round) {
        mark(0, 0.5);
        ambience.setVolume("a", 0.3f);
        settle();
        mark(0, 0.3);
        ambience.setVolume("a", 0.5f);
        settle();
        mark(1, 0.5);
        ambience.setLayer("b", b, 0.3f, true);
        settle();
        ambience.removeLayer("b");
        settle();
        mark(2, 0.5);
        ambience.setPlaying("a", false);
        settle();
        ambience.setPlaying("a", true);
        settle();
    }
    QTest::qWait(500);

    const HeardSound::Heard heard{HeardSound::leftOf(monitor.samples()), a};
    // Layer A began at output frame 0 at its place 0.
    const qsizetype start = heard.firstSound(0) + glide;
    const qsizetype offset = heard.shiftAt(start, 0.5);
    if (offset < 0) {
        std::fprintf(stderr, "change_latency: layer A not found in the recording\n");
        return 1;
    }
    std::vector<double> ms[3];
    qsizetype from = start;
    for (const Change &change : changes) {
        // Where the frame heard at the change lies in the recording.
        const qsizetype shift = heard.shiftAt(from, change.gainBefore);
        const qsizetype effect = heard.firstChange(from, shift, change.gainBefore);
        const qsizetype marker = heard.frameOf(change.frame, offset, effect);
        ms[change.kind].push_back(double(effect - marker) * 1000.0 / rate);
        // The next change is looked for from well after this one (past a layer's removal or
        // a resume, which are not measured).
        from = effect + (change.kind == 0 ? 2 * glide : rate * 2 + rate / 5);
    }
    const char *names[] = {"volume", "layer", "pause"};
    for (int kind = 0; kind < 3; ++kind) {
        std::vector<double> &v = ms[kind];
        std::sort(v.begin(), v.end());
        std::printf("%-6s change to effect at the monitor: median %.1f ms, max %.1f ms (%zu)\n",
                    names[kind], v[v.size() / 2], v.back(), v.size());
    }
    return 0;
}
