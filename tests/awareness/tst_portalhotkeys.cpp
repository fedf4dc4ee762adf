// Global hot keys through the desktop portal's GlobalShortcuts interface, as a Wayland desktop
// offers them, served by a python3-dbusmock template on the test session's bus.
#include "Duskhaven/SettingsStore.h"
#include "TestPlayer.h"
#include "awareness/HotKeyService.h"
#include "awareness/PortalHotKeys.h"
#include "support/TestSupport.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QString portal = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString mockInterface = QStringLiteral("org.freedesktop.DBus.Mock");

QDBusConnection bus()
{
    return QDBusConnection::sessionBus();
}

QDBusMessage mockCall(const QString &path, const QString &method, const QVariantList &arguments)
{
    QDBusMessage message = QDBusMessage::createMethodCall(portal, path, mockInterface, method);
    message.setArguments(arguments);
    return bus().call(message, QDBus::Block, 5000);
}

// The portal session this process opened: the mock keeps the options of each CreateSession.
QString sessionPath()
{
    const QDBusMessage reply =
        mockCall(portalPath, QStringLiteral("GetMethodCalls"), {QStringLiteral("CreateSession")});
    if (reply.type() != QDBusMessage::ReplyMessage)
        return {};
    const QDBusArgument calls = reply.arguments().constFirst().value<QDBusArgument>();
    QString token;
    calls.beginArray();
    while (!calls.atEnd()) {
        qulonglong time = 0;
        QVariantList arguments;
        calls.beginStructure();
        calls >> time >> arguments;
        calls.endStructure();
        const QVariantMap options =
            qdbus_cast<QVariantMap>(arguments.constFirst().value<QDBusArgument>());
        token = options.value(QStringLiteral("session_handle_token")).toString();
    }
    calls.endArray();
    QString caller = bus().baseService().mid(1);
    caller.replace(QLatin1Char('.'), QLatin1Char('_'));
    return QStringLiteral("/org/freedesktop/portal/desktop/session/%1/%2").arg(caller, token);
}

int closeCalls(const QString &session)
{
    const QDBusMessage reply =
        mockCall(session, QStringLiteral("GetMethodCalls"), {QStringLiteral("Close")});
    if (reply.type() != QDBusMessage::ReplyMessage)
        return -1;
    const QDBusArgument calls = reply.arguments().constFirst().value<QDBusArgument>();
    int count = 0;
    calls.beginArray();
    while (!calls.atEnd()) {
        qulonglong time = 0;
        QVariantList arguments;
        calls.beginStructure();
        calls >> time >> arguments;
        calls.endStructure();
        ++count;
    }
    calls.endArray();
    return count;
}

void activate(const QString &session, const QString &shortcut)
{
    mockCall(portalPath, QStringLiteral("Activate"),
             {QVariant::fromValue(QDBusObjectPath(session)), shortcut});
}

class MockPortal
{
public:
    explicit MockPortal(const QString &parameters = {})
    {
        QStringList arguments{QStringLiteral("-m"), QStringLiteral("dbusmock"),
                              QStringLiteral("--template"),
                              TestSupport::sourceDir() +
                                  QStringLiteral("/tests/awareness/portal_global_shortcuts.py")};
        if (!parameters.isEmpty())
            arguments << QStringLiteral("--parameters") << parameters;
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.setStandardOutputFile(QProcess::nullDevice());
        m_process.start(QStringLiteral("python3"), arguments);
    }
    ~MockPortal()
    {
        m_process.terminate();
        m_process.waitForFinished(5000);
    }
    bool waitUntilServing()
    {
        return QTest::qWaitFor(
            [] { return bus().interface()->isServiceRegistered(portal).value(); }, 10000);
    }

private:
    QProcess m_process;
};

const QList<quint32> allFour{1, 2, 3, 4};
} // namespace

class TestPortalHotKeys : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<SettingsStore> m_settings;
    std::unique_ptr<TestPlayer> m_music;
    PlayerService *m_player = nullptr;

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_settings = std::make_unique<SettingsStore>(m_dir->filePath(QStringLiteral("s.json")));
        m_music = std::make_unique<TestPlayer>(*m_settings);
        m_player = m_music->player.get();
    }

    void cleanup()
    {
        m_music.reset();
        m_settings.reset();
        m_dir.reset();
    }

    void bindsActsOnActivationAndClosesWhenTurnedOff()
    {
        MockPortal mock;
        QVERIFY(mock.waitUntilServing());
        HotKeyService service(*m_settings, m_player, std::make_unique<PortalHotKeys>());
        QVERIFY(service.registeredIds().isEmpty());
        service.setEnabled(true);
        QTRY_COMPARE_WITH_TIMEOUT(service.registeredIds(), allFour, 5000);
        const QString session = sessionPath();

        activate(session, QStringLiteral("play-pause"));
        QTRY_VERIFY_WITH_TIMEOUT(m_player->isPlaying(), 3000);
        activate(session, QStringLiteral("volume-up"));
        QTRY_VERIFY_WITH_TIMEOUT(qAbs(m_player->volume() - 0.85f) < 1e-5f, 3000);
        // Another session's shortcut is not ours.
        activate(portalPath + QStringLiteral("/session/x/y"), QStringLiteral("play-pause"));

        service.setEnabled(false);
        QVERIFY(service.registeredIds().isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(closeCalls(session), 1, 3000);
        activate(session, QStringLiteral("play-pause"));
        QTest::qWait(300);
        QVERIFY(m_player->isPlaying());
    }

    void aShortcutTheDesktopRefusesIsLeftOut()
    {
        MockPortal mock(QStringLiteral(R"({"taken": ["play-pause"]})"));
        QVERIFY(mock.waitUntilServing());
        m_settings->setBool(SettingsKey::globalHotkeysEnabled, true);
        HotKeyService service(*m_settings, m_player, std::make_unique<PortalHotKeys>());
        QTRY_COMPARE_WITH_TIMEOUT(service.registeredIds(), (QList<quint32>{2, 3, 4}), 5000);
        activate(sessionPath(), QStringLiteral("next-scene"));
        QTRY_COMPARE_WITH_TIMEOUT(m_player->nowPlayingPlaylistId(), QStringLiteral("fire"), 3000);
    }

    void withoutThePortalNothingIsRegistered()
    {
        PortalHotKeys keys;
        keys.setHotKeys(HotKeyService::table());
        QTest::qWait(500);
        QVERIFY(keys.registeredIds().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestPortalHotKeys)
#include "tst_portalhotkeys.moc"
