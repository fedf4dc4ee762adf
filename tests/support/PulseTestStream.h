#pragma once

#include <QByteArray>
#include <optional>
#include <pulse/pulseaudio.h>

// A stream of this test process on the session's PulseAudio server, opened with exactly the
// flags a case needs (corked, peak detecting) and, where a case asks for it, announced under
// another process id. Level meters record at a few samples a second, as a volume control's do.
class PulseTestStream
{
public:
    enum class Direction { Playback, Record };

    PulseTestStream(Direction direction, pa_stream_flags_t flags, const QByteArray &device = {},
                    std::optional<qint64> announcedPid = std::nullopt)
    {
        m_loop = pa_threaded_mainloop_new();
        pa_threaded_mainloop_start(m_loop);
        pa_threaded_mainloop_lock(m_loop);
        pa_proplist *properties = pa_proplist_new();
        if (announcedPid)
            pa_proplist_sets(properties, PA_PROP_APPLICATION_PROCESS_ID,
                             QByteArray::number(*announcedPid).constData());
        m_context = pa_context_new_with_proplist(pa_threaded_mainloop_get_api(m_loop),
                                                 "duskhaven-test", properties);
        pa_proplist_free(properties);
        pa_context_set_state_callback(m_context, &PulseTestStream::signal, m_loop);
        if (pa_context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0) {
            while (PA_CONTEXT_IS_GOOD(pa_context_get_state(m_context)) &&
                   pa_context_get_state(m_context) != PA_CONTEXT_READY)
                pa_threaded_mainloop_wait(m_loop);
        }
        if (pa_context_get_state(m_context) == PA_CONTEXT_READY)
            open(direction, flags, device);
        pa_threaded_mainloop_unlock(m_loop);
    }

    ~PulseTestStream()
    {
        pa_threaded_mainloop_lock(m_loop);
        if (m_stream) {
            pa_stream_set_state_callback(m_stream, nullptr, nullptr);
            pa_stream_disconnect(m_stream);
            pa_stream_unref(m_stream);
        }
        pa_context_set_state_callback(m_context, nullptr, nullptr);
        pa_context_disconnect(m_context);
        pa_context_unref(m_context);
        pa_threaded_mainloop_unlock(m_loop);
        pa_threaded_mainloop_stop(m_loop);
        pa_threaded_mainloop_free(m_loop);
    }

    bool isReady() const { return m_ready; }

private:
    static void signal(pa_context *, void *loop)
    {
        pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop *>(loop), 0);
    }
    static void streamSignal(pa_stream *, void *loop)
    {
        pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop *>(loop), 0);
    }

    void open(Direction direction, pa_stream_flags_t flags, const QByteArray &device)
    {
        const bool meter = (flags & PA_STREAM_PEAK_DETECT) != 0;
        const pa_sample_spec spec{PA_SAMPLE_FLOAT32LE, meter ? 25u : 44100u, 1};
        m_stream = pa_stream_new(m_context, "duskhaven-test-stream", &spec, nullptr);
        pa_stream_set_state_callback(m_stream, &PulseTestStream::streamSignal, m_loop);
        const char *name = device.isEmpty() ? nullptr : device.constData();
        const int started =
            direction == Direction::Playback
                ? pa_stream_connect_playback(m_stream, name, nullptr, flags, nullptr, nullptr)
                : pa_stream_connect_record(m_stream, name, nullptr, flags);
        if (started < 0)
            return;
        while (PA_STREAM_IS_GOOD(pa_stream_get_state(m_stream)) &&
               pa_stream_get_state(m_stream) != PA_STREAM_READY)
            pa_threaded_mainloop_wait(m_loop);
        m_ready = pa_stream_get_state(m_stream) == PA_STREAM_READY;
    }

    pa_threaded_mainloop *m_loop = nullptr;
    pa_context *m_context = nullptr;
    pa_stream *m_stream = nullptr;
    bool m_ready = false;
};
