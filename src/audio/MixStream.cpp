#include "audio/MixStream.h"

#include "core/BuildInfo.h"
#include "core/FadeCurve.h"
#include "core/PulseLibrary.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <algorithm>
#include <chrono>
#include <cstring>
#include <limits>
#include <mutex>
#include <utility>
#include <vector>

namespace {
// Sound at this rate is decoded without resampling, so loops join exactly; the sound server
// then converts the one continuous stream to the device's rate, which leaves the joins intact.
constexpr pa_sample_spec streamSpec{PA_SAMPLE_FLOAT32NE, MixStream::sampleRate(), 2};
constexpr std::size_t frameBytes = 2 * sizeof(float);
// After this much silence with no source left to sound, the stream is closed.
constexpr int quietMillisecondsBeforeClosing = 250;
constexpr qint64 quietFramesBeforeClosing =
    qint64(MixStream::sampleRate()) * quietMillisecondsBeforeClosing / 1000;
// A server that has gone away is tried again after this long, twice as long after each miss up
// to the longest: a restart is caught within a fraction of a second, and however long the
// server stays away the music is back within two seconds of its return, for a try (only while
// something should sound) every 1.6 s.
constexpr pa_usec_t firstRetryDelay = 200 * PA_USEC_PER_MSEC;
constexpr pa_usec_t longestRetryDelay = 1600 * PA_USEC_PER_MSEC;
// The server asks for sound in pieces of this size, so the audio thread (and the music's
// decoder with it) wakes a couple of times a second.
constexpr pa_usec_t refillUsec = 500 * PA_USEC_PER_MSEC;
constexpr int longBufferMs = 1500;
// The short queue (DUSKHAVEN_SHORT_BUFFER=1): a few tens of milliseconds, whatever is queued
// counts as heard and a change is heard once it has played out.
constexpr int shortBufferMs = 25;
// Queued sound is replaced from this far past what is being heard: the server may already
// have handed a little more to the device, and the estimate of what is heard may be that late.
constexpr qint64 rewriteLeadFrames = qint64(MixStream::sampleRate()) * 10 / 1000;
// Changes closer together than this (a fade in steps) are rendered together at the end of the
// interval, so that a fade costs a few rewrites a second rather than one a step.
constexpr pa_usec_t rewriteIntervalUsec = 100 * PA_USEC_PER_MSEC;
// While some source cannot yet render all the server asks for (music just started decoding),
// the rest is written this much later.
constexpr pa_usec_t topUpUsec = 10 * PA_USEC_PER_MSEC;

pa_usec_t monotonicUsec()
{
    return pa_usec_t(std::chrono::duration_cast<std::chrono::microseconds>(
                         std::chrono::steady_clock::now().time_since_epoch())
                         .count());
}

qint64 usecOf(const timeval &t)
{
    return qint64(t.tv_sec) * qint64(PA_USEC_PER_SEC) + qint64(t.tv_usec);
}

class MainloopLock
{
public:
    explicit MainloopLock(pa_threaded_mainloop *mainloop) : m_mainloop(mainloop)
    {
        pulse().pa_threaded_mainloop_lock(m_mainloop);
    }
    ~MainloopLock() { pulse().pa_threaded_mainloop_unlock(m_mainloop); }
    MainloopLock(const MainloopLock &) = delete;
    MainloopLock &operator=(const MainloopLock &) = delete;

private:
    pa_threaded_mainloop *const m_mainloop;
};
} // namespace

// A fade of the whole mix as a gain for each output frame. Placed at the first frame rendered
// after it is asked for (the frame a rewrite starts from), and a function of the frame alone
// from then on, so that queued sound rendered again gets the same gains.
class MixFade
{
public:
    void out(double progress, qint64 frames)
    {
        m_state = State::Out;
        m_placed = false;
        m_from = std::clamp(progress, 0.0, 1.0);
        m_length = std::max<qint64>(0, frames);
    }
    void back()
    {
        if (m_state != State::Out || !m_placed) {
            m_state = State::None;
            return;
        }
        m_state = State::Back;
        m_backPlaced = false;
    }

    void apply(float *out, qsizetype frames, qint64 at)
    {
        if (m_state == State::None)
            return;
        if (!m_placed) {
            m_start = at;
            m_placed = true;
        }
        if (m_state == State::Back && !m_backPlaced) {
            m_back = at;
            m_backFrom = outAt(at);
            m_backPlaced = true;
        }
        if (m_state == State::Back && at >= m_back + returnFrames)
            return;
        for (qsizetype i = 0; i < frames; ++i) {
            const float gain = gainAt(at + i);
            out[2 * i] *= gain;
            out[2 * i + 1] *= gain;
        }
    }

private:
    enum class State { None, Out, Back };
    // The glide back to full gain: as short as a volume change's.
    static constexpr qint64 returnFrames = MixStream::sampleRate() / 50;

    float outAt(qint64 frame) const
    {
        const double done =
            m_length > 0 ? std::clamp(double(frame - m_start) / double(m_length), 0.0, 1.0) : 1.0;
        return float(FadeCurve::equalPowerOut(m_from + (1.0 - m_from) * done));
    }
    float gainAt(qint64 frame) const
    {
        if (m_state == State::Out || frame < m_back)
            return outAt(frame);
        const float done = float(frame - m_back) / float(returnFrames);
        return done >= 1.0f ? 1.0f : m_backFrom + (1.0f - m_backFrom) * done;
    }

    State m_state = State::None;
    bool m_placed = false;
    bool m_backPlaced = false;
    double m_from = 0.0;
    qint64 m_length = 0;
    qint64 m_start = 0;
    qint64 m_back = 0;
    float m_backFrom = 1.0f;
};

// The sources, rendered together on the audio thread.
class SourceMix
{
public:
    void fadeOut(double progress, qint64 frames)
    {
        std::lock_guard lock(m_mutex);
        m_fade.out(progress, frames);
    }
    void endFade()
    {
        std::lock_guard lock(m_mutex);
        m_fade.back();
    }
    void add(std::shared_ptr<MixSource> source)
    {
        std::lock_guard lock(m_mutex);
        m_sources.push_back(std::move(source));
    }
    void remove(const MixSource *source)
    {
        std::lock_guard lock(m_mutex);
        std::erase_if(m_sources, [source](const auto &s) { return s.get() == source; });
    }
    bool isSounding() const
    {
        std::lock_guard lock(m_mutex);
        return std::any_of(m_sources.begin(), m_sources.end(),
                           [](const auto &s) { return s->isSounding(); });
    }
    void skipFadeOuts()
    {
        std::lock_guard lock(m_mutex);
        for (const auto &source : m_sources)
            source->skipFadeOuts();
    }
    qsizetype readyFrames() const
    {
        std::lock_guard lock(m_mutex);
        qsizetype ready = std::numeric_limits<qsizetype>::max();
        for (const auto &source : m_sources)
            ready = std::min(ready, source->readyFrames());
        return ready;
    }
    bool render(float *out, qsizetype frames, qint64 at)
    {
        std::memset(out, 0, std::size_t(frames) * frameBytes);
        std::lock_guard lock(m_mutex);
        bool sounded = false;
        for (const auto &source : m_sources)
            sounded = source->mixInto(out, frames, at) || sounded;
        m_fade.apply(out, frames, at);
        return sounded;
    }
    void rewindTo(qint64 at)
    {
        std::lock_guard lock(m_mutex);
        for (const auto &source : m_sources)
            source->rewindTo(at);
    }

private:
    mutable std::mutex m_mutex;
    std::vector<std::shared_ptr<MixSource>> m_sources;
    MixFade m_fade;
};

// The connection to the sound server and the stream, on libpulse's own thread. The context
// stays connected once made (an idle connection wakes nobody); the stream comes and goes.
// Everything but the constructor, the destructor and the calls from the main thread runs on
// that thread with the mainloop's lock held; those take the lock themselves.
//
// A connection or stream that fails while sound is wanted is made again by the retry timer;
// the timer is set only then, so a server that has gone away wakes nobody while all is quiet.
//
// Output frames are counted from this object's start (`rendered` is the next one to render);
// the open stream's write index 0 is output frame `streamStart`.
struct MixStream::Server
{
    MixStream *const owner;
    const std::shared_ptr<SourceMix> mix;
    pa_threaded_mainloop *mainloop = nullptr;
    pa_context *context = nullptr;
    pa_stream *stream = nullptr;
    pa_defer_event *closing = nullptr;
    pa_time_event *retry = nullptr;
    bool retryPending = false;
    pa_usec_t retryDelay = firstRetryDelay;
    bool available = true;
    qint64 rendered = 0;
    qint64 streamStart = 0;
    // The first frame of the silence the stream ends with; none while something sounds.
    qint64 quietFrom = noFrame;
    // The last frame known heard, and when (monotonicUsec()).
    qint64 heardAt = 0;
    pa_usec_t heardWhen = 0;
    pa_usec_t lastRewrite = 0;
    pa_time_event *later = nullptr; // a rewrite held back, a top-up or the closing check
    pa_time_event *rewriteTimer = nullptr;
    pa_time_event *topUpTimer = nullptr;
    pa_time_event *closeTimer = nullptr;
    const bool longBuffer = owner->refillFrames() > 0;

    static constexpr qint64 noFrame = std::numeric_limits<qint64>::max();

    Server(MixStream *owner, std::shared_ptr<SourceMix> mix)
        : owner(owner), mix(std::move(mix)), mainloop(pulse().pa_threaded_mainloop_new())
    {
        pulse().pa_threaded_mainloop_set_name(mainloop, "mix-audio");
        pulse().pa_threaded_mainloop_start(mainloop);
    }

    ~Server()
    {
        {
            MainloopLock lock(mainloop);
            closeStream();
            dropContext();
            for (pa_time_event *timer : {retry, rewriteTimer, topUpTimer, closeTimer}) {
                if (timer)
                    api()->time_free(timer);
            }
        }
        pulse().pa_threaded_mainloop_stop(mainloop);
        pulse().pa_threaded_mainloop_free(mainloop);
    }

    // From the main thread: a source sounds.
    void start()
    {
        MainloopLock lock(mainloop);
        // While the server is away, the timer's next try opens the stream.
        if (stream || retryPending)
            return;
        const pa_context_state_t state =
            context ? pulse().pa_context_get_state(context) : PA_CONTEXT_TERMINATED;
        if (state == PA_CONTEXT_READY)
            openStream();
        else if (!PA_CONTEXT_IS_GOOD(state))
            connect();
        // Otherwise still connecting: the context's state callback opens the stream.
    }

    // From the main thread: what the sources render has changed.
    void touch()
    {
        MainloopLock lock(mainloop);
        if (!isPlaying())
            return;
        const pa_usec_t now = monotonicUsec();
        if (now >= lastRewrite + rewriteIntervalUsec) {
            rewrite();
            return;
        }
        // The end of the interval renders this change with those that follow it.
        after(&rewriteTimer, lastRewrite + rewriteIntervalUsec - now, [](Server *server) {
            if (server->isPlaying())
                server->rewrite();
        });
    }

    // From the main thread: the output frame being heard now, and the frames rendered after it.
    std::pair<qint64, qint64> heardAndQueued()
    {
        MainloopLock lock(mainloop);
        const qint64 frame = heard();
        return {frame, rendered - frame};
    }

    bool isPlaying() const
    {
        return stream && pulse().pa_stream_get_state(stream) == PA_STREAM_READY;
    }

    // Runs `handler` once after `usec`, replacing what the timer held.
    template <typename Handler> void after(pa_time_event **timer, pa_usec_t usec, Handler)
    {
        timeval at{};
        pulse().pa_gettimeofday(&at);
        pulse().pa_timeval_add(&at, usec);
        if (*timer) {
            api()->time_restart(*timer, &at);
            return;
        }
        *timer = api()->time_new(
            api(), &at,
            [](pa_mainloop_api *a, pa_time_event *event, const timeval *, void *self) {
                a->time_restart(event, nullptr);
                Handler{}(static_cast<Server *>(self));
            },
            this);
    }

    void cancel(pa_time_event *timer)
    {
        if (timer)
            api()->time_restart(timer, nullptr);
    }

    // The output frame at the device now: all rendered while no stream plays.
    //
    // Reckoned from the server's last report of its read index and of what the device holds
    // beyond it, and the time since that report. libpulse's own interpolation smooths its
    // estimate over time, so after a rewrite (which steps the read index back) it can trail
    // what the device has passed by tens of milliseconds, and a change rewritten from there
    // would be heard that much late.
    qint64 heard()
    {
        if (!stream || !longBuffer)
            return rendered;
        const pa_usec_t now = monotonicUsec();
        const pa_timing_info *info =
            isPlaying() ? pulse().pa_stream_get_timing_info(stream) : nullptr;
        if (info && !info->read_index_corrupt) {
            // The report is stamped on the wall clock; a clock set meanwhile counts as no time.
            timeval wall{};
            pulse().pa_gettimeofday(&wall);
            const qint64 sinceUsec =
                info->playing ? std::clamp<qint64>(usecOf(wall) - usecOf(info->timestamp), 0,
                                                   qint64(longBufferMs) * 2000)
                              : 0;
            heardAt = streamStart + info->read_index / qint64(frameBytes) +
                      (sinceUsec + qint64(info->transport_usec) - qint64(info->sink_usec)) *
                          MixStream::sampleRate() / qint64(PA_USEC_PER_SEC);
            heardWhen = now;
        } else if (heardWhen != 0) {
            // The stream has failed: its clock ran on as it was until then.
            heardAt += qint64((now - heardWhen) * MixStream::sampleRate() / PA_USEC_PER_SEC);
            heardWhen = now;
        }
        return std::clamp(heardAt, streamStart, rendered);
    }

    void post(bool running, qsizetype bufferBytes)
    {
        // The owner stops this thread before it goes, and a queued call to an object that has
        // gone is dropped.
        QMetaObject::invokeMethod(
            owner, [o = owner, running, bufferBytes] { o->setRunning(running, bufferBytes); },
            Qt::QueuedConnection);
    }

    void setAvailable(bool value)
    {
        if (value == available)
            return;
        available = value;
        QMetaObject::invokeMethod(
            owner, [o = owner, value] { o->setOutputAvailable(value); }, Qt::QueuedConnection);
    }

    pa_mainloop_api *api() const { return pulse().pa_threaded_mainloop_get_api(mainloop); }

    // Sound is wanted and cannot flow: tries again after a while, a longer one each time.
    void retryLater()
    {
        setAvailable(false);
        if (retryPending)
            return;
        const pa_usec_t delay = retryDelay;
        retryDelay = std::min(2 * retryDelay, longestRetryDelay);
        retryPending = true;
        after(&retry, delay, [](Server *server) { server->retryNow(); });
    }

    void retryNow()
    {
        retryPending = false;
        if (stream)
            return;
        // Nothing renders the sources now, so a fade to silence (a pause meanwhile) would
        // never end and keep asking for sound.
        mix->skipFadeOuts();
        if (!mix->isSounding()) {
            stopRetrying(); // the next wake starts afresh
            return;
        }
        if (context && pulse().pa_context_get_state(context) == PA_CONTEXT_READY)
            openStream();
        else
            connect();
    }

    // Sound flows, or none is wanted any more.
    void stopRetrying()
    {
        cancel(retry);
        retryPending = false;
        retryDelay = firstRetryDelay;
        setAvailable(true);
    }

    void connect()
    {
        dropContext();
        pa_proplist *properties = pulse().pa_proplist_new();
        pulse().pa_proplist_sets(properties, PA_PROP_APPLICATION_NAME, "Dusk Haven");
        pulse().pa_proplist_sets(properties, PA_PROP_APPLICATION_ICON_NAME, BuildInfo::appId);
        context = pulse().pa_context_new_with_proplist(api(), "Dusk Haven", properties);
        pulse().pa_proplist_free(properties);
        if (!context) {
            retryLater();
            return;
        }
        pulse().pa_context_set_state_callback(
            context,
            [](pa_context *c, void *self) {
                auto *server = static_cast<Server *>(self);
                const pa_context_state_t state = pulse().pa_context_get_state(c);
                if (!server->mix->isSounding())
                    return;
                if (state == PA_CONTEXT_READY)
                    server->openStream();
                else if (!PA_CONTEXT_IS_GOOD(state))
                    server->retryLater(); // refused, or the server went away
            },
            this);
        if (pulse().pa_context_connect(context, nullptr, PA_CONTEXT_NOFLAGS, nullptr) < 0) {
            dropContext();
            retryLater();
        }
    }

    void dropContext()
    {
        if (!context)
            return;
        pulse().pa_context_set_state_callback(context, nullptr, nullptr);
        pulse().pa_context_disconnect(context);
        pulse().pa_context_unref(context);
        context = nullptr;
    }

    void openStream()
    {
        if (stream)
            return;
        pa_proplist *properties = pulse().pa_proplist_new();
        pulse().pa_proplist_sets(properties, PA_PROP_MEDIA_ROLE, "music");
        // The name the desktop's sound settings list the stream under.
        const QByteArray name =
            QCoreApplication::translate("MixStream", "Music and ambience").toUtf8();
        stream = pulse().pa_stream_new_with_proplist(context, name.constData(), &streamSpec,
                                                     nullptr, properties);
        pulse().pa_proplist_free(properties);
        if (!stream) {
            retryLater();
            return;
        }
        streamStart = heardAt = rendered;
        heardWhen = 0;
        quietFrom = noFrame;
        pulse().pa_stream_set_state_callback(
            stream,
            [](pa_stream *s, void *self) {
                auto *server = static_cast<Server *>(self);
                const pa_stream_state_t state = pulse().pa_stream_get_state(s);
                if (state == PA_STREAM_READY) {
                    server->post(true, qsizetype(pulse().pa_stream_get_buffer_attr(s)->tlength));
                    server->stopRetrying();
                } else if (!PA_STREAM_IS_GOOD(state)) {
                    // The device or the server went away: what was queued and not heard is
                    // played again by the next stream.
                    server->rewindTo(server->heard());
                    server->closeLater();
                }
            },
            this);
        pulse().pa_stream_set_write_callback(
            stream,
            [](pa_stream *s, std::size_t bytes, void *self) {
                static_cast<Server *>(self)->fill(s, bytes);
            },
            this);
        // Each timing report refreshes the place heard, so that a server that goes away before the
        // next write still leaves the place it played to, not the place the stream began.
        pulse().pa_stream_set_latency_update_callback(
            stream, [](pa_stream *, void *self) { static_cast<Server *>(self)->heard(); }, this);
        // No device is named and moving is not forbidden, so the server carries the stream to
        // a new default output. With the long queue, the stream is written a couple of times a
        // second, a change replaces what is queued (rewrite()) and playing starts with the
        // first frame written; with the short one (for comparisons), the server asks for more
        // as its clock needs it, and the stream holds only a few tens of milliseconds, so what
        // the sources change is heard after about that long.
        pa_buffer_attr attributes;
        attributes.maxlength = std::uint32_t(-1);
        attributes.tlength = std::uint32_t(pulse().pa_usec_to_bytes(
            pa_usec_t(longBuffer ? longBufferMs : shortBufferMs) * PA_USEC_PER_MSEC, &streamSpec));
        attributes.prebuf = longBuffer ? std::uint32_t(frameBytes) : std::uint32_t(-1);
        attributes.minreq = longBuffer
                                ? std::uint32_t(pulse().pa_usec_to_bytes(refillUsec, &streamSpec))
                                : std::uint32_t(-1);
        attributes.fragsize = std::uint32_t(-1);
        const auto flags = longBuffer ? PA_STREAM_AUTO_TIMING_UPDATE : PA_STREAM_ADJUST_LATENCY;
        if (pulse().pa_stream_connect_playback(stream, nullptr, &attributes, flags, nullptr,
                                               nullptr) < 0) {
            closeStream();
            retryLater();
        }
    }

    // The server asks for `bytes`: as much as every source can render now, the rest shortly.
    void fill(pa_stream *s, std::size_t bytes)
    {
        heard(); // keeps the estimate fresh for a server that goes away
        const qsizetype wanted = qsizetype(bytes / frameBytes);
        const qsizetype frames = std::min(wanted, mix->readyFrames());
        write(s, frames, PA_SEEK_RELATIVE, 0);
        if (frames < wanted)
            after(&topUpTimer, topUpUsec, [](Server *server) {
                if (server->isPlaying())
                    server->fill(server->stream, pulse().pa_stream_writable_size(server->stream));
            });
    }

    // Renders `frames` and writes them, the first at `offset` as `seek` says.
    void write(pa_stream *s, qsizetype frames, pa_seek_mode_t seek, std::int64_t offset)
    {
        while (frames > 0) {
            void *data = nullptr;
            std::size_t size = std::size_t(frames) * frameBytes;
            if (pulse().pa_stream_begin_write(s, &data, &size) < 0 || !data)
                return;
            const qsizetype piece = qsizetype(size / frameBytes);
            if (piece == 0) {
                pulse().pa_stream_cancel_write(s);
                return;
            }
            const qint64 at = rendered;
            const bool sounded = mix->render(static_cast<float *>(data), piece, at);
            pulse().pa_stream_write(s, data, std::size_t(piece) * frameBytes, nullptr, offset,
                                    seek);
            seek = PA_SEEK_RELATIVE;
            offset = 0;
            rendered += piece;
            frames -= piece;
            if (sounded)
                quietFrom = noFrame;
            else if (quietFrom == noFrame)
                quietFrom = at;
        }
        if (quietFrom != noFrame && rendered - quietFrom >= quietFramesBeforeClosing)
            closeWhenHeard();
    }

    // Replaces what is queued and not yet heard with what the sources render now.
    void rewrite()
    {
        lastRewrite = monotonicUsec();
        cancel(rewriteTimer);
        const qint64 from = std::min(heard() + rewriteLeadFrames, rendered);
        const qint64 frames = rendered - from;
        if (frames <= 0)
            return;
        rewindTo(from);
        write(stream, frames, PA_SEEK_ABSOLUTE,
              std::int64_t(from - streamStart) * std::int64_t(frameBytes));
    }

    void rewindTo(qint64 frame)
    {
        mix->rewindTo(frame);
        rendered = frame;
        if (quietFrom >= frame) {
            quietFrom = noFrame;
            cancel(closeTimer);
        }
    }

    // The stream closes once the silence it ends with has been heard for a while.
    void closeWhenHeard()
    {
        const qint64 left = quietFrom + quietFramesBeforeClosing - heard();
        if (left <= 0) {
            closeLater();
            return;
        }
        after(&closeTimer,
              pa_usec_t(left) * PA_USEC_PER_SEC / pa_usec_t(MixStream::sampleRate()) + 1000,
              [](Server *server) {
                  if (server->quietFrom != noFrame)
                      server->closeWhenHeard();
              });
    }

    // Not from inside the stream's own callbacks: on the thread's next turn.
    void closeLater()
    {
        if (closing)
            return;
        closing = api()->defer_new(
            api(),
            [](pa_mainloop_api *a, pa_defer_event *event, void *self) {
                auto *server = static_cast<Server *>(self);
                a->defer_free(event);
                server->closing = nullptr;
                // A source may have started since the quiet report.
                const bool failed = server->stream &&
                                    !PA_STREAM_IS_GOOD(pulse().pa_stream_get_state(server->stream));
                if (failed || !server->mix->isSounding())
                    server->closeStream();
                // Sound goes on in a new stream, through a new connection if the server went.
                if (failed && server->mix->isSounding())
                    server->retryLater();
            },
            this);
    }

    void closeStream()
    {
        if (closing) {
            api()->defer_free(closing);
            closing = nullptr;
        }
        for (pa_time_event *timer : {rewriteTimer, topUpTimer, closeTimer})
            cancel(timer);
        if (!stream)
            return;
        pulse().pa_stream_set_state_callback(stream, nullptr, nullptr);
        pulse().pa_stream_set_write_callback(stream, nullptr, nullptr);
        pulse().pa_stream_set_latency_update_callback(stream, nullptr, nullptr);
        pulse().pa_stream_disconnect(stream);
        pulse().pa_stream_unref(stream);
        stream = nullptr;
        post(false, 0);
    }
};

MixStream::MixStream(QObject *parent) : QObject(parent), m_mix(std::make_shared<SourceMix>()) {}

// The server goes first: its thread may be about to post to this object.
MixStream::~MixStream() = default;

void MixStream::addSource(std::shared_ptr<MixSource> source)
{
    m_mix->add(std::move(source));
    wake();
}

void MixStream::removeSource(const MixSource *source)
{
    m_mix->remove(source);
}

void MixStream::touch()
{
    wake();
    // Every change made in this turn of the event loop is rendered together.
    if (!m_server || m_touchPending)
        return;
    m_touchPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_touchPending = false;
            m_server->touch();
        },
        Qt::QueuedConnection);
}

void MixStream::fadeOut(double progress, std::chrono::milliseconds left)
{
    m_mix->fadeOut(progress, qint64(left.count()) * sampleRate() / 1000);
    touch();
}

void MixStream::endFade()
{
    m_mix->endFade();
    touch();
}

qint64 MixStream::heardFrame() const
{
    return m_server ? m_server->heardAndQueued().first : 0;
}

qsizetype MixStream::refillFrames() const
{
    // The short queue only for a comparison (DUSKHAVEN_SHORT_BUFFER=1, as bench/ does).
    return qEnvironmentVariableIntValue("DUSKHAVEN_SHORT_BUFFER") == 1
               ? 0
               : qsizetype(refillUsec * pa_usec_t(sampleRate()) / PA_USEC_PER_SEC);
}

qint64 MixStream::queuedFrames() const
{
    return m_server ? m_server->heardAndQueued().second : 0;
}

void MixStream::wake()
{
    if (!m_mix->isSounding())
        return;
    // The sound server is contacted at the first sound, not at start; without its library
    // nothing can sound.
    if (!m_server) {
        if (!PulseLibrary::load())
            return;
        m_server = std::make_unique<Server>(this, m_mix);
    }
    m_server->start();
}

void MixStream::setOutputAvailable(bool available)
{
    if (available == m_outputAvailable)
        return;
    m_outputAvailable = available;
    Q_EMIT outputAvailableChanged();
}

void MixStream::setRunning(bool running, qsizetype bufferBytes)
{
    if (running)
        m_bufferBytes = bufferBytes;
    if (running == m_running)
        return;
    m_running = running;
    Q_EMIT isRunningChanged();
}
