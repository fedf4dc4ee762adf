#include "ui/shell/TrayWatch.h"

#include "ui/shell/X11Connection.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QGuiApplication>
#include <cstdlib>
#include <xcb/xcb.h>

namespace {
const QString watcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString watcherPath = QStringLiteral("/StatusNotifierWatcher");
} // namespace

TrayWatch::TrayWatch(QDBusConnection bus, QObject *parent)
    : QObject(parent), m_bus(std::move(bus)),
      m_watcher(new QDBusServiceWatcher(watcherService, m_bus,
                                        QDBusServiceWatcher::WatchForOwnerChange, this))
{
    connect(m_watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString &, const QString &, const QString &owner) {
                if (owner.isEmpty())
                    setStatusNotifierHost(false);
                else
                    askStatusNotifierHost();
            });
    for (const char *signal : {"StatusNotifierHostRegistered", "StatusNotifierHostUnregistered"})
        m_bus.connect(watcherService, watcherPath, watcherService, QString::fromLatin1(signal),
                      this, SLOT(askStatusNotifierHost()));
    // Asked once, and answered before the windows are decided on: a start without a tray
    // shows its window at once.
    const QDBusMessage answer =
        m_bus.call(QDBusMessage::createMethodCall(watcherService, watcherPath,
                                                  QStringLiteral("org.freedesktop.DBus.Properties"),
                                                  QStringLiteral("Get"))
                       << watcherService << QStringLiteral("IsStatusNotifierHostRegistered"),
                   QDBus::Block, 2000);
    m_statusNotifierHost = answer.type() == QDBusMessage::ReplyMessage &&
                           !answer.arguments().isEmpty() &&
                           answer.arguments().constFirst().value<QDBusVariant>().variant().toBool();

    if (xcb_connection_t *connection = x11Connection()) {
        m_managerAtom = x11Atom(connection, "MANAGER");
        m_selectionAtom = x11Atom(connection, "_NET_SYSTEM_TRAY_S0");
        // A tray announces itself to the root window's structure listeners; this adds that to
        // what Qt already listens for there.
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
        auto *attributes = xcb_get_window_attributes_reply(
            connection, xcb_get_window_attributes(connection, root), nullptr);
        const uint32_t mask =
            (attributes ? attributes->your_event_mask : 0) | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
        std::free(attributes);
        xcb_change_window_attributes(connection, root, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(connection);
        QCoreApplication::instance()->installNativeEventFilter(this);
        checkXembedTray();
    }
}

TrayWatch::~TrayWatch()
{
    if (m_managerAtom != 0 && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

void TrayWatch::askStatusNotifierHost()
{
    const QDBusMessage ask =
        QDBusMessage::createMethodCall(watcherService, watcherPath,
                                       QStringLiteral("org.freedesktop.DBus.Properties"),
                                       QStringLiteral("Get"))
        << watcherService << QStringLiteral("IsStatusNotifierHostRegistered");
    auto *call = new QDBusPendingCallWatcher(m_bus.asyncCall(ask), this);
    connect(call, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *call) {
        call->deleteLater();
        const QDBusPendingReply<QDBusVariant> reply = *call;
        setStatusNotifierHost(!reply.isError() && reply.value().variant().toBool());
    });
}

void TrayWatch::setStatusNotifierHost(bool registered)
{
    if (registered == m_statusNotifierHost)
        return;
    m_statusNotifierHost = registered;
    Q_EMIT changed();
}

void TrayWatch::checkXembedTray()
{
    xcb_connection_t *connection = x11Connection();
    if (!connection || m_selectionAtom == XCB_ATOM_NONE)
        return;
    auto *owner = xcb_get_selection_owner_reply(
        connection, xcb_get_selection_owner(connection, m_selectionAtom), nullptr);
    const bool owned = owner && owner->owner != XCB_NONE;
    std::free(owner);
    if (owned == m_xembedTray)
        return;
    m_xembedTray = owned;
    Q_EMIT changed();
}

bool TrayWatch::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    if ((event->response_type & ~0x80) != XCB_CLIENT_MESSAGE)
        return false;
    const auto *client = static_cast<const xcb_client_message_event_t *>(message);
    if (client->type == m_managerAtom && client->data.data32[1] == m_selectionAtom)
        QMetaObject::invokeMethod(this, &TrayWatch::checkXembedTray, Qt::QueuedConnection);
    return false;
}
