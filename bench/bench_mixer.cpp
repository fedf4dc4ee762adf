// The mixing loop alone: one render call of 2048 frames (46 ms of sound, what the stream asks
// for at a time) with 1 to 20 layers of 30 s loops playing. The cost per layer is a
// multiply-add per sample over contiguous floats; time per call × 44100 / 2048 is the share
// of a core spent mixing.

#include "mixer/LayerMixer.h"

#include <benchmark/benchmark.h>
#include <random>

namespace {
constexpr int rate = 44100;
constexpr qsizetype block = 2048;

std::shared_ptr<LayerPcm> noiseLoop(unsigned seed)
{
    auto pcm = std::make_shared<LayerPcm>();
    pcm->sampleRate = rate;
    pcm->samples.resize(std::size_t(rate) * 30 * 2);
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> noise(-16384, 16383);
    for (qint16 &sample : pcm->samples)
        sample = qint16(noise(random));
    return pcm;
}

void renderBlock(benchmark::State &state)
{
    LayerMixer mixer(rate);
    for (int i = 0; i < state.range(0); ++i)
        mixer.setLayer(QString::number(i), noiseLoop(unsigned(i)), 0.5f, true);
    std::vector<float> out(std::size_t(block) * 2);
    // Past the fade-in, as in steady playback.
    mixer.render(out.data(), mixer.rampFrames());
    for (auto _ : state) {
        mixer.render(out.data(), block);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * block);
}
BENCHMARK(renderBlock)->Arg(1)->Arg(5)->Arg(10)->Arg(20);
} // namespace

BENCHMARK_MAIN();
