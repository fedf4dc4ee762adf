// Tray click to the panel's first frame: the first click, which compiles the QML and builds the
// window and the view (in the app, loading the views' module comes before it), then the median of 10 more (the
// view is kept), then the process's CPU with the panel open and idle against closed,
// in alternating windows so both meet the same machine load. The app is the real one on a
// small served catalogue, with a silent audio engine; the click is xdotool's, on the icon's
// window under the session's tray host.
#include "support/AppFixture.h"
#include "support/TestCatalogue.h"
#include "support/TestSupport.h"
#include "ui/shell/ClickOutsideMonitor.h"
#include "ui/shell/MenuBarController.h"
#include "ui/shell/PanelWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QProcess>
#include <QQuickView>
#include <QSystemTrayIcon>
#include <QTest>
#include <algorithm>
#include <sys/resource.h>

namespace {
double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval &t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    return n % 2 ? values.at(n / 2) : (values.at(n / 2 - 1) + values.at(n / 2)) / 2;
}

// Runs the event loop for a while and nothing else (QTest::qWait polls, which would be
// counted).
void idle(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void click(QPoint at)
{
    QProcess::execute(QStringLiteral("xdotool"),
                      {QStringLiteral("mousemove"), QString::number(at.x()),
                       QString::number(at.y()), QStringLiteral("click"), QStringLiteral("1")});
}
} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QTextStream out(stdout);

    TestHttpServer server;
    const Manifest manifest = servedCatalogue(
        server, {{"cozy", {"t1"}}, {"rain", {"t2"}}, {"cafe", {"t3"}}, {"dusk", {"t4"}}});
    server.serve("/manifest.json", 200, catalogueJson(manifest));
    AppFixture app;
    app.start(server.url("/manifest.json"));
    app.startShell();
    MenuBarController &menuBar = *app.menuBar;
    if (!QTest::qWaitFor([&] { return app.views->scenes()->count() > 0; }, 10000) ||
        !QTest::qWaitFor(
            [&] {
                const QRect icon = menuBar.iconGeometry();
                return icon.isValid() && icon.topLeft() != QPoint(0, 0);
            },
            10000)) {
        out << "no catalogue or no tray icon (run it inside ./dev session)\n";
        return 1;
    }
    const QPoint icon = menuBar.iconGeometry().center();
    idle(3000); // the compile ahead is over, as in an app idle in the tray

    QElapsedTimer clock;
    qint64 activated = -1, framed = -1;
    QObject::connect(menuBar.trayIcon(), &QSystemTrayIcon::activated, &menuBar,
                     [&] { activated = clock.nsecsElapsed(); });
    // The window exists from the first showing on; its frames are followed from then.
    QMetaObject::Connection frames;
    QObject::connect(&menuBar, &MenuBarController::panelVisibleChanged, &menuBar, [&] {
        if (!frames && menuBar.isPanelVisible())
            frames = QObject::connect(&PanelWindow::of(menuBar), &QQuickWindow::frameSwapped, &menuBar,
                                      [&] {
                                          if (framed < 0)
                                              framed = clock.nsecsElapsed();
                                      });
    });
    double firstFromClick = 0, firstFromActivation = 0;
    QList<double> fromClick, fromActivation;
    for (int round = 0; round < 11; ++round) {
        activated = framed = -1;
        clock.start();
        click(icon);
        if (!QTest::qWaitFor([&] { return framed >= 0 && menuBar.isPanelVisible(); }, 5000)) {
            out << "the panel did not open\n";
            return 1;
        }
        (round == 0 ? firstFromClick : fromClick.emplaceBack()) = framed / 1e6;
        (round == 0 ? firstFromActivation : fromActivation.emplaceBack()) =
            (framed - activated) / 1e6;
        menuBar.hidePanel();
        QTest::qWait(300);
    }
    out << QStringLiteral("first click to first frame   %1 ms (tray activation to first frame "
                          "%2 ms)\n")
               .arg(firstFromClick, 0, 'f', 1)
               .arg(firstFromActivation, 0, 'f', 1);
    out << QStringLiteral("click to first frame   median %1 ms (min %2, max %3; xdotool's own "
                          "start included)\n")
               .arg(median(fromClick), 0, 'f', 1)
               .arg(*std::min_element(fromClick.begin(), fromClick.end()), 0, 'f', 1)
               .arg(*std::max_element(fromClick.begin(), fromClick.end()), 0, 'f', 1);
    out << QStringLiteral("tray activation to first frame   median %1 ms\n")
               .arg(median(fromActivation), 0, 'f', 1);
    out.flush();

    // CPU: four 5 s windows each, closed and open in turn, after a settling second.
    double closed = 0, open = 0;
    for (int window = 0; window < 8; ++window) {
        const bool showing = window % 2 == 1;
        if (showing)
            menuBar.showPanel();
        else
            menuBar.hidePanel();
        idle(1000);
        const double before = cpuSeconds();
        idle(5000);
        (showing ? open : closed) += cpuSeconds() - before;
    }
    out << QStringLiteral("CPU over 20 s   closed %1 s   open and idle %2 s   ratio %3\n")
               .arg(closed, 0, 'f', 3)
               .arg(open, 0, 'f', 3)
               .arg(closed > 0 ? open / closed : 0.0, 0, 'f', 2);
    return 0;
}
