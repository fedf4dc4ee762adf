#include "ui/shell/QuickShell.h"

#include "ui/shell/MenuBarController.h"
#include "ui/shell/PanelWindow.h"
#include "ui/shell/QmlHost.h"
#include "ui/shell/ShellWindows.h"
#include "ui/views/ViewServices.h"

QuickShell::QuickShell(const Context &context, QObject *parent)
    : ViewShell(parent), m_context(context), m_qml(std::make_unique<QmlHost>(context.desktop))
{
    m_windows = std::make_unique<ShellWindows>(*m_qml, context.settings);
    m_services = std::make_unique<ViewServices>(context.services, *m_windows);
    m_qml->setServices(m_services.get());
    connect(m_windows.get(), &ShellWindows::windowOpening, &context.menuBar,
            &MenuBarController::hidePanel);
    m_windows->setTrayShown(context.menuBar.isTrayShown());
    connect(&context.menuBar, &MenuBarController::trayShownChanged, m_windows.get(),
            [windows = m_windows.get(), &menuBar = context.menuBar] {
                windows->setTrayShown(menuBar.isTrayShown());
            });
}

QuickShell::~QuickShell() = default;

void QuickShell::openLauncherAtLaunch()
{
    m_windows->openLauncherAtLaunch();
}

void QuickShell::openLauncher()
{
    m_windows->openLauncher();
}

void QuickShell::openSettings()
{
    m_windows->openSettings();
}

std::unique_ptr<PanelSurface> QuickShell::makePanel()
{
    return PanelWindow::build(*m_qml);
}

void QuickShell::takeScreenshots(const QString &folder)
{
    qWarning().noquote() << "No screenshots into" << folder
                         << "- this build of the views has no screenshot harness";
    QMetaObject::invokeMethod(
        this, [this] { Q_EMIT screenshotsFinished(false); }, Qt::QueuedConnection);
}
