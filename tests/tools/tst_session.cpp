// The test session itself: every later suite relies on these services being real and private.
#include "support/DbusMock.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QSystemTrayIcon>
#include <QTest>
#include <QWidget>

class TestSession : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void foldersArePrivate()
    {
        const QString home = QDir::homePath();
        QVERIFY2(home.contains("duskhaven-session."), qPrintable(home));
        for (const char *name :
             {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"})
            QVERIFY2(qEnvironmentVariable(name).startsWith(QFileInfo(home).absolutePath()), name);
    }

    void sessionBusAnswersAndDbusmockServesOnTheSystemBus()
    {
        QVERIFY(
            QDBusConnection::sessionBus().interface()->isServiceRegistered("org.freedesktop.DBus"));
        QVERIFY(qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS") !=
                qEnvironmentVariable("DBUS_SYSTEM_BUS_ADDRESS"));
        // The stand-in system bus starts empty: nothing of the machine's own is on it.
        const QString upower = "org.freedesktop.UPower";
        QVERIFY(!QDBusConnection::systemBus().interface()->isServiceRegistered(upower));
        DbusMock mock(DbusMock::Bus::System, upower, {"--template", "upower"});
        QVERIFY(mock.waitUntilServing());
        QVERIFY(mock.call("/org/freedesktop/UPower", "org.freedesktop.DBus.Properties", "Get",
                          {upower, "OnBattery"}));
    }

    void theLanesSoundServerHasTheNullSinkAsDefault()
    {
        QCOMPARE(TestSupport::run("pactl", {"get-default-sink"}).out.trimmed(), "duskhaven_null");
        const QString server = TestSupport::run("pactl", {"info"}).out;
        QCOMPARE(server.contains("on PipeWire"),
                 qEnvironmentVariable("DUSKHAVEN_SOUND_SERVER") == "pipewire");
    }

    void displayWindowManagerAndTrayAreReachable()
    {
        QCOMPARE(QGuiApplication::platformName(), "xcb");
        QVERIFY(QSystemTrayIcon::isSystemTrayAvailable());
        // The window manager gives a new window the focus.
        QWidget window;
        window.resize(200, 100);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window, 5000));
    }
};

QTEST_MAIN(TestSession)
#include "tst_session.moc"
