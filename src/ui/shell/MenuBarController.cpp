#include "ui/shell/MenuBarController.h"

#include "ui/Resources.h"
#include "ui/shell/ClickOutsideMonitor.h"
#include "ui/shell/PanelPlacement.h"
#include "ui/theme/DesktopColorScheme.h"
#include "ui/theme/ThemePalette.h"

#include <QCursor>
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

// The logo in one colour, at the sizes trays ask for. Without the asset the icon stays empty
// and still takes clicks.
QIcon tintedLogo(const QColor &color)
{
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64}) {
        const QImage image = Resources::tintedLogo(QSize(size, size), color);
        if (!image.isNull())
            icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}
} // namespace

MenuBarController::MenuBarController(DesktopColorScheme &desktop,
                                     std::unique_ptr<ClickOutsideMonitor> monitor, QObject *parent)
    : QObject(parent), m_desktop(desktop), m_monitor(std::move(monitor)),
      m_menu(std::make_unique<QMenu>()), m_trayIcon(new QSystemTrayIcon(this))
{
    Resources::init();
    buildMenu();
    updateIcon();
    connect(&m_desktop, &DesktopColorScheme::schemeChanged, this, &MenuBarController::updateIcon);
    m_trayIcon->setToolTip(toolTipText({}));
    m_trayIcon->setContextMenu(m_menu.get());
    connect(m_trayIcon, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger)
                    togglePanel();
            });
    m_trayIcon->show();
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
    if (text != m_trayIcon->toolTip())
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
    const QRect icon = m_trayIcon->geometry();
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
                    self->m_trayIcon->geometry().contains(position))
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
    m_openAction = m_menu->addAction(tr("Open Dusk Haven"));
    m_settingsAction = m_menu->addAction(tr("Settings…"));
    m_updateAction = m_menu->addAction(tr("Check for Updates…"));
    m_menu->addSeparator();
    m_focusStart = m_menu->addAction(tr("Start Focus Session"));
    m_focusPause = m_menu->addAction(QString());
    m_focusSkip = m_menu->addAction(QString());
    m_focusStop = m_menu->addAction(tr("Stop Focus Session"));
    showFocus(false, false, {});
    m_menu->addSeparator();
    m_quitAction = m_menu->addAction(tr("Quit Dusk Haven"));
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
    // Trays draw on the desktop's own colours: a light glyph on a dark scheme and the reverse.
    const QColor color = ThemePalette::resolve(ThemePalette::Role::TextPrimary, m_desktop.scheme());
    m_trayIcon->setIcon(tintedLogo(color));
}
