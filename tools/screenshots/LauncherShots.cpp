#include "LauncherShots.h"

#include "catalogue/LibraryService.h"
#include "core/FileWriter.h"
#include "storage/CacheService.h"
#include "storage/PinService.h"
#include "ui/launcher/OnboardingModel.h"
#include "ui/launcher/SceneDrawerModel.h"
#include "ui/shell/ShellWindows.h"
#include "ui/views/ViewServices.h"

#include <QCoroTimer>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QQuickItem>
#include <QTextStream>
#include <chrono>
#include <functional>
#include <utility>

using namespace std::chrono_literals;

namespace {
bool save(QQuickWindow *window, const QString &path)
{
    const QImage image = window ? window->grabWindow() : QImage();
    const bool written = !image.isNull() && image.save(path, "PNG");
    QTextStream(stderr) << (written ? "wrote " : "could not write ") << path << "\n";
    return written;
}

QCoro::Task<bool> waitUntil(std::function<bool()> done, std::chrono::milliseconds limit)
{
    for (auto waited = 0ms; waited < limit; waited += 20ms) {
        if (done())
            co_return true;
        co_await QCoro::sleepFor(20ms);
    }
    co_return done();
}

// Every item drawn under root. Items a Repeater builds are not QObject children of the
// window's root, so findChildren() misses the launcher's controls.
QList<QQuickItem *> itemsUnder(QQuickItem *root)
{
    QList<QQuickItem *> items{root};
    for (qsizetype i = 0; i < items.size(); ++i)
        items.append(items.at(i)->childItems());
    return items;
}

// A scene to show: the first with an illustration, else the first.
SceneEntry *showcase(const SceneListModel &scenes, int skip = 0)
{
    for (int row = 0; row < scenes.count(); ++row) {
        if (!scenes.at(row)->sceneArt().isEmpty() && skip-- == 0)
            return scenes.at(row);
    }
    return scenes.at(0);
}

// The catalogue with one more track for the scene, a copy of its first at an address nothing
// answers.
QByteArray withUnservedTrack(const QByteArray &catalogue, const QString &sceneId)
{
    QJsonObject top = QJsonDocument::fromJson(catalogue).object();
    QJsonArray playlists = top.value(QLatin1String("playlists")).toArray();
    QJsonArray tracks = top.value(QLatin1String("tracks")).toArray();
    for (qsizetype i = 0; i < playlists.size(); ++i) {
        QJsonObject scene = playlists.at(i).toObject();
        if (scene.value(QLatin1String("id")).toString() != sceneId)
            continue;
        QJsonArray ids = scene.value(QLatin1String("trackIds")).toArray();
        for (const QJsonValue track : std::as_const(tracks)) {
            QJsonObject added = track.toObject();
            if (ids.isEmpty() || added.value(QLatin1String("id")) != ids.first())
                continue;
            const QString id = added.value(QLatin1String("id")).toString() + QLatin1String("-new");
            added.insert(QLatin1String("id"), id);
            added.insert(QLatin1String("url"), QLatin1String("http://127.0.0.1:9/unserved.mp3"));
            tracks.append(added);
            ids.append(id);
            break;
        }
        scene.insert(QLatin1String("trackIds"), ids);
        playlists.replace(i, scene);
    }
    top.insert(QLatin1String("playlists"), playlists);
    top.insert(QLatin1String("tracks"), tracks);
    return QJsonDocument(top).toJson();
}
} // namespace

QCoro::Task<bool> LauncherShots::take(QString folder, ShellWindows &windows, ViewServices &services)
{
    SceneListModel &scenes = *services.scenes();
    if (scenes.count() < 2)
        co_return true; // nothing to show without a catalogue
    QPointer<ShellWindows> alive(&windows);
    const QDir dir(folder);
    const bool onboardingWas = services.settings()->onboardingCompleted();
    bool all = true;

    // The first run: welcome, then the scene picker with two scenes picked.
    windows.closeLauncher();
    services.settings()->setOnboardingCompleted(false);
    co_await QCoro::sleepFor(100ms);
    windows.openLauncher();
    co_await QCoro::sleepFor(1500ms);
    if (!alive || !windows.launcher())
        co_return false;
    QQuickItem *root = windows.launcher()->rootObject();
    auto *onboarding = root ? root->findChild<OnboardingModel *>() : nullptr;
    all = save(windows.launcher(), dir.filePath(QStringLiteral("onboarding-welcome.png"))) && all;
    if (onboarding) {
        onboarding->start();
        for (const QString &id : {scenes.at(0)->id(), scenes.at(1)->id()}) {
            if (!onboarding->isSelected(id))
                onboarding->toggle(id);
        }
    }
    co_await QCoro::sleepFor(1200ms);
    if (!alive || !windows.launcher())
        co_return false;
    all = save(windows.launcher(), dir.filePath(QStringLiteral("onboarding-scenes.png"))) && all;

    // A scene playing, then the drawer with a preview and a pack chosen.
    services.settings()->setOnboardingCompleted(true);
    SceneEntry *playing = showcase(scenes);
    services.player()->playScene(playing->id());
    co_await waitUntil([&services] { return services.player()->isPlaying(); }, 10s);
    co_await QCoro::sleepFor(1500ms);
    if (!alive || !windows.launcher())
        co_return false;
    all = save(windows.launcher(), dir.filePath(QStringLiteral("launcher-playing.png"))) && all;

    SceneEntry *previewed = showcase(scenes, 1);
    root->setProperty("drawerOpen", true);
    root->setProperty("previewId", previewed->id());
    if (auto *drawer = root->findChild<SceneDrawerModel *>();
        drawer && !previewed->pack().isEmpty())
        drawer->setSelectedPack(previewed->pack());
    co_await QCoro::sleepFor(1500ms);
    if (!alive || !windows.launcher())
        co_return false;
    all = save(windows.launcher(), dir.filePath(QStringLiteral("launcher-drawer.png"))) && all;

    // Keeping the previewed scene offline: the pin button, reached with the keyboard, shows
    // its progress.
    for (QQuickItem *item : itemsUnder(root))
        if (item->property("accessibleName").toString().endsWith(QLatin1String("for offline")))
            item->forceActiveFocus(Qt::TabFocusReason);
    PinService &pins = *services.pins();
    if (!pins.isPinned(previewed->id()))
        pins.togglePin(previewed->id());
    co_await waitUntil(
        [&pins] { return pins.pinTracksDone() > 0 || !pins.pinningPlaylistId().isEmpty(); }, 5s);
    if (!alive || !windows.launcher())
        co_return false;
    all = save(windows.launcher(), dir.filePath(QStringLiteral("launcher-pinning.png"))) && all;

    // The catalogue gains a track for the pinned scene, one its host cannot serve: the drawer
    // tells the scene is updating. The catalogue goes back as it was afterwards. The starter
    // installed with the app has no downloaded catalogue to change.
    const QString sceneId = previewed->id();
    co_await waitUntil(
        [&pins, sceneId] { return pins.isPinned(sceneId) && pins.pinningPlaylistId().isEmpty(); },
        60s);
    if (!alive || !windows.launcher())
        co_return false;
    LibraryService &library = *services.library();
    const QString manifestFile = services.cache()->locations().manifestFile();
    QFile saved(manifestFile);
    if (!library.showsStarter() && pins.isPinned(sceneId) && saved.open(QIODevice::ReadOnly)) {
        const QByteArray catalogueWas = saved.readAll();
        saved.close();
        FileWriter::writeWhole(manifestFile, withUnservedTrack(catalogueWas, sceneId));
        library.loadCachedManifest();
        all = co_await waitUntil([&pins, sceneId] { return pins.updating(sceneId).has_value(); },
                                 5s) &&
              all;
        co_await QCoro::sleepFor(800ms);
        if (!alive || !windows.launcher())
            co_return false;
        all = save(windows.launcher(), dir.filePath(QStringLiteral("launcher-pin-updating.png"))) &&
              all;
        FileWriter::writeWhole(manifestFile, catalogueWas);
        library.loadCachedManifest();
    }

    // The mixer popover, opened from its pill near the right edge, at the smallest window and
    // a large one; then the window maximised, which the picture fills.
    root->setProperty("drawerOpen", false);
    QPointer<QQuickItem> mixer;
    for (QQuickItem *item : itemsUnder(root))
        if (item->objectName() == QLatin1String("mixerPill"))
            mixer = item;
    const std::pair<QSize, QString> sizes[] = {
        {LauncherWindow::smallestSize, QStringLiteral("launcher-mixer-smallest.png")},
        {QSize(1600, 900), QStringLiteral("launcher-mixer-large.png")}};
    for (const auto &[size, name] : sizes) {
        windows.launcher()->resize(size);
        co_await waitUntil(
            [&] { return !alive || !windows.launcher() || windows.launcher()->size() == size; },
            3s);
        if (mixer)
            mixer->setProperty("isOpen", true);
        co_await QCoro::sleepFor(800ms);
        if (!alive || !windows.launcher())
            co_return false;
        all = mixer && save(windows.launcher(), dir.filePath(name)) && all;
        if (mixer)
            mixer->setProperty("isOpen", false);
    }
    windows.launcher()->showMaximized();
    co_await waitUntil(
        [&] {
            return !alive || !windows.launcher() || windows.launcher()->size() != QSize(1600, 900);
        },
        3s);
    co_await QCoro::sleepFor(1000ms);
    if (!alive || !windows.launcher())
        co_return false;
    all = save(windows.launcher(), dir.filePath(QStringLiteral("launcher-maximised.png"))) && all;
    windows.launcher()->showNormal();
    windows.launcher()->resize(LauncherWindow::initialSize);

    services.settings()->setOnboardingCompleted(onboardingWas);
    co_return all;
}
