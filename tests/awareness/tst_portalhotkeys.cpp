// Global hot keys through the desktop portal's GlobalShortcuts interface, as a Wayland desktop
// offers them, served by a python3-dbusmock template on the test session's bus.
#include "awareness/HotKeyService.h"
#include "awareness/PortalHotKeys.h"
#include "support/DbusMock.h"
#include "support/TestPlayer.h"
#include "support/TestSupport.h"

#include <QDBusObjectPath>
#include <QSignalSpy>

namespace {
const QString portal = "org.freedesktop.portal.Desktop";
const QString portalPath = "/org/freedesktop/portal/desktop";

std::unique_ptr<DbusMock> mockPortal(const QString &parameters = "{}")
{
    return std::make_unique<DbusMock>(
        DbusMock::Bus::Session, portal,
        QStringList{"--template",
                    TestSupport::sourceDir() + "/tests/awareness/portal_global_shortcuts.py",
                    "--parameters", parameters});
}

QString lastSession(DbusMock &portal)
{
    const auto reply = portal.mock(portalPath, "LastSession");
    return reply ? reply->constFirst().value<QDBusObjectPath>().path() : QString();
}

void activate(DbusMock &portal, const QString &session, const QString &shortcut)
{
    portal.mock(portalPath, "Activate", {QVariant::fromValue(QDBusObjectPath(session)), shortcut});
}
} // namespace

class TestPortalHotKeys : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void bindsActsOnActivationAndClosesWhenTurnedOff()
    {
        auto portal = mockPortal();
        QVERIFY(portal->waitUntilServing());
        TestPlayer music;
        music.loadPaused("rain");
        HotKeyService service(music.settings, music.player.get(),
                              std::make_unique<PortalHotKeys>());
        QSignalSpy offered(&service, &HotKeyService::offeredChanged);
        QVERIFY(service.registeredIds().isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(service.offered(), 5000);
        QCOMPARE(offered.size(), 1);
        service.setEnabled(true);
        QTRY_COMPARE_WITH_TIMEOUT(service.registeredIds(), (QList<quint32>{1, 2, 3, 4}), 5000);
        const QString session = lastSession(*portal);

        activate(*portal, session, "play-pause");
        QTRY_VERIFY_WITH_TIMEOUT(music.player->isPlaying(), 3000);
        activate(*portal, session, "volume-up");
        QTRY_VERIFY_WITH_TIMEOUT(qAbs(music.player->volume() - 0.85f) < 1e-5f, 3000);

        service.setEnabled(false);
        QVERIFY(service.registeredIds().isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(portal->mock(portalPath, "Closed")->constFirst().toStringList(),
                                  QStringList{session}, 3000);
        activate(*portal, session, "play-pause");
        QTest::qWait(300);
        QVERIFY(music.player->isPlaying());
    }

    void aShortcutTheDesktopRefusesIsLeftOut()
    {
        auto portal = mockPortal(QStringLiteral(R"({"taken": ["play-pause"]})"));
        QVERIFY(portal->waitUntilServing());
        TestPlayer music;
        music.loadPaused("rain");
        music.settings.setBool(SettingsKey::globalHotkeysEnabled, true);
        HotKeyService service(music.settings, music.player.get(),
                              std::make_unique<PortalHotKeys>());
        QTRY_COMPARE_WITH_TIMEOUT(service.registeredIds(), (QList<quint32>{2, 3, 4}), 5000);
        activate(*portal, lastSession(*portal), "next-scene");
        QTRY_COMPARE_WITH_TIMEOUT(music.player->nowPlayingPlaylistId(), "fire", 3000);
    }

    // The settings window then says that the desktop offers no combinations.
    void withoutThePortalNothingIsOfferedOrRegistered()
    {
        PortalHotKeys keys;
        QSignalSpy offered(&keys, &GlobalHotKeys::offeredChanged);
        keys.setHotKeys(HotKeyService::table());
        QTest::qWait(500);
        QVERIFY(keys.registeredIds().isEmpty());
        QVERIFY(!keys.isOffered());
        QCOMPARE(offered.size(), 0);
    }
};

QTEST_GUILESS_MAIN(TestPortalHotKeys)
#include "tst_portalhotkeys.moc"
