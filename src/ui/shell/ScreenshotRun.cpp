#include "ui/shell/ScreenshotRun.h"

#include "core/AppError.h"
#include "ui/shell/MenuBarController.h"
#include "ui/shell/ShellWindows.h"
#include "ui/views/ViewServices.h"

#include <QCoroTimer>
#include <QDir>
#include <QPointer>
#include <QQuickItem>
#include <QQuickView>
#include <QSystemTrayIcon>
#include <QTextStream>
#include <algorithm>
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
    const bool settings = co_await settingsShots();
    if (!self)
        co_return;
    Q_EMIT finished(launcher && panel && settings);
}

QCoro::Task<bool> ScreenshotRun::settingsShots()
{
    QPointer<ScreenshotRun> self(this);
    m_windows.openSettings();
    QQuickItem *view = m_windows.settingsWindow()->rootObject();
    auto *services = view ? view->property("services").value<ViewServices *>() : nullptr;
    if (!services)
        co_return false;
    // Two scenes of the user's own, from the files the demo names (DUSKHAVEN_SCREENSHOT_SCENES,
    // separated by ':'), unless they are listed already.
    const QStringList files =
        qEnvironmentVariable("DUSKHAVEN_SCREENSHOT_SCENES").split(u':', Qt::SkipEmptyParts);
    CustomScenesService &scenes = *services->customScenes();
    for (const QString &file : files) {
        const bool listed = std::any_of(scenes.scenes().cbegin(), scenes.scenes().cend(),
                                        [&file](const CustomScene &scene) {
                                            return scene.audioBookmark == file.toUtf8();
                                        });
        try {
            if (!listed)
                scenes.add(QString(), QUrl::fromLocalFile(file));
        } catch (const AppError &) {
            // The shot then shows fewer scenes; the run goes on.
        }
    }
    co_await QCoro::sleepFor(1000ms);
    if (!self || !m_windows.settingsWindow())
        co_return false;
    const bool top = save(m_windows.settingsWindow(),
                          QDir(m_folder).filePath(QStringLiteral("settings.png")));

    // Scrolled so that the custom scenes section starts near the top of the card.
    QQuickItem *root = m_windows.settingsWindow()->rootObject();
    auto *scroll = root->findChild<QQuickItem *>(QStringLiteral("settingsScroll"));
    auto *section = root->findChild<QQuickItem *>(QStringLiteral("customScenesSection"));
    if (scroll && section)
        scroll->setProperty("contentY", section->mapToItem(scroll->property("contentItem")
                                                               .value<QQuickItem *>(),
                                                           QPointF())
                                                .y() -
                                            20);
    co_await QCoro::sleepFor(500ms);
    if (!self || !m_windows.settingsWindow())
        co_return false;
    const bool custom = save(m_windows.settingsWindow(),
                             QDir(m_folder).filePath(QStringLiteral("settings-custom.png")));
    QTextStream(stderr) << (top && custom ? "wrote " : "could not write ")
                        << "settings.png and settings-custom.png\n";
    co_return top && custom;
}
