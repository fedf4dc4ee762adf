#include "support/AppFixture.h"
#include "ui/shell/PanelPlacement.h"

#include <QQmlContext>
#include <QQmlExpression>
#include <QQuickItem>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

class TestShellWindows : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Turned off, the launcher is not even built at launch. (Shown when on or unreadable: the
    // launcher's end-to-end test, whose first run starts in it.)
    void launcherAtLaunchFollowsTheColdStartRule()
    {
        AppFixture app("{\"openLauncherOnLaunch\": false}");
        app.startShell();
        app.windows->openLauncherAtLaunch();
        QVERIFY(!app.windows->isLauncherOpen());
        QVERIFY(!app.windows->launcher());

        // Asked for later (tray, panel, address): always shown.
        app.windows->openLauncher();
        QVERIFY(QTest::qWaitForWindowExposed(app.windows->launcher()));
    }

    void launcherWindowKeepsSixteenByNineAndClosesToTheTray()
    {
        AppFixture app;
        app.startShell();
        QSignalSpy open(app.windows, &ShellWindows::launcherOpenChanged);
        app.windows->openLauncher();
        LauncherWindow *launcher = app.windows->launcher();
        QVERIFY(QTest::qWaitForWindowExposed(launcher));
        QCOMPARE(launcher->size(), QSize(1280, 720));
        QCOMPARE(launcher->rootObject()->size(), QSizeF(1280, 720));
        app.windows->openLauncher(); // brings the same window forward
        QCOMPARE(app.windows->launcher(), launcher);

        launcher->resize(1000, 700);
        QTRY_VERIFY2(
            std::abs(launcher->width() * 9 - launcher->height() * 16) <= 16,
            qPrintable(QStringLiteral("%1x%2").arg(launcher->width()).arg(launcher->height())));
        // The window manager answers each request in turn; let it answer this one first.
        QTest::qWait(200);
        launcher->resize(600, 400);
        QTRY_COMPARE(launcher->size(), QSize(880, 495));

        // Closing drops the window (its view state starts afresh next time); the app lives on.
        QPointer<LauncherWindow> closed(launcher);
        launcher->close();
        QTRY_VERIFY(closed.isNull());
        QVERIFY(!app.windows->isLauncherOpen());
        QCOMPARE(open.count(), 2);
        app.windows->openLauncher();
        QVERIFY(QTest::qWaitForWindowExposed(app.windows->launcher()));
    }

    void lockedSizeArithmetic()
    {
        const auto lockedSize = &LauncherWindow::lockedSize;
        QCOMPARE(lockedSize({1280, 900}, {1280, 720}), QSize(1600, 900)); // height dragged
        QCOMPARE(lockedSize({1400, 760}, {1280, 720}), QSize(1400, 788)); // both, width more
        QCOMPARE(lockedSize({1280, 600}, {}), QSize(1280, 720));          // the first size
    }

    void settingsWindowFloatsCentredAndSeesTheViewObjects()
    {
        AppFixture app;
        app.startShell();
        app.windows->openSettings();
        SettingsWindow *settings = app.windows->settingsWindow();
        QVERIFY(QTest::qWaitForWindowExposed(settings));
        QCOMPARE(settings->size(), QSize(420, 600));
        QVERIFY(settings->flags() & Qt::WindowStaysOnTopHint);
        const QRect area = settings->screen()->availableGeometry();
        QTRY_VERIFY((settings->geometry().center() - area.center()).manhattanLength() <= 2);

        // What the window's QML sees under each name.
        QQuickItem *root = settings->rootObject();
        const auto seen = [root](const char *name) {
            return QQmlExpression(qmlContext(root), root, QString::fromLatin1(name))
                .evaluate()
                .value<QObject *>();
        };
        QCOMPARE(seen("Theme.palette"), &app.qml->adaptivePalette());
        QCOMPARE(seen("services"), app.views);

        // Escape closes it, and the window is dropped.
        QPointer<SettingsWindow> window(settings);
        QTRY_VERIFY(settings->isActive());
        QTest::keyClick(settings, Qt::Key_Escape);
        QTRY_VERIFY(window.isNull());
        QVERIFY(!app.windows->isSettingsOpen());
    }

    void placement_data()
    {
        QTest::addColumn<QSize>("panel");
        QTest::addColumn<std::optional<QRect>>("icon");
        QTest::addColumn<QPoint>("pointer");
        QTest::addColumn<QRect>("screen");
        QTest::addColumn<QRect>("available");
        QTest::addColumn<QPoint>("expected");

        const QRect belowTopBar(0, 28, 1920, 1052);
        const QRect aboveBottomBar(0, 0, 1920, 1040);
        const QPoint nowhere(5, 5);
        const auto row = [](const char *name, std::optional<QRect> icon, QPoint pointer,
                            QRect available, QPoint expected, QRect screen = {0, 0, 1920, 1080},
                            QSize panel = {360, 500}) {
            QTest::newRow(name) << panel << icon << pointer << screen << available << expected;
        };

        // Centred under the icon, 2 px below it.
        row("tray at the top", QRect(900, 2, 24, 24), nowhere, belowTopBar, {912 - 180, 26 + 2});
        row("tray at the bottom, no room reserved", QRect(900, 1050, 24, 24), nowhere,
            {0, 0, 1920, 1080}, {912 - 180, 1050 - 2 - 500});
        row("icon at the right edge", QRect(1890, 2, 24, 24), nowhere, belowTopBar,
            {1920 - 360, 28});
        // The bar's strip is outside the available area: the panel stops above it.
        row("icon at the left edge, tray at the bottom", QRect(4, 1050, 24, 24), nowhere,
            aboveBottomBar, {0, 1040 - 500});
        // A StatusNotifier host keeps the icon's place to itself: the pointer stands in.
        row("unknown icon, pointer at the top", std::nullopt, {700, 12}, belowTopBar,
            {700 - 180, 28});
        row("empty icon rectangle counts as unknown", QRect(), {700, 1070}, aboveBottomBar,
            {700 - 180, 1040 - 500});
        // A second screen to the right of the first, its own coordinates.
        row("second screen", QRect(3800, 0, 22, 22), nowhere, {1920, 24, 1920, 1056},
            {3840 - 360, 24}, {1920, 0, 1920, 1080});
        // Taller than the room left: the top stays on screen.
        row("panel taller than the area", QRect(900, 1050, 24, 24), nowhere, aboveBottomBar,
            {732, 0}, {0, 0, 1920, 1080}, {360, 1200});
    }

    void placement()
    {
        QFETCH(QSize, panel);
        QFETCH(std::optional<QRect>, icon);
        QFETCH(QPoint, pointer);
        QFETCH(QRect, screen);
        QFETCH(QRect, available);
        QFETCH(QPoint, expected);
        QCOMPARE(PanelPlacement::position({panel, icon, pointer, screen, available}), expected);
    }
};

QTEST_MAIN(TestShellWindows)
#include "tst_shellwindows.moc"
