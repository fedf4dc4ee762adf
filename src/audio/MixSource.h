#pragma once

#include "core/FadeCurve.h"

#include <QtGlobal>
#include <algorithm>
#include <limits>
#include <type_traits>

// Something the one output stream mixes: the ambient layers, the music. Sources are rendered
// on the stream's audio thread and changed from the main thread, so each guards its own state.
//
// The stream counts its output in frames from its creation on (the output clock); what it has
// rendered may still be replaced before it is heard, so a source can step back to an earlier
// output frame and render from there again.
class MixSource
{
public:
    virtual ~MixSource() = default;
    // Adds `frames` interleaved stereo frames of this source's sound to out, which starts at
    // output frame `at`. Returns whether the source sounded in them.
    virtual bool mixInto(float *out, qsizetype frames, qint64 at) = 0;
    // Returns the source's content (loop positions, the music's place, its glides) to what it
    // was at output frame `at`, at most a few seconds back, so that what is rendered from `at`
    // on follows what was heard before it. Changes made meanwhile (a new volume, a pause) stay
    // and glide from there.
    virtual void rewindTo(qint64 at) = 0;
    // How many of the next frames the source can render without a hole (music still being
    // decoded); the stream renders no further than every source can.
    virtual qsizetype readyFrames() const { return std::numeric_limits<qsizetype>::max(); }
    // Whether mixInto() would add anything but silence; the stream closes once no source does.
    virtual bool isSounding() const = 0;
    // Called while no stream renders (the sound server is gone): a fade to silence that nobody
    // would hear ends at once, so that a source paused meanwhile stops asking for sound. The
    // source keeps its place.
    virtual void skipFadeOuts() = 0;
};

// A gain that glides to each new target, so that no change of volume, start or pause puts a
// step into the waveform: linearly over a few milliseconds, or eased at both ends over as long
// as a mix's glide takes (rendered ahead with the queued sound, so a long glide wakes nobody).
struct GainRamp
{
    enum class Shape { Linear, Eased };

    // One glide: its start, its end, its length and the frames mixed since it began.
    struct Glide
    {
        float from = 0.0f;
        float target = 0.0f;
        qsizetype length = 0;
        qint64 since = 0;
        Shape shape = Shape::Linear;

        float gainAfter(qint64 frames) const
        {
            if (frames >= length)
                return target;
            const double done = double(frames) / double(length);
            const double eased = shape == Shape::Eased ? FadeCurve::smoothStep(done) : done;
            return float(from + (target - from) * eased);
        }
    };

    float gain = 0.0f;
    qsizetype left = 0;
    Glide glide;
    // The glide before, as far as it had been mixed when this one began: a rewind past this
    // one's start finds there the gain that was heard.
    Glide before;

    // 20 ms: long enough that a jump of gain is not heard as a click, short enough that a
    // slider or a pause feels immediate.
    static qsizetype framesAt(int sampleRate) { return std::max(1, sampleRate / 50); }

    bool isSounding() const { return left > 0 || gain > 0.0f || glide.target > 0.0f; }
    bool isSilentAndSettled() const { return left == 0 && gain == 0.0f; }

    void skipFadeOut()
    {
        if (glide.target == 0.0f)
            *this = GainRamp{};
    }

    // Glides from the gain reached to newTarget over `frames`. A glide of the same shape
    // already heading there goes on as it is.
    void retarget(float newTarget, qsizetype frames, Shape shape = Shape::Linear)
    {
        if (newTarget == glide.target && (gain == newTarget || (left > 0 && shape == glide.shape)))
            return;
        // A glide never mixed was never heard: the one before it still tells what was.
        if (glide.since > 0)
            before = glide;
        glide = {gain, newTarget, std::max<qsizetype>(1, frames), 0, shape};
        left = newTarget == gain ? 0 : glide.length;
    }

    // Steps back `frames` mixed frames. Back past the start of the last glide, that glide
    // starts again where the rewound sound resumes, as if the change came there, and from the
    // gain heard there: a change made while a long glide is queued ahead goes on from what is
    // being heard, not from what was queued.
    void rewind(qint64 frames)
    {
        if (frames > glide.since) {
            before.since = std::max<qint64>(0, before.since - (frames - glide.since));
            glide.from = before.gainAfter(before.since);
            glide.since = 0;
        } else {
            glide.since -= frames;
        }
        gain = glide.gainAfter(glide.since);
        left = glide.from == glide.target
                   ? 0
                   : qsizetype(std::max<qint64>(0, glide.length - glide.since));
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
            glide.since += frames;
            return frames;
        }
        // The curve is followed exactly every `block` frames and linearly in between, which
        // no ear tells apart from exact, at the cost of a linear ramp.
        constexpr qsizetype block = 64;
        const qsizetype piece = std::min(frames, left);
        float g = gain;
        for (qsizetype done = 0; done < piece;) {
            const qsizetype n = std::min(block, piece - done);
            const float next = glide.gainAfter(glide.since + done + n);
            const float step = (next - g) / float(n);
            for (qsizetype i = done; i < done + n; ++i) {
                g += step;
                out[2 * i] += float(in[2 * i]) * (g * scale);
                out[2 * i + 1] += float(in[2 * i + 1]) * (g * scale);
            }
            g = next;
            done += n;
        }
        glide.since += piece;
        left -= piece;
        gain = glide.gainAfter(glide.since);
        return piece;
    }
};

// The output frames over which a source last advanced without a break, from `from` up to
// `quietFrom`: how far its content moved in any stretch of output that is to be rendered again.
struct ActiveRun
{
    static constexpr qint64 none = std::numeric_limits<qint64>::max();
    qint64 from = none;
    qint64 quietFrom = none;

    // The source advances over output from `at` on.
    void advancing(qint64 at)
    {
        if (from == none || quietFrom != none) {
            from = at;
            quietFrom = none;
        }
    }
    // It has stopped advancing at output frame `at` (faded out, paused, ended).
    void stopped(qint64 at)
    {
        if (from != none && quietFrom == none)
            quietFrom = at;
    }
    // The frames it advanced over from output frame `at` up to `renderedTo`.
    qint64 advancedSince(qint64 at, qint64 renderedTo) const
    {
        if (from == none)
            return 0;
        return std::max<qint64>(0, std::min(quietFrom, renderedTo) - std::max(from, at));
    }
    // Output up to `renderedTo` is rendered and is to be rendered again from `at`: returns the
    // frames the source advanced over from `at` on, and forgets them.
    qint64 rewindTo(qint64 at, qint64 renderedTo)
    {
        if (from == none)
            return 0;
        const qint64 back = advancedSince(at, renderedTo);
        if (from >= at)
            from = quietFrom = none;
        else if (quietFrom > at)
            quietFrom = none;
        return back;
    }
};
