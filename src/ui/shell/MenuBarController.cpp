#include "ui/shell/MenuBarController.h"

#include "ui/Resources.h"
#include "ui/shell/ClickOutsideMonitor.h"
#include "ui/shell/PanelPlacement.h"
#include "ui/shell/TrayIcon.h"
#include "ui/shell/TrayWatch.h"
#include "ui/shell/X11Connection.h"
#include "ui/theme/DesktopColorScheme.h"

#include <QCursor>
#include <QDBusConnection>
#include <QGuiApplication>
#include <QIcon>
#include <QMenu>
#include <QPointer>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QWindow>

namespace {
// A press on the icon can close the panel before the icon reports its click (the press moved
// the focus, or the click-outside monitor saw it first). A toggle this soon after such a close
// belongs to the same press.
constexpr qint64 samePressMs = 400;

} // namespace

MenuBarController::MenuBarController(DesktopColorScheme &desktop,
                                     std::unique_ptr<ClickOutsideMonitor> monitor, QObject *parent)
    : QObject(parent), m_desktop(desktop), m_monitor(std::move(monitor)),
      m_menu(std::make_unique<QMenu>()),
      m_trayWatch(new TrayWatch(QDBusConnection::sessionBus(), this))
{
    Resources::init();
    buildMenu();
    connect(&m_desktop, &DesktopColorScheme::schemeChanged, this, &MenuBarController::updateIcon);
    connect(m_trayWatch, &TrayWatch::changed, this, [this] {
        if (!m_trayIcon && m_trayWatch->statusNotifierHost())
            makeTrayIcon();
        Q_EMIT trayShownChanged();
    });
    if (x11Connection() || m_trayWatch->statusNotifierHost())
        makeTrayIcon();
}

void MenuBarController::makeTrayIcon()
{
    m_trayIcon = new QSystemTrayIcon(this);
    updateIcon();
    m_trayIcon->setToolTip(toolTipText({}));
    m_trayIcon->setContextMenu(m_menu.get());
    connect(m_trayIcon, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger)
                    togglePanel();
            });
    m_trayIcon->show();
}

QRect MenuBarController::iconGeometry() const
{
    return m_trayIcon ? m_trayIcon->geometry() : QRect();
}

bool MenuBarController::isTrayShown() const
{
    return m_trayWatch->present();
}

void MenuBarController::setPanelFactory(PanelFactory factory)
{
    m_panelFactory = std::move(factory);
}

void MenuBarController::buildPanel()
{
    if (m_panel || !m_panelFactory)
        return;
    m_panel = m_panelFactory();
    if (!m_panel)
        return;
    m_panel->setDismissAction([panel = QPointer<MenuBarController>(this)] {
        if (panel && panel->isPanelVisible())
            panel->hidePanel();
    });

    QWindow &window = m_panel->window();
    connect(&window, &QWindow::activeChanged, this, [this] {
        if (!m_panel->window().isActive() && m_panel->window().isVisible())
            hideOnLeaving();
    });
    connect(&window, &QWindow::visibleChanged, this, [this](bool visible) {
        if (!visible)
            m_monitor->remove();
        Q_EMIT panelVisibleChanged();
    });
}

QString MenuBarController::toolTipText(const QString &sleepRemaining, const QString &focus)
{
    QString text = QStringLiteral("Dusk Haven");
    if (!focus.isEmpty())
        text = tr("%1 · %2").arg(text, focus);
    if (!sleepRemaining.isEmpty())
        text = tr("%1 · sleep in %2").arg(text, sleepRemaining);
    return text;
}

void MenuBarController::showStatus(const QString &sleepRemaining, const QString &focus)
{
    const QString text = toolTipText(sleepRemaining, focus);
    // The tray host is told only of a real change: most ticks of a watched timer change
    // nothing here.
    if (m_trayIcon && text != m_trayIcon->toolTip())
        m_trayIcon->setToolTip(text);
}

MenuBarController::~MenuBarController()
{
    m_monitor->remove();
}

PanelSurface &MenuBarController::panel()
{
    buildPanel();
    return *m_panel;
}

bool MenuBarController::isPanelVisible() const
{
    return m_panel && m_panel->window().isVisible();
}

bool MenuBarController::hasClickOutsideMonitor() const
{
    return m_monitor->isInstalled();
}

void MenuBarController::togglePanel()
{
    if (isPanelVisible()) {
        hidePanel();
        return;
    }
    if (m_leftAt.isValid() && m_leftAt.elapsed() < samePressMs) {
        m_leftAt.invalidate();
        return;
    }
    showPanel();
}

void MenuBarController::showPanel()
{
    buildPanel();
    if (!m_panel)
        return;
    const QRect icon = iconGeometry();
    const QPoint pointer = QCursor::pos();
    QScreen *screen = QGuiApplication::screenAt(icon.isValid() ? icon.center() : pointer);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;

    PanelPlacement::Input input;
    QWindow &window = m_panel->window();
    input.panelSize = window.size();
    if (icon.isValid())
        input.iconGeometry = icon;
    input.pointer = pointer;
    input.screenGeometry = screen->geometry();
    input.availableGeometry = screen->availableGeometry();
    window.setScreen(screen);
    m_panel->present(PanelPlacement::position(input));

    if (m_monitor->isInstalled())
        return;
    // The monitor may report from outside Qt's own event handling; the hide is handed to the
    // event loop, and a controller that is gone by then does nothing.
    m_monitor->install([self = QPointer<MenuBarController>(this)](QPoint position) {
        QMetaObject::invokeMethod(
            self,
            [self, position] {
                if (!self || !self->isPanelVisible())
                    return;
                if (self->m_panel->window().frameGeometry().contains(position) ||
                    self->iconGeometry().contains(position))
                    return;
                self->hideOnLeaving();
            },
            Qt::QueuedConnection);
    });
}

void MenuBarController::hidePanel()
{
    if (m_panel)
        m_panel->window().hide();
    m_monitor->remove();
}

void MenuBarController::hideOnLeaving()
{
    m_leftAt.start();
    hidePanel();
}

void MenuBarController::buildMenu()
{
    m_nowPlaying = m_menu->addAction(QString());
    m_nowPlaying->setEnabled(false);
    m_playPause = m_menu->addAction(QString());
    m_nextScene = m_menu->addAction(tr("Next Scene"));
    showNowPlaying({}, {}, false);
    m_menu->addSeparator();
    m_openPanel = m_menu->addAction(tr("Open Panel…"));
    m_openAction = m_menu->addAction(tr("Open Dusk Haven"));
    m_menu->addSeparator();
    m_focusStart = m_menu->addAction(tr("Start Focus Session"));
    m_focusPause = m_menu->addAction(QString());
    m_focusSkip = m_menu->addAction(QString());
    m_focusStop = m_menu->addAction(tr("Stop Focus Session"));
    showFocus(false, false, {});
    m_menu->addSeparator();
    m_settingsAction = m_menu->addAction(tr("Settings…"));
    m_updateAction = m_menu->addAction(tr("Check for Updates…"));
    m_menu->addSeparator();
    m_quitAction = m_menu->addAction(tr("Quit Dusk Haven"));
    connect(m_playPause, &QAction::triggered, this, &MenuBarController::playPauseRequested);
    connect(m_nextScene, &QAction::triggered, this, &MenuBarController::nextSceneRequested);
    connect(m_openPanel, &QAction::triggered, this, &MenuBarController::showPanel);
    connect(m_focusStart, &QAction::triggered, this, &MenuBarController::focusStartRequested);
    connect(m_focusPause, &QAction::triggered, this, &MenuBarController::focusPauseRequested);
    connect(m_focusSkip, &QAction::triggered, this, &MenuBarController::focusSkipRequested);
    connect(m_focusStop, &QAction::triggered, this, &MenuBarController::focusStopRequested);
    connect(m_openAction, &QAction::triggered, this, &MenuBarController::openLauncherRequested);
    connect(m_settingsAction, &QAction::triggered, this, &MenuBarController::openSettingsRequested);
    connect(m_updateAction, &QAction::triggered, this,
            &MenuBarController::checkForUpdatesRequested);
    connect(m_quitAction, &QAction::triggered, this, &MenuBarController::quitRequested);
}

QString MenuBarController::nowPlayingText(const QString &scene, const QString &track)
{
    if (scene.isEmpty() || track.isEmpty())
        return scene + track;
    return tr("%1 · %2").arg(scene, track);
}

void MenuBarController::showNowPlaying(const QString &scene, const QString &track, bool playing)
{
    // A menu a host has exported announces every change of an entry: only real ones are made.
    const QString text = nowPlayingText(scene, track);
    if (m_nowPlaying->text() != text)
        m_nowPlaying->setText(text);
    m_nowPlaying->setVisible(!text.isEmpty());
    const QString toggle = playing ? tr("Pause") : tr("Play");
    if (m_playPause->text() != toggle)
        m_playPause->setText(toggle);
}

void MenuBarController::showFocus(bool running, bool paused, const QString &skipLabel)
{
    m_focusStart->setVisible(!running);
    m_focusPause->setVisible(running);
    m_focusPause->setText(paused ? tr("Resume Focus Session") : tr("Pause Focus Session"));
    m_focusSkip->setVisible(running);
    m_focusSkip->setText(skipLabel);
    m_focusStop->setVisible(running);
}

void MenuBarController::updateIcon()
{
    // A tray may change its colours with the desktop's scheme.
    if (m_trayIcon)
        m_trayIcon->setIcon(TrayIcon::make(TrayIcon::x11TrayForeground()));
}
