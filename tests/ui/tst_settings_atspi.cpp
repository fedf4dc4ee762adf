// End to end over the accessibility bus, as a user of a screen reader would: add a custom scene
// from an audio file (the file dialog answered through the picker seam), press its play button
// and hear it at the null sink; toggle "Launch at login" and see the autostart entry come and go.
#include "support/AppFixture.h"
#include "support/NullSink.h"
#include "support/TestSupport.h"
#include "ui/settings/XdgAutostart.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTest>

using namespace std::chrono_literals;

namespace {
// The shared helper's command, against this test's own process on the bus; empty when it did
// what was asked.
QString atspi(const QStringList &arguments)
{
    const TestSupport::Ran ran =
        TestSupport::run("/usr/bin/python3",
                         QStringList{TestSupport::sourceDir() + "/tests/support/atspi.py"} +
                             arguments + QStringList{QCoreApplication::applicationName()});
    return ran.exitCode == 0 ? QString() : QStringLiteral("%1: %2").arg(arguments.join(' '), ran.err);
}

// Focus first, as a screen reader moves to a control, which brings it into view; then press.
QString press(const QString &role, const QString &name)
{
    return atspi({"focus-press", role, name});
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
        QVERIFY(TestSupport::readFile(entry).contains(
            "\nExec=\"" + QCoreApplication::applicationFilePath().toUtf8() + "\"\n"));
        QCOMPARE(press("check box", "Launch at login"), QString());
        QTRY_VERIFY(!QFile::exists(entry));
    }
};

QTEST_MAIN(TestSettingsAtspi)
#include "tst_settings_atspi.moc"
