#include "ui/shell/X11ClickMonitor.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSocketNotifier>
#include <cstdlib>
#include <xcb/xcb.h>
#include <xcb/xinput.h>

ClickOutsideMonitor::~ClickOutsideMonitor() = default;

namespace {
class RefusingMonitor : public ClickOutsideMonitor
{
public:
    bool install(Handler) override { return false; }
    void remove() override {}
    bool isInstalled() const override { return false; }
};
} // namespace

std::unique_ptr<ClickOutsideMonitor> ClickOutsideMonitor::forPlatform()
{
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        return std::make_unique<X11ClickMonitor>();
    return std::make_unique<RefusingMonitor>();
}

X11ClickMonitor::X11ClickMonitor(QObject *parent) : QObject(parent) {}

X11ClickMonitor::~X11ClickMonitor()
{
    disconnectServer();
}

bool X11ClickMonitor::install(Handler handler)
{
    if (m_installed)
        return true;
    if (!connectOnce() || !select(true))
        return false;
    m_handler = std::move(handler);
    m_installed = true;
    m_notifier->setEnabled(true);
    return true;
}

void X11ClickMonitor::remove()
{
    if (!m_installed)
        return;
    m_installed = false;
    m_handler = nullptr;
    m_notifier->setEnabled(false);
    select(false);
    drain(); // presses already queued belong to the time the monitor was installed: drop them
}

bool X11ClickMonitor::connectOnce()
{
    if (m_connection)
        return true;
    int screenNumber = 0;
    xcb_connection_t *connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return false;
    }
    const xcb_query_extension_reply_t *extension =
        xcb_get_extension_data(connection, &xcb_input_id);
    if (!extension || !extension->present) {
        xcb_disconnect(connection);
        return false;
    }
    auto *version = xcb_input_xi_query_version_reply(
        connection, xcb_input_xi_query_version(connection, 2, 0), nullptr);
    const bool usable = version && version->major_version >= 2;
    std::free(version);
    if (!usable) {
        xcb_disconnect(connection);
        return false;
    }

    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && screens.rem; ++i)
        xcb_screen_next(&screens);
    m_root = screens.data->root;
    m_connection = connection;
    m_xinputOpcode = extension->major_opcode;
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        m_devicePixelRatio = screen->devicePixelRatio();
    m_notifier =
        new QSocketNotifier(xcb_get_file_descriptor(m_connection), QSocketNotifier::Read, this);
    m_notifier->setEnabled(false);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] { drain(); });
    return true;
}

bool X11ClickMonitor::select(bool on)
{
    struct
    {
        xcb_input_event_mask_t header;
        uint32_t mask;
    } mask{{XCB_INPUT_DEVICE_ALL_MASTER, 1},
           on ? uint32_t(XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS) : 0u};
    xcb_generic_error_t *error = xcb_request_check(
        m_connection, xcb_input_xi_select_events_checked(m_connection, m_root, 1, &mask.header));
    const bool ok = !error;
    std::free(error);
    return ok;
}

void X11ClickMonitor::drain()
{
    while (xcb_generic_event_t *event = xcb_poll_for_event(m_connection)) {
        const bool isRawPress =
            (event->response_type & 0x7f) == XCB_GE_GENERIC &&
            reinterpret_cast<xcb_ge_generic_event_t *>(event)->extension == m_xinputOpcode &&
            reinterpret_cast<xcb_ge_generic_event_t *>(event)->event_type ==
                XCB_INPUT_RAW_BUTTON_PRESS;
        uint32_t button = 0;
        if (isRawPress)
            button = reinterpret_cast<xcb_input_raw_button_press_event_t *>(event)->detail;
        std::free(event);
        // Left and right only: the wheel and the middle button do not dismiss.
        if (!m_installed || (button != 1 && button != 3))
            continue;
        auto *pointer =
            xcb_query_pointer_reply(m_connection, xcb_query_pointer(m_connection, m_root), nullptr);
        if (!pointer)
            continue;
        const QPoint position(qRound(pointer->root_x / m_devicePixelRatio),
                              qRound(pointer->root_y / m_devicePixelRatio));
        std::free(pointer);
        if (m_handler)
            m_handler(position);
    }
    if (m_connection && xcb_connection_has_error(m_connection))
        disconnectServer();
}

void X11ClickMonitor::disconnectServer()
{
    if (!m_connection)
        return;
    // This may run inside the notifier's own signal.
    m_notifier->setEnabled(false);
    m_notifier->deleteLater();
    m_notifier = nullptr;
    xcb_disconnect(m_connection);
    m_connection = nullptr;
    m_installed = false;
}
