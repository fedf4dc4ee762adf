#include "ui/shell/ShellWindows.h"

#include "core/BuildInfo.h"
#include "core/SettingsStore.h"
#include "ui/Resources.h"
#include "ui/shell/QmlHost.h"
#include "ui/shell/ViewShell.h"
#include "ui/shell/X11Connection.h"
#include "ui/theme/ThemePalette.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QResizeEvent>
#include <QScreen>
#include <QTimer>
#include <array>
#include <cstdlib>
#include <utility>
#include <xcb/xcb.h>

// ---------------------------------------------------------------------------------------------
// LauncherWindow

QSize LauncherWindow::lockedSize(QSize requested, QSize previous)
{
    const int widthMoved =
        previous.isValid() ? std::abs(requested.width() - previous.width()) : requested.width();
    const int heightMoved =
        previous.isValid() ? std::abs(requested.height() - previous.height()) : 0;
    QSize locked;
    if (widthMoved * 9 >= heightMoved * 16)
        locked = QSize(requested.width(), qRound(requested.width() * 9.0 / 16.0));
    else
        locked = QSize(qRound(requested.height() * 16.0 / 9.0), requested.height());
    if (locked.width() < smallestSize.width() || locked.height() < smallestSize.height())
        locked = smallestSize;
    return locked;
}

LauncherWindow::LauncherWindow(QQmlEngine *engine) : QQuickView(engine, nullptr)
{
    setTitle(QStringLiteral("dusk-haven"));
    setResizeMode(QQuickView::SizeRootObjectToView);
    setMinimumSize(smallestSize);
    resize(initialSize);
}

void LauncherWindow::applyAspectHint()
{
    xcb_connection_t *connection = x11Connection();
    if (!connection || !handle())
        return;
    const auto window = xcb_window_t(winId());
    // WM_SIZE_HINTS: flags, x, y, width, height, min w/h, max w/h, increments, min aspect,
    // max aspect, base w/h, gravity. Qt's own fields stay; only the aspect is added.
    std::array<uint32_t, 18> hints{};
    auto *reply =
        xcb_get_property_reply(connection,
                               xcb_get_property(connection, 0, window, XCB_ATOM_WM_NORMAL_HINTS,
                                                XCB_ATOM_WM_SIZE_HINTS, 0, uint32_t(hints.size())),
                               nullptr);
    if (reply && reply->format == 32) {
        const auto count =
            std::min<std::size_t>(hints.size(), xcb_get_property_value_length(reply) / 4);
        const auto *values = static_cast<const uint32_t *>(xcb_get_property_value(reply));
        std::copy(values, values + count, hints.begin());
    }
    std::free(reply);
    constexpr uint32_t aspectFlag = 1u << 7;
    hints[0] |= aspectFlag;
    hints[11] = hints[13] = 16;
    hints[12] = hints[14] = 9;
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NORMAL_HINTS,
                        XCB_ATOM_WM_SIZE_HINTS, 32, uint32_t(hints.size()), hints.data());
    xcb_flush(connection);
}

void LauncherWindow::resizeEvent(QResizeEvent *event)
{
    QQuickView::resizeEvent(event);
    const QSize current = event->size();
    const QSize previous = m_lastSize;
    m_lastSize = current;
    if (windowStates() & (Qt::WindowMaximized | Qt::WindowFullScreen))
        return;
    const QSize locked = lockedSize(current, previous);
    const bool pending = m_pendingLock.isValid();
    if (std::abs(locked.width() - current.width()) <= 1 &&
        std::abs(locked.height() - current.height()) <= 1) {
        m_pendingLock = QSize();
        return;
    }
    // A window manager that keeps the aspect itself never gets here. One that refuses the
    // corrected size leaves the window as it is, which sends no further event.
    m_pendingLock = locked;
    if (pending)
        return;
    QTimer::singleShot(0, this, [this] {
        const QSize target = std::exchange(m_pendingLock, QSize());
        if (!target.isValid() || size() == target ||
            (windowStates() & (Qt::WindowMaximized | Qt::WindowFullScreen)))
            return;
        resize(target);
        applyAspectHint();
    });
}

// ---------------------------------------------------------------------------------------------
// SettingsWindow

SettingsWindow::SettingsWindow(QQmlEngine *engine) : QQuickView(engine, nullptr)
{
    setTitle(tr("Settings"));
    setFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setColor(Qt::transparent);
    setResizeMode(QQuickView::SizeRootObjectToView);
    setMinimumSize(fixedSize);
    setMaximumSize(fixedSize);
    resize(fixedSize);
}

void SettingsWindow::keyPressEvent(QKeyEvent *event)
{
    QQuickView::keyPressEvent(event);
    if (event->key() == Qt::Key_Escape && !event->isAccepted()) {
        event->accept();
        close();
    }
}

// ---------------------------------------------------------------------------------------------
// ShellWindows

ShellWindows::ShellWindows(QmlHost &qml, const SettingsStore &settings, QObject *parent)
    : QObject(parent), m_settingsStore(settings), m_qml(qml)
{}

ShellWindows::~ShellWindows()
{
    delete m_launcher;
    delete m_settings;
}

bool ShellWindows::keepLauncherOnAppearance(const SettingsStore &settings, bool &didHandleColdStart)
{
    const bool stored = settings.value(Setting::openLauncherOnLaunch);
    if (didHandleColdStart)
        return true;
    didHandleColdStart = true;
    return stored;
}

void ShellWindows::openLauncherAtLaunch()
{
    // The rule is applied before the window is built, which has the effect of the launcher
    // closing itself at once without ever flashing on screen.
    if (keepLauncherOnAppearance(m_settingsStore, m_didHandleColdStart))
        openLauncher();
}

void ShellWindows::openLauncher()
{
    // Asked for in person (the tray, a dusk-haven: address, a second launch): always shown.
    m_didHandleColdStart = true;
    Q_EMIT windowOpening();
    // The windows with a taskbar entry take the app's icon; the panel, which has none, never
    // loads what draws it (the SVG icon engine) on its first showing.
    Resources::setAppWindowIcon();
    if (!m_launcher) {
        auto *window = new LauncherWindow(&m_qml.engine());
        m_qml.load(*window, QStringLiteral("ui/launcher/LauncherWindowView.qml"),
                   m_qml.adaptivePalette(),
                   {{QStringLiteral("darkTheme"), QVariant::fromValue(&m_qml.darkPalette())}});
        connect(window, &QWindow::visibleChanged, this, [this, window](bool visible) {
            Q_EMIT launcherOpenChanged();
            if (visible)
                return;
            window->deleteLater();
            if (!m_trayShown && !m_quitting)
                tellStillRunning();
        });
        m_launcher = window;
    }
    m_launcher->show();
    m_launcher->applyAspectHint();
    m_launcher->raise();
    m_launcher->requestActivate();
}

void ShellWindows::setTrayShown(bool shown)
{
    if (shown == m_trayShown)
        return;
    m_trayShown = shown;
    Q_EMIT trayShownChanged();
    Q_EMIT noTrayNoticeChanged();
}

QString ShellWindows::noTrayNotice() const
{
    if (m_trayShown || m_noTrayNoticeDismissed)
        return {};
    return tr("This desktop shows no tray icons, so Dusk Haven lives in this window. Closing it "
              "keeps the music playing; start Dusk Haven again to come back. On GNOME, the "
              "AppIndicator extension adds a tray.");
}

void ShellWindows::dismissNoTrayNotice()
{
    if (m_noTrayNoticeDismissed)
        return;
    m_noTrayNoticeDismissed = true;
    if (!m_trayShown)
        Q_EMIT noTrayNoticeChanged();
}

void ShellWindows::quit()
{
    m_quitting = true;
    QCoreApplication::quit();
}

void ShellWindows::tellStillRunning()
{
    // The desktop's notification service; where there is none the call goes nowhere.
    QDBusMessage notify = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    notify << QStringLiteral("Dusk Haven") << uint(0) << QString::fromUtf8(BuildInfo::appId)
           << tr("Dusk Haven is still running")
           << tr("Start Dusk Haven again to open its window, or to quit it.") << QStringList()
           << QVariantMap() << -1;
    QDBusConnection::sessionBus().send(notify);
}

void ShellWindows::closeLauncher()
{
    if (m_launcher)
        m_launcher->close();
}

void ShellWindows::openSettings()
{
    Q_EMIT windowOpening();
    Resources::setAppWindowIcon();
    if (!m_settings) {
        auto *window = new SettingsWindow(&m_qml.engine());
        m_qml.load(*window, QStringLiteral("ui/settings/SettingsRoot.qml"),
                   m_qml.adaptivePalette());
        connect(window, &QWindow::visibleChanged, this, [this, window](bool visible) {
            Q_EMIT settingsOpenChanged();
            if (!visible)
                window->deleteLater();
        });
        QScreen *screen = QGuiApplication::screenAt(QCursor::pos());
        if (!screen)
            screen = QGuiApplication::primaryScreen();
        if (screen) {
            window->setScreen(screen);
            const QRect area = screen->availableGeometry();
            window->setPosition(area.center() - QPoint(SettingsWindow::fixedSize.width() / 2,
                                                       SettingsWindow::fixedSize.height() / 2));
        }
        m_settings = window;
    }
    m_settings->show();
    m_settings->raise();
    m_settings->requestActivate();
}

void ShellWindows::closeSettings()
{
    if (m_settings)
        m_settings->close();
}
