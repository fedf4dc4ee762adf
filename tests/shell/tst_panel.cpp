#include "Duskhaven/AppEnvironment.h"
#include "Duskhaven/RecordStore.h"
#include "Duskhaven/SettingsStore.h"
#include "ui/shell/MenuBarController.h"
#include "ui/shell/PanelPlacement.h"
#include "ui/shell/QmlHost.h"
#include "ui/shell/ShellWindows.h"
#include "ui/shell/X11ClickMonitor.h"
#include "ui/theme/DesktopColorScheme.h"

#include <QAction>
#include <QDBusConnection>
#include <QGuiApplication>
#include <QMenu>
#include <QProcess>
#include <QQuickView>
#include <QScreen>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTest>

namespace {
// The real X11 monitor, counted: how often the controller installs one. It can also report a
// press itself, to put presses in an order the display would not promise.
class CountingMonitor : public ClickOutsideMonitor
{
public:
    explicit CountingMonitor(int &installs) : m_installs(installs) {}
    bool install(Handler handler) override
    {
        ++m_installs;
        m_handler = handler;
        return m_real.install(std::move(handler));
    }
    void remove() override
    {
        m_handler = nullptr;
        m_real.remove();
    }
    bool isInstalled() const override { return m_real.isInstalled(); }
    void report(QPoint position)
    {
        if (m_handler)
            m_handler(position);
    }

private:
    X11ClickMonitor m_real;
    Handler m_handler;
    int &m_installs;
};

// A real pointer click somewhere on the display, as another application would receive it.
void clickAt(QPoint position)
{
    QProcess::execute(QStringLiteral("xdotool"),
                      {QStringLiteral("mousemove"), QString::number(position.x()),
                       QString::number(position.y()), QStringLiteral("click"),
                       QStringLiteral("1")});
}
} // namespace

class TestPanel : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<SettingsStore> m_settings;
    std::unique_ptr<RecordStore> m_store;
    std::unique_ptr<AppEnvironment> m_environment;
    std::unique_ptr<DesktopColorScheme> m_desktop;
    std::unique_ptr<QmlHost> m_qml;
    std::unique_ptr<ShellWindows> m_windows;
    std::unique_ptr<MenuBarController> m_controller;
    int m_installs = 0;
    CountingMonitor *m_monitor = nullptr;

    QQuickView &panel() const { return m_controller->panel(); }
    QRect icon() const { return m_controller->trayIcon().geometry(); }

    // Opens the panel as a click on the icon does and waits until it has the keyboard.
    bool openAndFocus()
    {
        m_controller->togglePanel();
        return QTest::qWaitForWindowActive(&panel(), 5000);
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_settings =
            std::make_unique<SettingsStore>(m_dir.filePath(QStringLiteral("settings.json")));
        m_store = std::make_unique<RecordStore>(m_dir.filePath(QStringLiteral("records.sqlite")));
        m_environment = std::make_unique<AppEnvironment>(
            *m_store, *m_settings,
            AppEnvironment::Options{FileLocations(m_dir.filePath(QStringLiteral("data"))),
                                    QUrl(QStringLiteral("http://127.0.0.1:1/manifest.json"))});
        m_desktop = std::make_unique<DesktopColorScheme>(QDBusConnection::sessionBus());
        m_qml = std::make_unique<QmlHost>(*m_environment, *m_desktop);
        m_windows = std::make_unique<ShellWindows>(*m_environment, *m_qml);
        m_qml->setContextObject(QStringLiteral("windows"), m_windows.get());
        auto monitor = std::make_unique<CountingMonitor>(m_installs);
        m_monitor = monitor.get();
        m_controller = std::make_unique<MenuBarController>(*m_environment, *m_qml, *m_desktop,
                                                           std::move(monitor));
        m_environment->setMenuBar(m_controller.get());

        // The session's tray host speaks XEmbed, so the icon's place becomes known; before the
        // host has embedded it the icon reports the origin. The host sits at the top right.
        QTRY_VERIFY_WITH_TIMEOUT(icon().isValid() && icon().x() > 0, 10000);
    }

    void init()
    {
        if (m_controller->isPanelVisible())
            m_controller->hidePanel();
        QTest::qWait(500); // let a close by the previous case age past a same-press toggle
        m_installs = 0;
    }

    void menuOfTheTrayIcon()
    {
        QStringList texts;
        for (QAction *action : m_controller->menu().actions()) {
            if (!action->isSeparator())
                texts << action->text();
        }
        QCOMPARE(texts, (QStringList{"Open Dusk Haven", "Settings…", "Check for Updates…",
                                     "Quit Dusk Haven"}));
        QSignalSpy updates(m_controller.get(), &MenuBarController::checkForUpdatesRequested);
        m_controller->updateAction()->trigger();
        QCOMPARE(updates.count(), 1);
    }

    void toggleShowsUnderTheIconAndHides()
    {
        QSignalSpy visible(m_controller.get(), &MenuBarController::panelVisibleChanged);
        m_controller->togglePanel();
        QVERIFY(m_controller->isPanelVisible());
        QVERIFY(QTest::qWaitForWindowExposed(&panel()));
        QCOMPARE(panel().width(), 360);
        QVERIFY(panel().height() > 0);
        QVERIFY(panel().flags() & Qt::WindowStaysOnTopHint);
        QVERIFY(panel().flags() & Qt::FramelessWindowHint);

        // The tray runs along the top: centred under the icon, 2 px down, kept on screen.
        QScreen *screen = panel().screen();
        const QPoint expected = PanelPlacement::position(
            {panel().size(), icon(), QPoint(), screen->geometry(), screen->availableGeometry()});
        QTRY_COMPARE(panel().position(), expected);
        QCOMPARE(panel().y(), icon().bottom() + 1 + PanelPlacement::gap);
        QVERIFY(screen->availableGeometry().contains(panel().geometry()));
        QVERIFY(m_controller->hasClickOutsideMonitor());

        m_controller->togglePanel();
        QVERIFY(!m_controller->isPanelVisible());
        QVERIFY(!m_controller->hasClickOutsideMonitor());
        QCOMPARE(visible.count(), 2);
        QCOMPARE(m_installs, 1);
    }

    void showingAgainInstallsNoSecondMonitor()
    {
        m_controller->showPanel();
        m_controller->showPanel();
        QVERIFY(m_controller->isPanelVisible());
        QCOMPARE(m_installs, 1);
        QVERIFY(m_controller->hasClickOutsideMonitor());
        m_controller->hidePanel();
        QVERIFY(!m_controller->hasClickOutsideMonitor());
        m_controller->hidePanel();
        QCOMPARE(m_installs, 1);
    }

    void escapeHides()
    {
        QVERIFY(openAndFocus());
        QTest::keyClick(&panel(), Qt::Key_Escape);
        QVERIFY(!m_controller->isPanelVisible());
        QVERIFY(!m_controller->hasClickOutsideMonitor());
    }

    void otherKeysDoNotHide()
    {
        QVERIFY(openAndFocus());
        QTest::keyClick(&panel(), Qt::Key_A);
        QTest::keyClick(&panel(), Qt::Key_Escape, Qt::ShiftModifier);
        QVERIFY(m_controller->isPanelVisible());
    }

    void losingTheFocusHides()
    {
        QVERIFY(openAndFocus());
        QWindow other;
        other.setGeometry(100, 600, 200, 150);
        other.show();
        other.requestActivate();
        QTRY_VERIFY(!m_controller->isPanelVisible());
        QVERIFY(!m_controller->hasClickOutsideMonitor());
    }

    void clickElsewhereHides()
    {
        m_controller->togglePanel();
        QVERIFY(QTest::qWaitForWindowActive(&panel()));
        // On the tray host beside the icon: a dock takes no focus, so only the click-outside
        // monitor can see this click.
        const QPoint besideTheIcon(icon().left() - 12, icon().center().y());
        clickAt(besideTheIcon);
        QTRY_VERIFY(!m_controller->isPanelVisible());
        QVERIFY(!m_controller->hasClickOutsideMonitor());
    }

    void clickInsideTheCardKeepsIt()
    {
        m_controller->togglePanel();
        QVERIFY(QTest::qWaitForWindowExposed(&panel()));
        QTRY_VERIFY(panel().isActive());
        clickAt(panel().geometry().topLeft() + QPoint(300, 60)); // beside the title
        QTest::qWait(600);
        QVERIFY(m_controller->isPanelVisible());
    }

    // The second click on the icon closes the panel and is not taken for a click outside too
    // (which would have closed it first and let the icon's click open it again).
    void secondClickOnTheIconCloses()
    {
        clickAt(icon().center());
        QTRY_VERIFY(m_controller->isPanelVisible());
        QTest::qWait(600);
        clickAt(icon().center());
        QTRY_VERIFY(!m_controller->isPanelVisible());
        QTest::qWait(600);
        QVERIFY(!m_controller->isPanelVisible());
        QVERIFY(!m_controller->hasClickOutsideMonitor());
        clickAt(icon().center());
        QTRY_VERIFY(m_controller->isPanelVisible());
    }

    // Whichever comes first, the monitor's report of the press on the icon or the icon's own
    // click, the panel ends up closed.
    void pressOnTheIconIsNotAClickOutside()
    {
        m_controller->togglePanel();
        QVERIFY(QTest::qWaitForWindowExposed(&panel()));
        m_monitor->report(icon().center());
        QTest::qWait(100);
        QVERIFY(m_controller->isPanelVisible());
        m_controller->togglePanel();
        QVERIFY(!m_controller->isPanelVisible());
    }

    void iconClickRightAfterLosingTheFocusKeepsItClosed()
    {
        QVERIFY(openAndFocus());
        QWindow other;
        other.setGeometry(100, 600, 200, 150);
        other.show();
        other.requestActivate();
        QTRY_VERIFY(!m_controller->isPanelVisible());
        m_controller->togglePanel(); // the click on the icon that took the focus away
        QVERIFY(!m_controller->isPanelVisible());
        QTest::qWait(500);
        m_controller->togglePanel(); // a click of its own
        QVERIFY(m_controller->isPanelVisible());
    }

    void cleanupTestCase()
    {
        m_environment->setMenuBar(nullptr);
        m_controller.reset();
    }
};

QTEST_MAIN(TestPanel)
#include "tst_panel.moc"
