#pragma once

#include <QtGlobal>
#include <algorithm>
#include <type_traits>

// Something the one output stream mixes: the ambient layers, the music. Sources are rendered
// on the stream's audio thread and changed from the main thread, so each guards its own state.
class MixSource
{
public:
    virtual ~MixSource() = default;
    // Adds `frames` interleaved stereo frames of this source's sound to out. Returns whether
    // the source sounded in them.
    virtual bool mixInto(float *out, qsizetype frames) = 0;
    // Whether mixInto() would add anything but silence; the stream closes once no source does.
    virtual bool isSounding() const = 0;
    // Called while no stream renders (the sound server is gone): a fade to silence that nobody
    // would hear ends at once, so that a source paused meanwhile stops asking for sound. The
    // source keeps its place.
    virtual void skipFadeOuts() = 0;
};

// A gain that glides linearly to each new target, so that no change of volume, start or pause
// puts a step into the waveform.
struct GainRamp
{
    float gain = 0.0f;
    float target = 0.0f;
    float step = 0.0f;
    qsizetype left = 0;

    // 20 ms: long enough that a jump of gain is not heard as a click, short enough that a
    // slider or a pause feels immediate.
    static qsizetype framesAt(int sampleRate) { return std::max(1, sampleRate / 50); }

    bool isSounding() const { return left > 0 || gain > 0.0f || target > 0.0f; }
    bool isSilentAndSettled() const { return left == 0 && gain == 0.0f; }

    void skipFadeOut()
    {
        if (target == 0.0f)
            *this = GainRamp{};
    }

    void retarget(float newTarget, qsizetype rampFrames)
    {
        if (newTarget == target && (left > 0 || gain == newTarget))
            return;
        if (newTarget == gain) {
            // Already there (a layer stopped before it was ever heard): nothing to glide.
            target = newTarget;
            left = 0;
            step = 0.0f;
            return;
        }
        target = newTarget;
        left = rampFrames;
        step = (newTarget - gain) / float(rampFrames);
    }

    // Adds in × gain to out for up to `frames` stereo frames, stopping where a glide ends so
    // that the caller's next piece continues at the settled gain. Returns the frames mixed.
    // Float input is full scale at 1.0, 16-bit input at 32768.
    template <typename Sample>
    qsizetype mix(float *__restrict out, const Sample *__restrict in, qsizetype frames)
    {
        constexpr float scale = std::is_same_v<Sample, float> ? 1.0f : 1.0f / 32768.0f;
        static_assert(std::is_same_v<Sample, float> || std::is_same_v<Sample, qint16>);
        if (left == 0) {
            const float g = gain * scale;
            for (qsizetype i = 0; i < 2 * frames; ++i)
                out[i] += float(in[i]) * g;
            return frames;
        }
        const qsizetype piece = std::min(frames, left);
        float g = gain;
        for (qsizetype i = 0; i < piece; ++i) {
            g += step;
            out[2 * i] += float(in[2 * i]) * (g * scale);
            out[2 * i + 1] += float(in[2 * i + 1]) * (g * scale);
        }
        left -= piece;
        gain = left == 0 ? target : gain + step * float(piece);
        return piece;
    }
};
