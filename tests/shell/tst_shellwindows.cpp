#include "Duskhaven/AppEnvironment.h"
#include "Duskhaven/RecordStore.h"
#include "Duskhaven/SettingsStore.h"
#include "ui/shell/QmlHost.h"
#include "ui/shell/ShellWindows.h"
#include "ui/theme/DesktopColorScheme.h"

#include <QDBusConnection>
#include <QFile>
#include <QGuiApplication>
#include <QJsonObject>
#include <QQmlContext>
#include <QQmlExpression>
#include <QQuickItem>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {
// The environment and the QML host the windows are built from, in a folder of their own.
struct Shell
{
    QTemporaryDir dir;
    std::unique_ptr<SettingsStore> settings;
    std::unique_ptr<RecordStore> store;
    std::unique_ptr<AppEnvironment> environment;
    std::unique_ptr<DesktopColorScheme> desktop;
    std::unique_ptr<QmlHost> qml;
    std::unique_ptr<ShellWindows> windows;

    // `settingsJson` is the settings file as a person might have left it.
    explicit Shell(const QByteArray &settingsJson = "{}")
    {
        QFile file(dir.filePath(QStringLiteral("settings.json")));
        if (file.open(QIODevice::WriteOnly))
            file.write(settingsJson);
        file.close();
        settings = std::make_unique<SettingsStore>(dir.filePath(QStringLiteral("settings.json")));
        store = std::make_unique<RecordStore>(dir.filePath(QStringLiteral("records.sqlite")));
        environment = std::make_unique<AppEnvironment>(
            *store, *settings,
            AppEnvironment::Options{FileLocations(dir.filePath(QStringLiteral("data"))),
                                    QUrl(QStringLiteral("http://127.0.0.1:1/manifest.json"))});
        desktop = std::make_unique<DesktopColorScheme>(QDBusConnection::sessionBus());
        qml = std::make_unique<QmlHost>(*environment, *desktop);
        windows = std::make_unique<ShellWindows>(*environment, *qml);
        qml->setContextObject(QStringLiteral("windows"), windows.get());
    }
};

bool isSixteenByNine(QSize size)
{
    return std::abs(size.width() * 9 - size.height() * 16) <= 16;
}
} // namespace

class TestShellWindows : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void coldStartRule_data()
    {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<bool>("first");
        QTest::newRow("never written") << QByteArray("{}") << true;
        QTest::newRow("false") << QByteArray("{\"openLauncherOnLaunch\": false}") << false;
        QTest::newRow("true") << QByteArray("{\"openLauncherOnLaunch\": true}") << true;
        QTest::newRow("a string") << QByteArray("{\"openLauncherOnLaunch\": \"no\"}") << true;
        QTest::newRow("a number") << QByteArray("{\"openLauncherOnLaunch\": 0}") << true;
    }

    void coldStartRule()
    {
        QFETCH(QByteArray, settings);
        QFETCH(bool, first);
        QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("settings.json")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(settings);
        file.close();
        SettingsStore store(file.fileName());

        bool didHandleColdStart = false;
        QCOMPARE(ShellWindows::keepLauncherOnAppearance(store, didHandleColdStart), first);
        QVERIFY(didHandleColdStart);
        // Only the process's first appearance asks the setting.
        QVERIFY(ShellWindows::keepLauncherOnAppearance(store, didHandleColdStart));
    }

    void launcherAtLaunchFollowsTheRule_data() { coldStartRule_data(); }

    void launcherAtLaunchFollowsTheRule()
    {
        QFETCH(QByteArray, settings);
        QFETCH(bool, first);
        Shell shell(settings);
        shell.windows->openLauncherAtLaunch();
        QCOMPARE(shell.windows->isLauncherOpen(), first);
        QCOMPARE(shell.windows->launcher() != nullptr, first);

        // Asked for later (tray, panel, address): always shown.
        shell.windows->openLauncher();
        QVERIFY(shell.windows->isLauncherOpen());
        QVERIFY(QTest::qWaitForWindowExposed(shell.windows->launcher()));
    }

    void launcherWindowAndItsLifetime()
    {
        Shell shell;
        QSignalSpy open(shell.windows.get(), &ShellWindows::launcherOpenChanged);
        shell.windows->openLauncher();
        LauncherWindow *launcher = shell.windows->launcher();
        QVERIFY(QTest::qWaitForWindowExposed(launcher));
        QCOMPARE(launcher->title(), QStringLiteral("dusk-haven"));
        QCOMPARE(launcher->size(), QSize(1280, 720));
        QCOMPARE(launcher->minimumSize(), QSize(880, 495));
        QVERIFY(!(launcher->flags() & Qt::FramelessWindowHint));
        QVERIFY(launcher->rootObject());
        QCOMPARE(launcher->rootObject()->size(), QSizeF(1280, 720));

        // Opening it again brings the same window forward.
        shell.windows->openLauncher();
        QCOMPARE(shell.windows->launcher(), launcher);

        // Closing drops the window (its view state starts afresh next time); the app lives on.
        QPointer<LauncherWindow> closed(launcher);
        launcher->close();
        QTRY_VERIFY(closed.isNull());
        QVERIFY(!shell.windows->isLauncherOpen());
        QCOMPARE(open.count(), 2);
        shell.windows->openLauncher();
        QVERIFY(shell.windows->launcher());
        QVERIFY(QTest::qWaitForWindowExposed(shell.windows->launcher()));
    }

    void launcherKeepsSixteenByNine()
    {
        Shell shell;
        shell.windows->openLauncher();
        LauncherWindow *launcher = shell.windows->launcher();
        QVERIFY(QTest::qWaitForWindowExposed(launcher));

        launcher->resize(1000, 700);
        QTRY_VERIFY2(
            isSixteenByNine(launcher->size()) && launcher->width() >= 880,
            qPrintable(QStringLiteral("%1x%2").arg(launcher->width()).arg(launcher->height())));
        launcher->resize(600, 400);
        QTRY_COMPARE(launcher->size(), QSize(880, 495));
    }

    void lockedSizeArithmetic_data()
    {
        QTest::addColumn<QSize>("requested");
        QTest::addColumn<QSize>("previous");
        QTest::addColumn<QSize>("expected");
        QTest::newRow("width dragged") << QSize(1600, 720) << QSize(1280, 720) << QSize(1600, 900);
        QTest::newRow("height dragged") << QSize(1280, 900) << QSize(1280, 720) << QSize(1600, 900);
        QTest::newRow("both, width more")
            << QSize(1400, 760) << QSize(1280, 720) << QSize(1400, 788);
        QTest::newRow("first size") << QSize(1280, 600) << QSize() << QSize(1280, 720);
        QTest::newRow("below the minimum")
            << QSize(700, 720) << QSize(1280, 720) << QSize(880, 495);
        QTest::newRow("already 16:9") << QSize(1920, 1080) << QSize(1280, 720) << QSize(1920, 1080);
    }

    void lockedSizeArithmetic()
    {
        QFETCH(QSize, requested);
        QFETCH(QSize, previous);
        QFETCH(QSize, expected);
        QCOMPARE(LauncherWindow::lockedSize(requested, previous), expected);
    }

    void settingsWindow()
    {
        Shell shell;
        shell.windows->openSettings();
        SettingsWindow *settings = shell.windows->settingsWindow();
        QVERIFY(QTest::qWaitForWindowExposed(settings));
        QCOMPARE(settings->title(), QStringLiteral("Settings"));
        QCOMPARE(settings->size(), QSize(420, 600));
        QVERIFY(settings->flags() & Qt::FramelessWindowHint);
        QVERIFY(settings->flags() & Qt::WindowStaysOnTopHint);
        const QRect area = settings->screen()->availableGeometry();
        QTRY_VERIFY((settings->geometry().center() - area.center()).manhattanLength() <= 2);

        // Escape closes it, and the window is dropped.
        QPointer<SettingsWindow> window(settings);
        QTRY_VERIFY(settings->isActive());
        QTest::keyClick(settings, Qt::Key_Escape);
        QTRY_VERIFY(window.isNull());
        QVERIFY(!shell.windows->isSettingsOpen());
    }

    void viewsSeeTheirPalette()
    {
        Shell shell;
        shell.windows->openSettings();
        QQuickItem *root = shell.windows->settingsWindow()->rootObject();
        QVERIFY(root);
        // What the QML of the window sees under each name.
        const auto seen = [root](const char *name) {
            QQmlExpression expression(qmlContext(root), root, QString::fromLatin1(name));
            return expression.evaluate().value<QObject *>();
        };
        QCOMPARE(seen("theme"), &shell.qml->adaptivePalette());
        QCOMPARE(seen("environment"), shell.environment.get());
        QCOMPARE(seen("windows"), shell.windows.get());
        QVERIFY(seen("symbols"));
    }
};

QTEST_MAIN(TestShellWindows)
#include "tst_shellwindows.moc"
