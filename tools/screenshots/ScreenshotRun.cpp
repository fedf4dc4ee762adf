#include "ScreenshotRun.h"

#include "LauncherShots.h"
#include "PanelShots.h"
#include "catalogue/Catalogue.h"
#include "core/AppError.h"
#include "ui/settings/ScheduleDraft.h"
#include "ui/shell/MenuBarController.h"
#include "ui/shell/PanelWindow.h"
#include "ui/shell/QmlHost.h"
#include "ui/shell/ShellWindows.h"
#include "ui/views/SceneCover.h"
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
QImage grab(QQuickWindow *window)
{
    return window && window->isVisible() ? window->grabWindow() : QImage();
}

// The first catalogue scene pictured by `content`; none when there is no such scene.
SceneEntry *firstScene(const SceneListModel &scenes, SceneCover::Content content)
{
    for (int row = 0; row < scenes.count(); ++row) {
        SceneEntry *scene = scenes.at(row);
        if (SceneCover::choose(scene->id(), scene->videoLoop(), scene->sceneArt(),
                               scene->coverUrl())
                .content == content)
            return scene;
    }
    return nullptr;
}
} // namespace

ScreenshotRun::ScreenshotRun(QString folder, ShellWindows &windows, MenuBarController &menuBar,
                             QmlHost &qml, QObject *parent)
    : QObject(parent), m_folder(std::move(folder)), m_windows(windows), m_menuBar(menuBar),
      m_qml(qml)
{
    addShot({QStringLiteral("launcher.png"), [this] { return launcherShot(); }});
    addShot({QStringLiteral("panel.png"),
             [this]() -> QCoro::Task<QImage> { co_return grab(&PanelWindow::of(m_menuBar)); }});
    addPictureShots();
    addShot({QStringLiteral("settings.png"), [this] { return settingsShot({}); }});
    addShot({QStringLiteral("settings-custom.png"),
             [this] { return settingsShot(QStringLiteral("customScenesSection")); }});
    addShot({QStringLiteral("settings-cache.png"),
             [this] { return settingsShot(QStringLiteral("cacheSection")); }});
    addShot({QStringLiteral("settings-focus.png"),
             [this] { return settingsShot(QStringLiteral("focusSection")); }});
    addShot({QStringLiteral("settings-schedules.png"), [this] { return schedulesShot(false); }});
    addShot({QStringLiteral("settings-schedule-edit.png"), [this] { return schedulesShot(true); }});
}

void ScreenshotRun::addShot(Shot shot)
{
    m_shots.append(std::move(shot));
}

void ScreenshotRun::start()
{
    run();
}

QCoro::Task<> ScreenshotRun::run()
{
    QPointer<ScreenshotRun> self(this);
    QDir().mkpath(m_folder);
    bool all = true;
    QTextStream err(stderr);
    for (const Shot &shot : std::as_const(m_shots)) {
        const QImage image = co_await shot.take();
        if (!self)
            co_return;
        const QString path = QDir(m_folder).filePath(shot.fileName);
        const bool written = !image.isNull() && image.save(path, "PNG");
        all = all && written;
        err << (written ? "wrote " : "could not write ") << path << "\n";
        err.flush();
    }
    const bool panelStates = co_await PanelShots::take(m_folder, m_menuBar);
    if (!self)
        co_return;
    const bool launcherStates =
        co_await LauncherShots::take(m_folder, m_windows, *m_qml.services());
    if (!self)
        co_return;
    Q_EMIT finished(all && panelStates && launcherStates);
}

QCoro::Task<QImage> ScreenshotRun::launcherShot()
{
    QPointer<ScreenshotRun> self(this);
    m_windows.openLauncher();
    // The tray host embeds the icon a moment after it appears; until then the icon reports the
    // screen's origin and the panel would not hang under it.
    const auto embedded = [this] {
        const QRect icon = m_menuBar.iconGeometry();
        return icon.isValid() && icon.topLeft() != QPoint(0, 0);
    };
    for (int i = 0; i < 50 && !embedded(); ++i) {
        co_await QCoro::sleepFor(100ms);
        if (!self)
            co_return QImage();
    }
    m_menuBar.showPanel();
    co_await QCoro::sleepFor(1500ms); // first frames, fonts and images
    if (!self)
        co_return QImage();
    co_return grab(m_windows.launcher());
}

void ScreenshotRun::addPictureShots()
{
    for (const SceneArtKind kind : SceneArt::allCases) {
        const QString raw = SceneArt::rawValue(kind);
        addShot({QStringLiteral("art-%1.png").arg(raw), [this, raw] {
                     return pictureShot({{QStringLiteral("artKind"), raw}}, 800);
                 }});
    }
    addShot({QStringLiteral("art-fallback.png"), [this] { return pictureShot({}, 500); }});
    addShot({QStringLiteral("art-cover.png"), [this] {
                 SceneEntry *scene =
                     firstScene(*m_qml.services()->scenes(), SceneCover::Content::Cover);
                 return pictureShot({{QStringLiteral("scene"), QVariant::fromValue(scene)}}, 1500);
             }});
    // The catalogue's first video loop, or else the one the application carries.
    addShot({QStringLiteral("art-video.png"), [this] {
                 SceneEntry *scene =
                     firstScene(*m_qml.services()->scenes(), SceneCover::Content::Video);
                 const QString source = scene ? scene->videoLoop() : QStringLiteral("dusk-glow");
                 return pictureShot({{QStringLiteral("videoSource"), source}}, 0);
             }});
}

QCoro::Task<QImage> ScreenshotRun::pictureShot(QVariantMap properties, int settle)
{
    QPointer<ScreenshotRun> self(this);
    for (const char *name : {"artKind", "videoSource"})
        if (!properties.contains(QLatin1String(name)))
            properties.insert(QLatin1String(name), QString());
    if (!properties.contains(QStringLiteral("scene")))
        properties.insert(QStringLiteral("scene"), QVariant::fromValue<SceneEntry *>(nullptr));
    QQuickView view;
    view.setFlag(Qt::FramelessWindowHint);
    view.resize(1280, 720);
    if (!m_qml.load(view, QStringLiteral("shots/PictureShot.qml"), m_qml.adaptivePalette(),
                    properties))
        co_return QImage();
    view.show();
    co_await QCoro::sleepFor(std::chrono::milliseconds(settle));
    // A video is shot once it has faded in on a frame of its own, however long its first frame
    // takes on a busy machine; one that never gets there gives no shot.
    auto *video = view.rootObject()->findChild<QQuickItem *>(QStringLiteral("video"));
    const auto covers = [&video] { return video->property("shown").toReal() >= 1; };
    if (self && video && video->isVisible()) {
        for (int i = 0; self && i < 600 && !covers(); ++i)
            co_await QCoro::sleepFor(100ms);
        if (self && !covers()) {
            QTextStream(stderr) << "the video showed no frame within a minute\n";
            co_return QImage();
        }
    }
    co_return self ? grab(&view) : QImage();
}

QCoro::Task<QImage> ScreenshotRun::schedulesShot(bool editing)
{
    QPointer<ScreenshotRun> self(this);
    SavedMixesService *mixes = m_qml.services()->savedMixes();
    MixSchedule *schedule = m_qml.services()->schedule();
    if (!editing) {
        mixes->saveCurrent(QStringLiteral("Morning"));
        mixes->saveCurrent(QStringLiteral("Night"));
        const QList<SavedMix> &saved = mixes->mixes();
        if (saved.size() >= 2) {
            schedule->add(saved.at(saved.size() - 2).id, 7 * 60 + 30, 0x1f, 10, true);
            schedule->add(saved.constLast().id, 22 * 60, MixSchedule::everyDay, 20, false);
        }
        co_return co_await settingsShot(QStringLiteral("scheduleSection"));
    }
    QQuickView *view = m_windows.settingsWindow();
    auto *draft = view ? view->rootObject()->findChild<ScheduleDraft *>() : nullptr;
    if (draft && !schedule->schedules().isEmpty())
        draft->beginEdit(schedule->schedules().constFirst().id);
    QImage image = co_await settingsShot(QStringLiteral("scheduleSection"));
    if (!self)
        co_return QImage();
    if (draft)
        draft->cancel();
    for (const ScheduledMix &made : QList<ScheduledMix>(schedule->schedules())) {
        schedule->remove(made.id);
        mixes->remove(made.mixId);
    }
    co_return image;
}

QCoro::Task<QImage> ScreenshotRun::settingsShot(QString section)
{
    QPointer<ScreenshotRun> self(this);
    m_windows.openSettings();
    if (section.isEmpty()) {
        // Two scenes of the user's own, from the files the demo names
        // (DUSKHAVEN_SCREENSHOT_SCENES, separated by ':'), unless they are listed already.
        const QStringList files =
            qEnvironmentVariable("DUSKHAVEN_SCREENSHOT_SCENES").split(u':', Qt::SkipEmptyParts);
        CustomScenesService &scenes = *m_qml.services()->customScenes();
        for (const QString &file : files) {
            const bool listed = std::any_of(
                scenes.scenes().cbegin(), scenes.scenes().cend(),
                [&file](const CustomScene &scene) { return scene.audioBookmark == file.toUtf8(); });
            try {
                if (!listed)
                    scenes.add(QString(), QUrl::fromLocalFile(file));
            } catch (const AppError &) {
                // The shot then shows fewer scenes; the run goes on.
            }
        }
    } else if (m_windows.settingsWindow()) {
        // Scrolled so that the section starts near the top of the card, as far as it goes.
        QQuickItem *root = m_windows.settingsWindow()->rootObject();
        auto *scroll = root->findChild<QQuickItem *>(QStringLiteral("settingsScroll"));
        auto *shown = root->findChild<QQuickItem *>(section);
        if (scroll && shown) {
            auto *content = scroll->property("contentItem").value<QQuickItem *>();
            const qreal end =
                std::max(0.0, scroll->property("contentHeight").toReal() - scroll->height());
            scroll->setProperty("contentY",
                                std::min(end, shown->mapToItem(content, QPointF()).y() - 20));
        }
    }
    co_await QCoro::sleepFor(section.isEmpty() ? 1000ms : 500ms);
    if (!self)
        co_return QImage();
    co_return grab(m_windows.settingsWindow());
}
