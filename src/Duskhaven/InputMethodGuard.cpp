#include "Duskhaven/InputMethodGuard.h"

#include <QLibrary>
#include <cstring>
#include <optional>
#include <wayland-client-core.h>
#include <wayland-client-protocol.h>

namespace {
QByteArray requestedPlatform(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        if ((argument == "-platform" || argument == "--platform") && i + 1 < argc)
            return QByteArray(argv[i + 1]);
        if (argument.startsWith("-platform="))
            return argument.mid(int(std::strlen("-platform=")));
    }
    return qgetenv("QT_QPA_PLATFORM");
}

// The client library is the one Qt's Wayland plugin loads anyway; it is opened here only when
// Wayland is in question, so an X11 session never maps it.
struct WaylandClient
{
    decltype(&::wl_display_connect) connect = nullptr;
    decltype(&::wl_display_disconnect) disconnect = nullptr;
    decltype(&::wl_display_roundtrip) roundtrip = nullptr;
    decltype(&::wl_proxy_marshal_constructor) marshalConstructor = nullptr;
    decltype(&::wl_proxy_add_listener) addListener = nullptr;
    decltype(&::wl_proxy_destroy) destroy = nullptr;
    const wl_interface *registryInterface = nullptr;

    bool load(QLibrary &library)
    {
        if (!library.load())
            return false;
        connect = reinterpret_cast<decltype(connect)>(library.resolve("wl_display_connect"));
        disconnect =
            reinterpret_cast<decltype(disconnect)>(library.resolve("wl_display_disconnect"));
        roundtrip = reinterpret_cast<decltype(roundtrip)>(library.resolve("wl_display_roundtrip"));
        marshalConstructor = reinterpret_cast<decltype(marshalConstructor)>(
            library.resolve("wl_proxy_marshal_constructor"));
        addListener =
            reinterpret_cast<decltype(addListener)>(library.resolve("wl_proxy_add_listener"));
        destroy = reinterpret_cast<decltype(destroy)>(library.resolve("wl_proxy_destroy"));
        registryInterface =
            reinterpret_cast<const wl_interface *>(library.resolve("wl_registry_interface"));
        return connect && disconnect && roundtrip && marshalConstructor && addListener && destroy &&
               registryInterface;
    }
};

void onGlobal(void *data, wl_registry *, uint32_t, const char *interface, uint32_t)
{
    if (std::strcmp(interface, "wl_seat") == 0)
        *static_cast<bool *>(data) = true;
}

void onGlobalRemove(void *, wl_registry *, uint32_t) {}

// Whether Qt will try Wayland: from the -platform argument, QT_QPA_PLATFORM and the session.
bool platformMayBeWayland(int argc, char **argv)
{
    const QByteArray platform = requestedPlatform(argc, argv);
    if (!platform.isEmpty())
        return platform.contains("wayland");
    return qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

// Whether the compositor of WAYLAND_DISPLAY announces a seat; nothing when there is no
// compositor to ask or no client library to ask with.
std::optional<bool> waylandSeatOffered()
{
    QLibrary library(QStringLiteral("wayland-client"), 0);
    WaylandClient client;
    if (!client.load(library))
        return std::nullopt;
    wl_display *display = client.connect(nullptr);
    if (!display)
        return std::nullopt;
    bool seat = false;
    static const wl_registry_listener listener{onGlobal, onGlobalRemove};
    auto *registry = reinterpret_cast<wl_proxy *>(
        client.marshalConstructor(reinterpret_cast<wl_proxy *>(display), WL_DISPLAY_GET_REGISTRY,
                                  client.registryInterface, nullptr));
    std::optional<bool> offered;
    if (registry) {
        client.addListener(
            registry,
            reinterpret_cast<void (**)(void)>(const_cast<wl_registry_listener *>(&listener)),
            &seat);
        // Every global is announced by the time the first round trip completes.
        if (client.roundtrip(display) >= 0)
            offered = seat;
        client.destroy(registry);
    }
    client.disconnect(display);
    return offered;
}
} // namespace

bool InputMethodGuard::apply(int argc, char **argv)
{
    // A module the user chose (also "none", or one of a desktop's input methods) stays theirs.
    if (qEnvironmentVariableIsSet("QT_IM_MODULE") || !platformMayBeWayland(argc, argv))
        return false;
    const std::optional<bool> seat = waylandSeatOffered();
    if (!seat || *seat)
        return false;
    qputenv("QT_IM_MODULE", "none");
    return true;
}
