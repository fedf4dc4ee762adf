// Power state from UPower and power-profiles-daemon, served by python3-dbusmock on the test
// session's private system bus, and the auto-pause service acting on it.
#include "awareness/AutoPauseService.h"
#include "awareness/UPowerState.h"
#include "support/DbusMock.h"
#include "support/TestPlayer.h"

#include <QSignalSpy>

using namespace std::chrono_literals;

namespace {
const QString upower = "org.freedesktop.UPower";
const QString upowerPath = "/org/freedesktop/UPower";
const QString display = "/org/freedesktop/UPower/devices/DisplayDevice";
const QString device = "org.freedesktop.UPower.Device";
const QString hadess = "net.hadess.PowerProfiles";
const QString hadessPath = "/net/hadess/PowerProfiles";
const QString profiles = "org.freedesktop.UPower.PowerProfiles";
const QString profilesPath = "/org/freedesktop/UPower/PowerProfiles";
const QString activeProfile = "ActiveProfile";

std::unique_ptr<DbusMock> fromTemplate(const QString &busName, const QString &name,
                                       const QString &parameters = "{}")
{
    return std::make_unique<DbusMock>(DbusMock::Bus::System, busName,
                                      QStringList{"--template", name, "--parameters", parameters});
}

// UPower's display device as a present, discharging battery at the given charge.
bool setUpBattery(DbusMock &daemon, double percentage)
{
    return daemon
        .mock(upowerPath, "SetupDisplayDevice",
              {uint(2), uint(2), percentage, percentage, 100.0, 10.0, qlonglong(3600), qlonglong(0),
               true, "battery-good-symbolic", uint(1)})
        .has_value();
}
} // namespace

class TestUPowerState : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void lowBatteryPausesOnlyOnBatteryAtOrBelowTwentyPercent()
    {
        auto daemon = fromTemplate(upower, "upower", QStringLiteral(R"({"OnBattery": true})"));
        QVERIFY(daemon->waitUntilServing());
        QVERIFY(setUpBattery(*daemon, 50));
        TestPlayer music;
        music.loadPaused("rain");
        QSignalSpy changes(music.player.get(),
                           &PlayerService::isPlayingChanged); // every start and stop
        music.settings.setBool(SettingsKey::autoPauseLowBattery, true);
        music.setPlaying(true);
        auto source = std::make_unique<UPowerState>();
        const UPowerState *power = source.get();
        AutoPauseService service(music.settings, music.player.get(), nullptr, std::move(source),
                                 AutoPauseService::Timing{1h, 5s});
        QTRY_COMPARE_WITH_TIMEOUT(power->battery(), std::optional(BatteryReading{50, false}), 5000);

        QVERIFY(daemon->set(display, device, "Percentage", 21.7));
        QTRY_COMPARE_WITH_TIMEOUT(power->battery(), std::optional(BatteryReading{21, false}), 5000);
        QTest::qWait(50);
        QVERIFY(music.player->isPlaying());

        QVERIFY(daemon->set(display, device, "Percentage", 20.0));
        QTRY_VERIFY_WITH_TIMEOUT(!music.player->isPlaying(), 5000);
        QCOMPARE(service.lastPauseReason(), "Battery below 20%");

        // Plugged in and charging at 5 %: the music the user starts again plays on.
        music.setPlaying(true);
        QVERIFY(daemon->set(upowerPath, upower, "OnBattery", false));
        QVERIFY(daemon->set(display, device, "State", uint(1)));
        QVERIFY(daemon->set(display, device, "Percentage", 5.0));
        QTRY_COMPARE_WITH_TIMEOUT(power->battery(), std::optional(BatteryReading{5, true}), 5000);
        QTest::qWait(50);
        QVERIFY(music.player->isPlaying());
        QCOMPARE(changes.count(), 3);
    }

    void theNewerProfilesNameComesFirst()
    {
        // The pause itself and that leaving the power saver does not resume are the service's
        // (tst_autopause); here, that each daemon's readings and changes arrive.
        auto legacy = fromTemplate(hadess, "power_profiles_daemon",
                                   QStringLiteral(R"({"ActiveProfile": "power-saver"})"));
        QVERIFY(legacy->waitUntilServing());
        UPowerState power;
        QTRY_VERIFY_WITH_TIMEOUT(power.lowPowerModeEnabled(), 5000);
        QVERIFY(legacy->set(hadessPath, hadess, activeProfile, "balanced"));
        QTRY_VERIFY_WITH_TIMEOUT(!power.lowPowerModeEnabled(), 5000);
        QVERIFY(legacy->set(hadessPath, hadess, activeProfile, "power-saver"));
        QTRY_VERIFY_WITH_TIMEOUT(power.lowPowerModeEnabled(), 5000);

        DbusMock newer(DbusMock::Bus::System, profiles, {profiles, profilesPath, profiles});
        QVERIFY(newer.waitUntilServing());
        QVERIFY(newer.mock(profilesPath, "AddProperty", {profiles, activeProfile, "performance"}));
        QVERIFY(newer.set(profilesPath, profiles, activeProfile, "balanced"));
        QTRY_VERIFY_WITH_TIMEOUT(!power.lowPowerModeEnabled(), 5000);

        // The newer daemon goes away: the older one's answer holds again.
        newer.stop();
        QTRY_VERIFY_WITH_TIMEOUT(power.lowPowerModeEnabled(), 5000);
    }

    void missingDaemonsGiveNoReadingUntilTheyAppear()
    {
        UPowerState power;
        QTest::qWait(200);
        QVERIFY(!power.battery());
        QVERIFY(!power.lowPowerModeEnabled());

        auto daemon = fromTemplate(upower, "upower");
        QVERIFY(daemon->waitUntilServing());
        // A machine without a battery: the display device is not a present battery.
        QTest::qWait(200);
        QVERIFY(!power.battery());
        QVERIFY(setUpBattery(*daemon, 64.9));
        QTRY_COMPARE_WITH_TIMEOUT(power.battery(), std::optional(BatteryReading{64, true}), 5000);

        daemon.reset();
        QTRY_VERIFY_WITH_TIMEOUT(!power.battery(), 5000);
    }
};

QTEST_GUILESS_MAIN(TestUPowerState)
#include "tst_upowerstate.moc"
