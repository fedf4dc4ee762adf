// The launcher as the app builds it (real services over a temporary folder, a silent engine,
// a loopback catalogue of twelve illustrated scenes), in one of four modes:
//   alone <seconds>    the launcher open on an illustrated scene, nothing else
//   drawer <seconds>   the same with the scene drawer open: twelve animated tiles
//   frames             opens the drawer ten times; prints the longest frame of each opening
//   firstframe         opens the launcher ten times; prints open → first frame of each
// bench/launcher.sh runs them side by side and turns them into ratios.
#include "FrameTimes.h"
#include "support/AppFixture.h"
#include "support/TestCatalogue.h"
#include "support/TestHttpServer.h"
#include "ui/Resources.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QQuickItem>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>

using FrameTimes::print;
using FrameTimes::waitFor;
using FrameTimes::waitUntil;

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString mode = args.value(1);
    const int seconds = args.value(2).toInt();
    if (!QStringList{"alone", "drawer", "frames", "firstframe"}.contains(mode) ||
        (mode == "alone" || mode == "drawer") != (seconds > 0)) {
        std::fprintf(stderr,
                     "usage: launcher_window alone|drawer <seconds> | frames | firstframe\n");
        return 2;
    }
    Resources::init();

    TestHttpServer server;
    QList<std::pair<QString, QStringList>> scenes;
    for (int i = 0; i < 12; ++i)
        scenes.append({QStringLiteral("scene-%1").arg(i), {QStringLiteral("track-%1").arg(i)}});
    Manifest manifest = servedCatalogue(server, scenes);
    for (int i = 0; i < manifest.playlists.size(); ++i)
        manifest.playlists[i].sceneArt = SceneArt::allCases[size_t(i) % SceneArt::allCases.size()];
    server.serve("/manifest.json", 200, catalogueJson(manifest));

    AppFixture fixture("{\"onboardingCompleted\": true}");
    fixture.start(server.url("/manifest.json"));
    fixture.startShell();
    if (!waitUntil([&] { return fixture.views->scenes()->count() == 12; }, 10000)) {
        std::fprintf(stderr, "the catalogue did not load\n");
        return 1;
    }
    ShellWindows &windows = *fixture.windows;

    if (mode == "firstframe") {
        QList<double> times;
        for (int i = 0; i < 10; ++i) {
            // Owned by the handler: a queued frame may arrive after it is disconnected.
            const auto first = std::make_shared<std::optional<double>>();
            QElapsedTimer clock;
            clock.start();
            windows.openLauncher();
            const auto frame = QObject::connect(windows.launcher(), &QQuickWindow::frameSwapped,
                                                windows.launcher(), [first, clock] {
                                                    if (!*first)
                                                        *first = double(clock.nsecsElapsed()) / 1e6;
                                                });
            waitUntil([&] { return first->has_value(); }, 10000);
            QObject::disconnect(frame);
            if (*first)
                times.append(**first);
            waitFor(300);
            windows.closeLauncher();
            waitFor(300);
        }
        print("open to first frame", times);
        return 0;
    }

    windows.openLauncher();
    waitFor(2000);
    QQuickItem *root = windows.launcher()->rootObject();
    if (mode == "frames") {
        // The longest frame until the drawer is fully in (the slide lasts under half a
        // second). The floor is the same launcher with the drawer closed, made to draw frame
        // after frame for 700 ms: what any frame of this window costs on this machine at this
        // moment, drawer or not.
        QQuickWindow *window = windows.launcher();
        QQuickItem *drawer = nullptr;
        for (QQuickItem *item : root->findChildren<QQuickItem *>())
            if (item->property("coveredWidth").isValid())
                drawer = item;
        if (!drawer) {
            std::fprintf(stderr, "the launcher has no drawer\n");
            return 1;
        }
        auto longestFrame = [&](bool opening) {
            if (opening)
                return FrameTimes::longestFrame(
                    window, 700, [&] { root->setProperty("drawerOpen", true); }, {},
                    [&] {
                        return drawer->property("coveredWidth").toDouble() >=
                               drawer->property("panelWidth").toDouble();
                    });
            return FrameTimes::longestFrame(
                window, 700, [&] { window->update(); }, [&] { window->update(); });
        };
        QList<double> longest, floor;
        for (int i = 0; i < 10; ++i) {
            floor.append(longestFrame(false));
            waitFor(300);
            longest.append(longestFrame(true));
            root->setProperty("drawerOpen", false);
            waitFor(1000);
        }
        print("longest frame while the drawer opens", longest);
        print("    floor, the closed launcher redrawn", floor);
        return 0;
    }
    if (mode == "drawer")
        root->setProperty("drawerOpen", true);
    int frames = 0;
    QObject::connect(windows.launcher(), &QQuickWindow::frameSwapped, [&frames] { ++frames; });
    QTimer::singleShot(seconds * 1000, &app, &QCoreApplication::quit);
    const int status = app.exec();
    std::printf("%s: %.1f frames a second, the pictures' clock %s\n", qPrintable(mode),
                frames / double(seconds),
                fixture.views->artClock()->isRunning() ? "ran" : "was idle");
    return status;
}
