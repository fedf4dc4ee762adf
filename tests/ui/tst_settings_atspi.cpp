// End to end over the accessibility bus, as a user of a screen reader would: add a custom scene
// from an audio file (the file dialog answered through the picker seam), press its play button
// and hear it at the null sink; toggle "Launch at login" and see the autostart entry come and go.
// And with the pointer, through the window manager: the window's background moves it, and its
// close button still closes it.
#include "support/AppFixture.h"
#include "support/NullSink.h"
#include "support/QuickItems.h"
#include "support/TestSupport.h"
#include "ui/settings/XdgAutostart.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTest>

using namespace std::chrono_literals;

namespace {
// The shared helper's command, against this test's own process on the bus: focus first, as a
// screen reader moves to a control, which brings it into view; then press. Empty when it did
// what was asked.
QString press(const QString &role, const QString &name)
{
    const TestSupport::Ran ran = TestSupport::run(
        "/usr/bin/python3", {TestSupport::sourceDir() + "/tests/support/atspi.py", "focus-press",
                             role, name, QCoreApplication::applicationName()});
    return ran.exitCode == 0 ? QString() : QStringLiteral("%1 %2: %3").arg(role, name, ran.err);
}

// Real pointer events from the X server, as the window manager sees them, at a point unless
// none is given; each step on its own, so that the app handles the press before the pointer
// moves on.
bool pointer(std::optional<QPoint> at, const QStringList &then = {})
{
    QStringList arguments = then;
    if (at)
        arguments =
            QStringList{"mousemove", QString::number(at->x()), QString::number(at->y())} + then;
    const bool done = TestSupport::run("xdotool", arguments).exitCode == 0;
    QTest::qWait(300);
    return done;
}
} // namespace

class TestSettingsAtspi : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void addPlayAndLaunchAtLoginOverTheAccessibilityBus()
    {
        AppFixture app;
        // The real audio engine, so that the scene is heard.
        app.environment = std::make_unique<AppEnvironment>(
            *app.store, *app.settings,
            AppEnvironment::Options{app.locations, QUrl("http://127.0.0.1:1/m"), {0ms}});
        app.startShell();
        const QString tone = app.dir.filePath("Harbour Dusk.wav");
        QVERIFY(NullSink::makeTone(tone, 440, 20));
        app.environment->customScenes()->setFilePicker(
            [tone]() -> QCoro::Task<std::optional<QUrl>> { co_return QUrl::fromLocalFile(tone); });
        app.windows->openSettings();
        QVERIFY(QTest::qWaitForWindowExposed(app.windows->settingsWindow()));

        QCOMPARE(press("push button", "Add"), QString());
        QCOMPARE(press("push button", "Pick file"), QString());
        NullSink::MonitorRecording monitor;
        QVERIFY(monitor.start());
        const qsizetype before = monitor.samples().size();
        QCOMPARE(press("push button", "Play Harbour Dusk"), QString());
        QTRY_VERIFY_WITH_TIMEOUT(NullSink::rms(monitor.samples(), before) > 1000, 10000);

        const QString entry = XdgAutostart::defaultFilePath();
        QVERIFY(!QFile::exists(entry));
        QCOMPARE(press("check box", "Launch at login"), QString());
        QTRY_VERIFY(QFile::exists(entry));
        QCOMPARE(press("check box", "Launch at login"), QString());
        QTRY_VERIFY(!QFile::exists(entry));
    }

    // A schedule made, changed and deleted with the keyboard's worth of buttons alone, kept in
    // the store; and the focus phases' mix chosen in the Focus section, kept in the settings.
    void scheduleAndFocusMixOverTheAccessibilityBus()
    {
        AppFixture app;
        app.startShell();
        QVERIFY(app.environment->savedMixes()->saveCurrent("Morning"));
        app.windows->openSettings();
        QVERIFY(QTest::qWaitForWindowExposed(app.windows->settingsWindow()));
        const auto stored = [&app] {
            return app.store->fetchAll<ScheduledMix>("createdAt", Qt::AscendingOrder);
        };

        for (const char *name : {"Add a schedule", "An hour earlier", "5 minutes later",
                                 "Saturday, on", "Sunday, on", "Longer glide", "Save the schedule"})
            QCOMPARE(press("push button", name), QString());
        QTRY_COMPARE(stored().size(), 1);
        const ScheduledMix made = stored().constFirst();
        QCOMPARE(made.minuteOfDay, 7 * 60 + 5);
        QCOMPARE(made.weekdays, 0x1f);
        QCOMPARE(made.glideMinutes, 15);
        QCOMPARE(made.mixId, app.environment->savedMixes()->mixes().constFirst().id);

        // Opened from the keyboard, the draft takes the focus; closed, "Add" has it again.
        QCOMPARE(press("push button", "Edit 07:05 · Morning"), QString());
        QQuickWindow *window = app.windows->settingsWindow();
        QTRY_COMPARE(QuickItems::accessibleName(window->activeFocusItem()), "Mix: Morning");
        QCOMPARE(press("check box", "Start playing"), QString());
        QCOMPARE(press("push button", "Save the schedule"), QString());
        QTRY_VERIFY(stored().constFirst().startPlaying);
        QTRY_COMPARE(QuickItems::accessibleName(window->activeFocusItem()), "Add a schedule");
        QCOMPARE(press("push button", "Delete 07:05 · Morning"), QString());
        QTRY_VERIFY(stored().isEmpty());

        QCOMPARE(press("push button", "Focus mix: None"), QString());
        QTRY_COMPARE(app.environment->focusSession()->focusMixId(), made.mixId);
        QVERIFY(
            TestSupport::readFile(app.dir.filePath("settings.json")).contains(made.mixId.toUtf8()));
    }

    void backgroundMovesTheWindowAndCloseStillCloses()
    {
        AppFixture app;
        app.startShell();
        app.windows->openSettings();
        SettingsWindow *window = app.windows->settingsWindow();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QTest::qWait(500); // placed by the window manager
        const QPoint before = window->position();
        // Beside the title, on the card's background, then 60 right and 40 down.
        const QPoint grip = before + QPoint(330, 40);
        QVERIFY(pointer(grip, {"mousedown", "1"}));
        for (int step = 1; step <= 4; ++step)
            QVERIFY(pointer(grip + QPoint(15 * step, 10 * step)));
        QVERIFY(pointer(std::nullopt, {"mouseup", "1"}));
        QTRY_COMPARE(window->position(), before + QPoint(60, 40));

        QVERIFY(pointer(window->position() + QPoint(22, 18), {"click", "1"}));
        QTRY_VERIFY(!app.windows->isSettingsOpen());
    }
};

QTEST_MAIN(TestSettingsAtspi)
#include "tst_settings_atspi.moc"
