#pragma once

#include <pulse/context.h>
#include <pulse/introspect.h>
#include <pulse/proplist.h>
#include <pulse/sample.h>
#include <pulse/stream.h>
#include <pulse/subscribe.h>
#include <pulse/thread-mainloop.h>
#include <pulse/timeval.h>

// The sound server's client library (libpulse), loaded at its first use rather than with the
// application: a process that never sounds and never watches other audio does not map it and
// the dozen libraries it brings. Its functions are called as pulse().pa_stream_write(…).
#define DUSKHAVEN_PULSE_FUNCTIONS(F)                                                               \
    F(pa_context_connect)                                                                          \
    F(pa_context_disconnect)                                                                       \
    F(pa_context_get_sink_input_info_list)                                                         \
    F(pa_context_get_source_info_list)                                                             \
    F(pa_context_get_source_output_info_list)                                                      \
    F(pa_context_get_state)                                                                        \
    F(pa_context_new)                                                                              \
    F(pa_context_new_with_proplist)                                                                \
    F(pa_context_set_state_callback)                                                               \
    F(pa_context_set_subscribe_callback)                                                           \
    F(pa_context_subscribe)                                                                        \
    F(pa_context_unref)                                                                            \
    F(pa_gettimeofday)                                                                             \
    F(pa_operation_cancel)                                                                         \
    F(pa_operation_unref)                                                                          \
    F(pa_proplist_free)                                                                            \
    F(pa_proplist_gets)                                                                            \
    F(pa_proplist_new)                                                                             \
    F(pa_proplist_sets)                                                                            \
    F(pa_stream_begin_write)                                                                       \
    F(pa_stream_cancel_write)                                                                      \
    F(pa_stream_connect_playback)                                                                  \
    F(pa_stream_disconnect)                                                                        \
    F(pa_stream_get_buffer_attr)                                                                   \
    F(pa_stream_get_state)                                                                         \
    F(pa_stream_get_timing_info)                                                                   \
    F(pa_stream_new_with_proplist)                                                                 \
    F(pa_stream_set_latency_update_callback)                                                       \
    F(pa_stream_set_state_callback)                                                                \
    F(pa_stream_set_write_callback)                                                                \
    F(pa_stream_unref)                                                                             \
    F(pa_stream_writable_size)                                                                     \
    F(pa_stream_write)                                                                             \
    F(pa_threaded_mainloop_free)                                                                   \
    F(pa_threaded_mainloop_get_api)                                                                \
    F(pa_threaded_mainloop_lock)                                                                   \
    F(pa_threaded_mainloop_new)                                                                    \
    F(pa_threaded_mainloop_set_name)                                                               \
    F(pa_threaded_mainloop_start)                                                                  \
    F(pa_threaded_mainloop_stop)                                                                   \
    F(pa_threaded_mainloop_unlock)                                                                 \
    F(pa_timeval_add)                                                                              \
    F(pa_usec_to_bytes)

struct PulseLibrary
{
#define DUSKHAVEN_PULSE_POINTER(name) decltype(&::name) name = nullptr;
    DUSKHAVEN_PULSE_FUNCTIONS(DUSKHAVEN_PULSE_POINTER)
#undef DUSKHAVEN_PULSE_POINTER

    // Loads the library once; false (with the reason logged once) when it or one of its
    // functions is missing, which the callers treat as a system without a sound server.
    static bool load();
};

// The loaded library; only after load() returned true.
const PulseLibrary &pulse();
