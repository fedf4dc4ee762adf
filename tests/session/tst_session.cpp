// The test session itself: every later suite relies on these services being real and private.
#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDir>
#include <QProcess>
#include <QSystemTrayIcon>
#include <QTest>
#include <QWidget>

namespace {
QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(10000) || process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}
} // namespace

class TestSession : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void foldersArePrivate()
    {
        QVERIFY(qEnvironmentVariableIsSet("DUSKHAVEN_TEST_SESSION"));
        const QString home = QDir::homePath();
        QVERIFY2(home.contains(QStringLiteral("duskhaven-session.")), qPrintable(home));
        for (const char *name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"})
            QVERIFY2(qEnvironmentVariable(name).startsWith(QFileInfo(home).absolutePath()), name);
    }

    void sessionBusAnswers()
    {
        QDBusConnection bus = QDBusConnection::sessionBus();
        QVERIFY(bus.isConnected());
        QVERIFY(bus.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.DBus")));
        QVERIFY(qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS") !=
                qEnvironmentVariable("DBUS_SYSTEM_BUS_ADDRESS"));
    }

    void pulseAudioHasTheNullSinkAsDefault()
    {
        QVERIFY(run(QStringLiteral("pactl"), {QStringLiteral("list"), QStringLiteral("short"),
                                              QStringLiteral("sinks")})
                    .contains(QStringLiteral("duskhaven_null")));
        QCOMPARE(run(QStringLiteral("pactl"), {QStringLiteral("get-default-sink")}).trimmed(),
                 QStringLiteral("duskhaven_null"));
    }

    void displayWindowManagerAndTrayAreReachable()
    {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        QVERIFY(QSystemTrayIcon::isSystemTrayAvailable());
        // The window manager gives a new window the focus.
        QWidget window;
        window.resize(200, 100);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window, 5000));
    }

    void dbusmockServesUPowerOnTheSystemBus()
    {
        QDBusConnection bus = QDBusConnection::systemBus();
        QVERIFY(bus.isConnected());
        // The stand-in system bus starts empty: nothing of the machine's own is on it.
        QVERIFY(!bus.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.UPower")));

        QProcess mock;
        mock.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        mock.start(QStringLiteral("python3"), {QStringLiteral("-m"), QStringLiteral("dbusmock"),
                                               QStringLiteral("--system"), QStringLiteral("--template"),
                                               QStringLiteral("upower")});
        QVERIFY(mock.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(
            bus.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.UPower")), 10000);
        QDBusInterface upower(QStringLiteral("org.freedesktop.UPower"),
                              QStringLiteral("/org/freedesktop/UPower"),
                              QStringLiteral("org.freedesktop.UPower"), bus);
        QVERIFY(upower.property("OnBattery").isValid());
        mock.terminate();
        QVERIFY(mock.waitForFinished(5000));
    }
};

QTEST_MAIN(TestSession)
#include "tst_session.moc"
