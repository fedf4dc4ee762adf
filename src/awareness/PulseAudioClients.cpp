#include "awareness/PulseAudioClients.h"

#include "core/PulseLibrary.h"

#include <QMetaObject>
#include <QPointer>
#include <QSet>
#include <atomic>
#include <cstring>
#include <functional>

namespace {
qint64 processIdOf(const pa_proplist *properties)
{
    const char *text =
        properties ? pulse().pa_proplist_gets(properties, PA_PROP_APPLICATION_PROCESS_ID) : nullptr;
    if (!text)
        return 0;
    bool ok = false;
    const qint64 pid = QByteArray(text).trimmed().toLongLong(&ok);
    return ok ? pid : 0;
}

// Everything below runs on the libpulse thread with its lock held, except where noted.
struct Scan
{
    struct Recording
    {
        qint64 pid;
        bool corked;
        bool peakDetect;
        uint32_t source;
    };

    QList<AudioClient> outputs;
    QList<Recording> recordings;
    QSet<uint32_t> monitorSources;
    pa_operation *operations[3] = {nullptr, nullptr, nullptr};
    int open = 0;
    int answers = 0; // requests this scan answers

    QList<AudioClient> clients() const
    {
        QList<AudioClient> result = outputs;
        for (const Recording &recording : recordings) {
            const bool running = !recording.corked && !recording.peakDetect &&
                                 !monitorSources.contains(recording.source);
            result.append(AudioClient{recording.pid, false, running});
        }
        return result;
    }
};
} // namespace

struct PulseAudioClients::Loop
{
    PulseAudioClients *owner = nullptr;
    pa_threaded_mainloop *mainloop = nullptr;
    bool loopFailed = false; // tried once: no library or no thread; never tried again
    pa_context *context = nullptr;
    Scan *scan = nullptr;
    int waiting = 0;       // requests that no scan under way answers
    bool watching = false; // subscribed to the server's events while connected
    bool ready = false;    // the context got to READY since it was made
    std::atomic_bool changePosted = false;

    void post(std::function<void(PulseAudioClients *)> call)
    {
        // The owner outlives this thread (its destructor stops the thread first); the queued
        // call is dropped if the owner is gone by the time the main thread gets to it.
        QMetaObject::invokeMethod(
            owner, [owner = owner, call = std::move(call)] { call(owner); }, Qt::QueuedConnection);
    }

    void answer(int answers, const QList<AudioClient> &clients)
    {
        if (answers > 0)
            post([answers, clients](PulseAudioClients *o) { o->deliver(answers, clients); });
    }

    // A burst of events (a stream is made, named, uncorked) asks for one look, not five.
    void postChange()
    {
        if (changePosted.exchange(true))
            return;
        post([](PulseAudioClients *o) {
            o->d->changePosted = false;
            Q_EMIT o->clientsChanged();
        });
    }

    void dropScan()
    {
        if (!scan)
            return;
        for (pa_operation *&operation : scan->operations) {
            if (operation) {
                pulse().pa_operation_cancel(operation);
                pulse().pa_operation_unref(operation);
                operation = nullptr;
            }
        }
        delete scan;
        scan = nullptr;
    }

    void dropContext()
    {
        dropScan();
        if (!context)
            return;
        pulse().pa_context_set_state_callback(context, nullptr, nullptr);
        pulse().pa_context_set_subscribe_callback(context, nullptr, nullptr);
        pulse().pa_context_disconnect(context);
        pulse().pa_context_unref(context);
        context = nullptr;
        ready = false;
    }

    bool idle() const { return !scan && waiting == 0; }

    void request()
    {
        ++waiting;
        if (scan)
            return; // a scan follows the one under way and answers this request
        const pa_context_state_t state =
            context ? pulse().pa_context_get_state(context) : PA_CONTEXT_TERMINATED;
        if (state == PA_CONTEXT_READY) {
            startScan();
        } else if (!PA_CONTEXT_IS_GOOD(state)) {
            connectAnew();
        }
        // Otherwise still connecting: the state callback carries on.
    }

    void connectAnew()
    {
        dropContext();
        context =
            pulse().pa_context_new(pulse().pa_threaded_mainloop_get_api(mainloop), "Dusk Haven");
        if (!context) {
            fail();
            return;
        }
        pulse().pa_context_set_state_callback(context, &Loop::onState, this);
        if (pulse().pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
            dropContext();
            fail();
        }
    }

    // The server cannot be reached (any more): every open request is answered with no
    // clients. While watching, a connection that was up is looked at again at once (that
    // look reconnects); one that never came up is tried again later.
    void fail()
    {
        const int answers = waiting + (scan ? scan->answers : 0);
        const bool wasReady = ready;
        dropScan();
        waiting = 0;
        ready = false;
        answer(answers, {});
        if (!watching)
            return;
        if (wasReady)
            postChange();
        else
            post([](PulseAudioClients *o) { o->m_retry.start(); });
    }

    void subscribe()
    {
        pulse().pa_context_set_subscribe_callback(context, &Loop::onEvent, this);
        pa_operation *operation =
            pulse().pa_context_subscribe(context,
                                         pa_subscription_mask_t(PA_SUBSCRIPTION_MASK_SINK_INPUT |
                                                                PA_SUBSCRIPTION_MASK_SOURCE_OUTPUT),
                                         nullptr, nullptr);
        if (operation)
            pulse().pa_operation_unref(operation);
    }

    void unsubscribe()
    {
        if (!context)
            return;
        pulse().pa_context_set_subscribe_callback(context, nullptr, nullptr);
        if (pulse().pa_context_get_state(context) == PA_CONTEXT_READY) {
            if (pa_operation *operation = pulse().pa_context_subscribe(
                    context, PA_SUBSCRIPTION_MASK_NULL, nullptr, nullptr))
                pulse().pa_operation_unref(operation);
        }
    }

    static void onEvent(pa_context *, pa_subscription_event_type_t, uint32_t, void *userdata)
    {
        auto *self = static_cast<Loop *>(userdata);
        if (self->watching)
            self->postChange();
    }

    static void onState(pa_context *context, void *userdata)
    {
        auto *self = static_cast<Loop *>(userdata);
        const pa_context_state_t state = pulse().pa_context_get_state(context);
        if (state == PA_CONTEXT_READY) {
            self->ready = true;
            if (self->watching) {
                self->subscribe();
                // What happened while there was no connection is unknown.
                self->postChange();
            }
            if (self->waiting > 0 && !self->scan)
                self->startScan();
        } else if (!PA_CONTEXT_IS_GOOD(state)) {
            // Operations of a dead context never call back: answer for them here. The context
            // itself is replaced later (not from inside its own callback).
            self->fail();
        }
    }

    void startScan()
    {
        scan = new Scan;
        scan->answers = waiting;
        waiting = 0;
        scan->operations[0] =
            pulse().pa_context_get_sink_input_info_list(context, &Loop::onSinkInput, this);
        scan->operations[1] =
            pulse().pa_context_get_source_output_info_list(context, &Loop::onSourceOutput, this);
        scan->operations[2] =
            pulse().pa_context_get_source_info_list(context, &Loop::onSource, this);
        for (pa_operation *operation : scan->operations) {
            if (operation)
                ++scan->open;
        }
        // The context could not even send the requests: it is failing; its state callback
        // answers, or this does when it already has.
        if (scan->open < 3)
            fail();
    }

    void finishOne(int index)
    {
        pulse().pa_operation_unref(scan->operations[index]);
        scan->operations[index] = nullptr;
        if (--scan->open > 0)
            return;
        const QList<AudioClient> clients = scan->clients();
        const int answers = scan->answers;
        delete scan;
        scan = nullptr;
        answer(answers, clients);
        // Requests made while the scan ran may have been set off by a change it missed.
        if (waiting > 0)
            startScan();
    }

    static void onSinkInput(pa_context *, const pa_sink_input_info *info, int eol, void *userdata)
    {
        auto *self = static_cast<Loop *>(userdata);
        if (!self->scan)
            return;
        if (eol != 0) {
            self->finishOne(0);
            return;
        }
        self->scan->outputs.append(AudioClient{processIdOf(info->proplist), !info->corked, false});
    }

    static void onSourceOutput(pa_context *, const pa_source_output_info *info, int eol,
                               void *userdata)
    {
        auto *self = static_cast<Loop *>(userdata);
        if (!self->scan)
            return;
        if (eol != 0) {
            self->finishOne(1);
            return;
        }
        // Level meters record with PA_STREAM_PEAK_DETECT at a few samples a second; the server
        // then resamples with "peaks", which is how they show up here.
        const bool peakDetect =
            info->resample_method && std::strcmp(info->resample_method, "peaks") == 0;
        self->scan->recordings.append(Scan::Recording{processIdOf(info->proplist),
                                                      info->corked != 0, peakDetect, info->source});
    }

    static void onSource(pa_context *, const pa_source_info *info, int eol, void *userdata)
    {
        auto *self = static_cast<Loop *>(userdata);
        if (!self->scan)
            return;
        if (eol != 0) {
            self->finishOne(2);
            return;
        }
        if (info->monitor_of_sink != PA_INVALID_INDEX)
            self->scan->monitorSources.insert(info->index);
    }
};

PulseAudioClients::PulseAudioClients(QObject *parent) : AudioClientSource(parent), d(new Loop)
{
    d->owner = this;
    m_retry.setSingleShot(true);
    m_retry.setInterval(retryInterval);
    connect(&m_retry, &QTimer::timeout, this, [this] {
        pulse().pa_threaded_mainloop_lock(d->mainloop);
        if (d->watching &&
            (!d->context || !PA_CONTEXT_IS_GOOD(pulse().pa_context_get_state(d->context))))
            d->connectAnew();
        pulse().pa_threaded_mainloop_unlock(d->mainloop);
    });
}

bool PulseAudioClients::startLoop()
{
    // The library and the loop's thread come with the first question or watch, not at start.
    if (!d->mainloop && !d->loopFailed) {
        if (PulseLibrary::load()) {
            d->mainloop = pulse().pa_threaded_mainloop_new();
            if (d->mainloop && pulse().pa_threaded_mainloop_start(d->mainloop) < 0) {
                pulse().pa_threaded_mainloop_free(d->mainloop);
                d->mainloop = nullptr;
            }
        }
        d->loopFailed = !d->mainloop;
    }
    return d->mainloop != nullptr;
}

PulseAudioClients::~PulseAudioClients()
{
    if (!d->mainloop)
        return;
    pulse().pa_threaded_mainloop_lock(d->mainloop);
    d->dropContext();
    pulse().pa_threaded_mainloop_unlock(d->mainloop);
    pulse().pa_threaded_mainloop_stop(d->mainloop);
    pulse().pa_threaded_mainloop_free(d->mainloop);
}

void PulseAudioClients::listClients()
{
    if (!startLoop()) {
        QMetaObject::invokeMethod(
            this, [this] { deliver(1, {}); }, Qt::QueuedConnection);
        return;
    }
    pulse().pa_threaded_mainloop_lock(d->mainloop);
    d->request();
    pulse().pa_threaded_mainloop_unlock(d->mainloop);
}

void PulseAudioClients::setWatching(bool on)
{
    if (on ? !startLoop() : !d->mainloop)
        return;
    pulse().pa_threaded_mainloop_lock(d->mainloop);
    d->watching = on;
    const pa_context_state_t state =
        d->context ? pulse().pa_context_get_state(d->context) : PA_CONTEXT_TERMINATED;
    if (!on) {
        m_retry.stop();
        d->unsubscribe();
        if (d->idle())
            d->dropContext();
    } else if (state == PA_CONTEXT_READY) {
        d->subscribe();
    } else if (!PA_CONTEXT_IS_GOOD(state)) {
        d->connectAnew();
    }
    pulse().pa_threaded_mainloop_unlock(d->mainloop);
}

void PulseAudioClients::deliver(int answers, const QList<AudioClient> &clients)
{
    QPointer<PulseAudioClients> self(this);
    for (int i = 0; i < answers && self; ++i)
        Q_EMIT clientsListed(clients);
    // Without a loop (no sound server library) there is no connection to let go.
    if (!self || !d->mainloop)
        return;
    // A connection made only to answer a question is let go once it is answered.
    pulse().pa_threaded_mainloop_lock(d->mainloop);
    if (!d->watching && d->idle())
        d->dropContext();
    pulse().pa_threaded_mainloop_unlock(d->mainloop);
}
