// Starts a program and reports how long it takes until its tray icon is docked: the time from
// just before exec to the tray host's reparenting of a window that carries _XEMBED_INFO (an
// icon, not a frame the window manager puts around a normal window), as the X server reports
// it. Then the program is ended with SIGTERM.
//
//   tray_docked <program> [arguments…]      prints the milliseconds, or fails after 10 s
#include <xcb/xcb.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
xcb_atom_t atom(xcb_connection_t *connection, const char *name)
{
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t value = reply ? reply->atom : XCB_NONE;
    std::free(reply);
    return value;
}

bool hasProperty(xcb_connection_t *connection, xcb_window_t window, xcb_atom_t property)
{
    xcb_get_property_reply_t *reply = xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, property, XCB_ATOM_ANY, 0, 1), nullptr);
    const bool present = reply && reply->type != XCB_NONE;
    std::free(reply);
    return present;
}
} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: tray_docked <program> [arguments…]\n");
        return 2;
    }
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "tray_docked: no display\n");
        return 1;
    }
    const xcb_atom_t embedInfo = atom(connection, "_XEMBED_INFO");
    // Every top-level window is a child of the root until something reparents it.
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection,
                                 xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root,
                                 XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection);

    const auto started = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execvp(argv[1], argv + 1);
        _exit(127);
    }
    double docked = -1;
    pollfd fd{xcb_get_file_descriptor(connection), POLLIN, 0};
    while (docked < 0) {
        const auto waited = std::chrono::steady_clock::now() - started;
        if (waited > std::chrono::seconds(10))
            break;
        xcb_generic_event_t *event = xcb_poll_for_event(connection);
        if (!event) {
            poll(&fd, 1, 50);
            continue;
        }
        if ((event->response_type & 0x7f) == XCB_REPARENT_NOTIFY &&
            hasProperty(connection,
                        reinterpret_cast<xcb_reparent_notify_event_t *>(event)->window, embedInfo))
            docked = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() -
                                                               started)
                         .count();
        std::free(event);
    }
    kill(child, SIGTERM);
    int status = 0;
    waitpid(child, &status, 0);
    xcb_disconnect(connection);
    if (docked < 0) {
        std::fprintf(stderr, "tray_docked: no icon docked within 10 s\n");
        return 1;
    }
    std::printf("%.1f\n", docked);
    return 0;
}
