#include "support/AppFixture.h"

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
    void launcherAtLaunchFollowsTheColdStartRule_data()
    {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<bool>("shown");
        QTest::newRow("never written") << QByteArray("{}") << true;
        QTest::newRow("false") << QByteArray("{\"openLauncherOnLaunch\": false}") << false;
        QTest::newRow("a string") << QByteArray("{\"openLauncherOnLaunch\": \"no\"}") << true;
    }

    void launcherAtLaunchFollowsTheColdStartRule()
    {
        QFETCH(QByteArray, settings);
        QFETCH(bool, shown);
        AppFixture app(settings);
        app.startShell();
        app.windows->openLauncherAtLaunch();
        QCOMPARE(app.windows->isLauncherOpen(), shown);
        QCOMPARE(app.windows->launcher() != nullptr, shown);

        // Asked for later (tray, panel, address): always shown.
        app.windows->openLauncher();
        QVERIFY(QTest::qWaitForWindowExposed(app.windows->launcher()));
    }

    void launcherWindowKeepsSixteenByNineAndClosesToTheTray()
    {
        AppFixture app;
        app.startShell();
        QSignalSpy open(app.windows.get(), &ShellWindows::launcherOpenChanged);
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

    void lockedSizeArithmetic_data()
    {
        QTest::addColumn<QSize>("requested");
        QTest::addColumn<QSize>("previous");
        QTest::addColumn<QSize>("expected");
        QTest::newRow("height dragged") << QSize(1280, 900) << QSize(1280, 720) << QSize(1600, 900);
        QTest::newRow("both, width more")
            << QSize(1400, 760) << QSize(1280, 720) << QSize(1400, 788);
        QTest::newRow("first size") << QSize(1280, 600) << QSize() << QSize(1280, 720);
    }

    void lockedSizeArithmetic()
    {
        QFETCH(QSize, requested);
        QFETCH(QSize, previous);
        QFETCH(QSize, expected);
        QCOMPARE(LauncherWindow::lockedSize(requested, previous), expected);
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
        QCOMPARE(seen("theme"), &app.qml->adaptivePalette());
        QCOMPARE(seen("environment"), app.environment.get());
        QCOMPARE(seen("windows"), app.windows.get());
        QVERIFY(seen("symbols"));

        // Escape closes it, and the window is dropped.
        QPointer<SettingsWindow> window(settings);
        QTRY_VERIFY(settings->isActive());
        QTest::keyClick(settings, Qt::Key_Escape);
        QTRY_VERIFY(window.isNull());
        QVERIFY(!app.windows->isSettingsOpen());
    }
};

QTEST_MAIN(TestShellWindows)
#include "tst_shellwindows.moc"
