#include "ui/shell/ScreenshotRun.h"

#include "ui/shell/MenuBarController.h"
#include "ui/shell/ShellWindows.h"
#include "ui/panel/PanelShots.h"

#include <QCoroTimer>
#include <QDir>
#include <QPointer>
#include <QQuickView>
#include <QSystemTrayIcon>
#include <QTextStream>
#include <chrono>

using namespace std::chrono_literals;

namespace {
bool save(QQuickWindow *window, const QString &path)
{
    if (!window || !window->isVisible())
        return false;
    const QImage image = window->grabWindow();
    return !image.isNull() && image.save(path, "PNG");
}
} // namespace

ScreenshotRun::ScreenshotRun(QString folder, ShellWindows &windows, MenuBarController &menuBar,
                             QObject *parent)
    : QObject(parent), m_folder(std::move(folder)), m_windows(windows), m_menuBar(menuBar)
{}

void ScreenshotRun::start()
{
    run();
}

QCoro::Task<> ScreenshotRun::run()
{
    QPointer<ScreenshotRun> self(this);
    m_windows.openLauncher();
    // The tray host embeds the icon a moment after it appears; until then the icon reports the
    // screen's origin and the panel would not hang under it.
    const auto embedded = [this] {
        const QRect icon = m_menuBar.trayIcon().geometry();
        return icon.isValid() && icon.topLeft() != QPoint(0, 0);
    };
    for (int i = 0; i < 50 && !embedded(); ++i) {
        co_await QCoro::sleepFor(100ms);
        if (!self)
            co_return;
    }
    m_menuBar.showPanel();
    co_await QCoro::sleepFor(1500ms); // first frames, fonts and images
    if (!self)
        co_return;

    QDir().mkpath(m_folder);
    const QString launcherPath = QDir(m_folder).filePath(QStringLiteral("launcher.png"));
    const QString panelPath = QDir(m_folder).filePath(QStringLiteral("panel.png"));
    const bool launcher = save(m_windows.launcher(), launcherPath);
    const bool panel = save(&m_menuBar.panel(), panelPath);
    QTextStream err(stderr);
    err << (launcher ? "wrote " : "could not write ") << launcherPath << "\n"
        << (panel ? "wrote " : "could not write ") << panelPath << "\n";
    err.flush();
    const bool panelStates = co_await PanelShots::take(m_folder, m_menuBar);
    if (!self)
        co_return;
    Q_EMIT finished(launcher && panel && panelStates);
}
