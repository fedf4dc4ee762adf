#include "mixer/MixStream.h"

#include "core/PulseLibrary.h"

#include <QMetaObject>
#include <algorithm>
#include <cstring>
#include <mutex>
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

// The sources, rendered together on the audio thread.
class SourceMix
{
public:
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
    bool render(float *out, qsizetype frames)
    {
        std::memset(out, 0, std::size_t(frames) * frameBytes);
        std::lock_guard lock(m_mutex);
        bool sounded = false;
        for (const auto &source : m_sources)
            sounded = source->mixInto(out, frames) || sounded;
        return sounded;
    }

private:
    mutable std::mutex m_mutex;
    std::vector<std::shared_ptr<MixSource>> m_sources;
};

// The connection to the sound server and the stream, on libpulse's own thread. The context
// stays connected once made (an idle connection wakes nobody); the stream comes and goes.
// Everything but the constructor, the destructor and start() runs on that thread with the
// mainloop's lock held; those three take the lock themselves.
//
// A connection or stream that fails while sound is wanted is made again by the retry timer;
// the timer is set only then, so a server that has gone away wakes nobody while all is quiet.
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
    qint64 quietFrames = 0;

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
            if (retry)
                api()->time_free(retry);
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
        timeval at{};
        pulse().pa_gettimeofday(&at);
        pulse().pa_timeval_add(&at, retryDelay);
        retryDelay = std::min(2 * retryDelay, longestRetryDelay);
        retryPending = true;
        if (retry) {
            api()->time_restart(retry, &at);
            return;
        }
        retry = api()->time_new(
            api(), &at,
            [](pa_mainloop_api *, pa_time_event *, const timeval *, void *self) {
                static_cast<Server *>(self)->retryNow();
            },
            this);
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
        if (retryPending)
            api()->time_restart(retry, nullptr);
        retryPending = false;
        retryDelay = firstRetryDelay;
        setAvailable(true);
    }

    void connect()
    {
        dropContext();
        pa_proplist *properties = pulse().pa_proplist_new();
        pulse().pa_proplist_sets(properties, PA_PROP_APPLICATION_NAME, "Dusk Haven");
        pulse().pa_proplist_sets(properties, PA_PROP_APPLICATION_ICON_NAME, "dusk-haven");
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
        stream = pulse().pa_stream_new_with_proplist(context, "Music and ambience", &streamSpec,
                                                     nullptr, properties);
        pulse().pa_proplist_free(properties);
        if (!stream) {
            retryLater();
            return;
        }
        quietFrames = 0;
        pulse().pa_stream_set_state_callback(
            stream,
            [](pa_stream *s, void *self) {
                auto *server = static_cast<Server *>(self);
                const pa_stream_state_t state = pulse().pa_stream_get_state(s);
                if (state == PA_STREAM_READY) {
                    server->post(true, qsizetype(pulse().pa_stream_get_buffer_attr(s)->tlength));
                    server->stopRetrying();
                } else if (!PA_STREAM_IS_GOOD(state))
                    server->closeLater(); // the device or the server went away
            },
            this);
        pulse().pa_stream_set_write_callback(
            stream,
            [](pa_stream *s, std::size_t bytes, void *self) {
                static_cast<Server *>(self)->write(s, bytes);
            },
            this);
        // No device is named and moving is not forbidden, so the server carries the stream to
        // a new default output. The server asks for more as its clock needs it; the stream holds
        // only this much ahead, so what the sources change is heard after about this long.
        pa_buffer_attr attributes;
        attributes.maxlength = std::uint32_t(-1);
        attributes.tlength = std::uint32_t(pulse().pa_usec_to_bytes(
            pa_usec_t(MixStream::targetLatencyMs()) * PA_USEC_PER_MSEC, &streamSpec));
        attributes.prebuf = std::uint32_t(-1);
        attributes.minreq = std::uint32_t(-1);
        attributes.fragsize = std::uint32_t(-1);
        if (pulse().pa_stream_connect_playback(stream, nullptr, &attributes,
                                               PA_STREAM_ADJUST_LATENCY, nullptr, nullptr) < 0) {
            closeStream();
            retryLater();
        }
    }

    void write(pa_stream *s, std::size_t bytes)
    {
        while (bytes >= frameBytes) {
            void *data = nullptr;
            std::size_t size = bytes;
            if (pulse().pa_stream_begin_write(s, &data, &size) < 0 || !data)
                return;
            const qsizetype frames = qsizetype(std::min(size, bytes) / frameBytes);
            if (frames == 0) {
                pulse().pa_stream_cancel_write(s);
                return;
            }
            const bool sounded = mix->render(static_cast<float *>(data), frames);
            pulse().pa_stream_write(s, data, std::size_t(frames) * frameBytes, nullptr, 0,
                                    PA_SEEK_RELATIVE);
            bytes -= std::size_t(frames) * frameBytes;
            if (sounded) {
                quietFrames = 0;
            } else if (quietFrames < quietFramesBeforeClosing) {
                quietFrames += frames;
                if (quietFrames >= quietFramesBeforeClosing)
                    closeLater();
            }
        }
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
        if (!stream)
            return;
        pulse().pa_stream_set_state_callback(stream, nullptr, nullptr);
        pulse().pa_stream_set_write_callback(stream, nullptr, nullptr);
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
