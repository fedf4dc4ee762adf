// The test session itself: every later suite relies on these services being real and private.
// The display, the tray host and the null sink are waited for by tools/test-session, which
// stops when one does not come up, and used for real by the suites that need them.
#include "support/DbusMock.h"
#include "support/TestSupport.h"

#include <QDBusConnectionInterface>
#include <QDir>
#include <QTest>

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
};

QTEST_GUILESS_MAIN(TestSession)
#include "tst_session.moc"
