#include "support/AppFixture.h"
#include "ui/shell/MenuBarController.h"
#include "ui/shell/PanelPlacement.h"
#include "ui/shell/PanelWindow.h"
#include "ui/shell/X11ClickMonitor.h"

#include <QAction>
#include <QProcess>
#include <QQuickView>
#include <QScreen>
#include <QSignalSpy>
#include <QSystemTrayIcon>
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
    QProcess::execute("xdotool", {"mousemove", QString::number(position.x()),
                                  QString::number(position.y()), "click", "1"});
}
} // namespace

class TestPanel : public QObject
{
    Q_OBJECT

    AppFixture m_app;
    MenuBarController *m_controller = nullptr;
    int m_installs = 0;
    CountingMonitor *m_monitor = nullptr;

    QQuickView &panel() const { return PanelWindow::of(*m_controller); }
    QRect icon() const { return m_controller->iconGeometry(); }
    bool visible() const { return m_controller->isPanelVisible(); }
    bool hidden() const { return !visible() && !m_controller->hasClickOutsideMonitor(); }

    // Opens the panel as a click on the icon does and waits until it has the keyboard.
    bool openAndFocus()
    {
        m_controller->togglePanel();
        return QTest::qWaitForWindowActive(&panel(), 5000);
    }

private Q_SLOTS:
    void initTestCase()
    {
        auto monitor = std::make_unique<CountingMonitor>(m_installs);
        m_monitor = monitor.get();
        m_app.startShell(std::move(monitor));
        m_controller = m_app.menuBar.get();
        // The session's tray host speaks XEmbed, so the icon's place becomes known; before the
        // host has embedded it the icon reports the origin. The host sits at the top right.
        QTRY_VERIFY_WITH_TIMEOUT(icon().isValid() && icon().x() > 0, 10000);
    }

    void init()
    {
        if (visible())
            m_controller->hidePanel();
        QTest::qWait(500); // let a close by the previous case age past a same-press toggle
        m_installs = 0;
    }

    // The menu's entries are checked as a StatusNotifier host reads them (tray_sni_e2e.py).
    void updateEntryAsksForACheck()
    {
        QSignalSpy updates(m_controller, &MenuBarController::checkForUpdatesRequested);
        m_controller->updateAction()->trigger();
        QCOMPARE(updates.count(), 1);
    }

    void toggleShowsUnderTheIconWithOneMonitor()
    {
        QSignalSpy visibility(m_controller, &MenuBarController::panelVisibleChanged);
        m_controller->togglePanel();
        m_controller->showPanel(); // showing again installs no second monitor
        QVERIFY(QTest::qWaitForWindowExposed(&panel()));
        QCOMPARE(panel().width(), 360);
        QVERIFY(panel().flags() & Qt::WindowStaysOnTopHint);
        QVERIFY(panel().flags() & Qt::FramelessWindowHint);

        // The tray runs along the top: centred under the icon, 2 px down, kept on screen.
        QScreen *screen = panel().screen();
        const QPoint expected = PanelPlacement::position(
            {panel().size(), icon(), QPoint(), screen->geometry(), screen->availableGeometry()});
        QTRY_COMPARE(panel().position(), expected);
        QCOMPARE(panel().y(), icon().bottom() + 1 + PanelPlacement::gap);
        QVERIFY(m_controller->hasClickOutsideMonitor());

        m_controller->togglePanel();
        m_controller->hidePanel();
        QVERIFY(hidden());
        QCOMPARE(visibility.count(), 2);
        QCOMPARE(m_installs, 1);
    }

    void escapeHidesOtherKeysDoNot()
    {
        QVERIFY(openAndFocus());
        QTest::keyClick(&panel(), Qt::Key_A);
        QTest::keyClick(&panel(), Qt::Key_Escape, Qt::ShiftModifier);
        QVERIFY(visible());
        QTest::keyClick(&panel(), Qt::Key_Escape);
        QVERIFY(hidden());
    }

    // The icon's click that took the focus away must not open the panel again at once.
    void losingTheFocusHidesAndTheIconClickThatCausedItKeepsItClosed()
    {
        QVERIFY(openAndFocus());
        QWindow other;
        other.setGeometry(100, 600, 200, 150);
        other.show();
        other.requestActivate();
        QTRY_VERIFY(hidden());
        m_controller->togglePanel();
        QVERIFY(!visible());
        QTest::qWait(500);
        m_controller->togglePanel(); // a click of its own
        QVERIFY(visible());
    }

    void clickInsideKeepsItAndClickElsewhereHides()
    {
        QVERIFY(openAndFocus());
        clickAt(panel().geometry().topLeft() + QPoint(300, 60)); // beside the title
        QTest::qWait(600);
        QVERIFY(visible());
        // On the tray host beside the icon: a dock takes no focus, so only the click-outside
        // monitor can see this click.
        clickAt(QPoint(icon().left() - 12, icon().center().y()));
        QTRY_VERIFY(hidden());
    }

    // The second click on the icon closes the panel and is not taken for a click outside too
    // (which would have closed it first and let the icon's click open it again).
    void secondClickOnTheIconCloses()
    {
        clickAt(icon().center());
        QTRY_VERIFY(visible());
        QTest::qWait(600);
        clickAt(icon().center());
        QTRY_VERIFY(!visible());
        QTest::qWait(600);
        QVERIFY(hidden());
        clickAt(icon().center());
        QTRY_VERIFY(visible());

        // Whichever comes first, the monitor's report of the press on the icon or the icon's
        // own click, the panel ends up closed.
        m_monitor->report(icon().center());
        QTest::qWait(100);
        QVERIFY(visible());
        m_controller->togglePanel();
        QVERIFY(!visible());
    }
};

QTEST_MAIN(TestPanel)
#include "tst_panel.moc"
