#include "awareness/PulseAudioClients.h"

#include <QMetaObject>
#include <QPointer>
#include <QSet>
#include <cstring>
#include <pulse/context.h>
#include <pulse/introspect.h>
#include <pulse/proplist.h>
#include <pulse/thread-mainloop.h>

namespace {
qint64 processIdOf(const pa_proplist *properties)
{
    const char *text =
        properties ? pa_proplist_gets(properties, PA_PROP_APPLICATION_PROCESS_ID) : nullptr;
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
    pa_context *context = nullptr;
    Scan *scan = nullptr;
    int waiting = 0; // requests not answered yet

    void answer(const QList<AudioClient> &clients)
    {
        const int answers = waiting;
        waiting = 0;
        if (answers == 0)
            return;
        // The owner outlives this thread (its destructor stops the thread first); the queued
        // call is dropped if the owner is gone by the time the main thread gets to it.
        QMetaObject::invokeMethod(
            owner, [owner = owner, answers, clients] { owner->deliver(answers, clients); },
            Qt::QueuedConnection);
    }

    void dropScan()
    {
        if (!scan)
            return;
        for (pa_operation *&operation : scan->operations) {
            if (operation) {
                pa_operation_cancel(operation);
                pa_operation_unref(operation);
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
        pa_context_set_state_callback(context, nullptr, nullptr);
        pa_context_disconnect(context);
        pa_context_unref(context);
        context = nullptr;
    }

    void request()
    {
        ++waiting;
        if (scan)
            return; // the scan under way answers this request too
        const pa_context_state_t state =
            context ? pa_context_get_state(context) : PA_CONTEXT_TERMINATED;
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
        context = pa_context_new(pa_threaded_mainloop_get_api(mainloop), "Dusk Haven");
        if (!context) {
            answer({});
            return;
        }
        pa_context_set_state_callback(context, &Loop::onState, this);
        if (pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
            dropContextAndAnswer();
    }

    void dropContextAndAnswer()
    {
        dropContext();
        answer({});
    }

    static void onState(pa_context *context, void *userdata)
    {
        auto *self = static_cast<Loop *>(userdata);
        const pa_context_state_t state = pa_context_get_state(context);
        if (state == PA_CONTEXT_READY) {
            if (self->waiting > 0 && !self->scan)
                self->startScan();
        } else if (!PA_CONTEXT_IS_GOOD(state)) {
            // Operations of a dead context never call back: answer for them here. The context
            // itself is replaced on the next request (not from inside its own callback).
            self->dropScan();
            self->answer({});
        }
    }

    void startScan()
    {
        scan = new Scan;
        scan->operations[0] =
            pa_context_get_sink_input_info_list(context, &Loop::onSinkInput, this);
        scan->operations[1] =
            pa_context_get_source_output_info_list(context, &Loop::onSourceOutput, this);
        scan->operations[2] = pa_context_get_source_info_list(context, &Loop::onSource, this);
        for (pa_operation *operation : scan->operations) {
            if (operation)
                ++scan->open;
        }
        if (scan->open < 3) {
            // The context could not even send the requests: it is failing; its state callback
            // answers, or this does when it already has.
            dropScan();
            answer({});
        }
    }

    void finishOne(int index)
    {
        pa_operation_unref(scan->operations[index]);
        scan->operations[index] = nullptr;
        if (--scan->open > 0)
            return;
        const QList<AudioClient> clients = scan->clients();
        delete scan;
        scan = nullptr;
        answer(clients);
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
    d->mainloop = pa_threaded_mainloop_new();
    if (d->mainloop && pa_threaded_mainloop_start(d->mainloop) < 0) {
        pa_threaded_mainloop_free(d->mainloop);
        d->mainloop = nullptr;
    }
}

PulseAudioClients::~PulseAudioClients()
{
    if (!d->mainloop)
        return;
    pa_threaded_mainloop_lock(d->mainloop);
    d->dropContext();
    pa_threaded_mainloop_unlock(d->mainloop);
    pa_threaded_mainloop_stop(d->mainloop);
    pa_threaded_mainloop_free(d->mainloop);
}

void PulseAudioClients::listClients()
{
    if (!d->mainloop) {
        QMetaObject::invokeMethod(
            this, [this] { deliver(1, {}); }, Qt::QueuedConnection);
        return;
    }
    pa_threaded_mainloop_lock(d->mainloop);
    d->request();
    pa_threaded_mainloop_unlock(d->mainloop);
}

void PulseAudioClients::deliver(int answers, const QList<AudioClient> &clients)
{
    QPointer<PulseAudioClients> self(this);
    for (int i = 0; i < answers && self; ++i)
        Q_EMIT clientsListed(clients);
}
