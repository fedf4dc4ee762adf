#include "awareness/AudioContextMonitor.h"
#include "awareness/AutoPauseService.h"
#include "mixes/SleepTimer.h"
#include "support/DbusMock.h"
#include "support/FakeAwareness.h"
#include "support/TestPlayer.h"

#include <QSignalSpy>
#include <QTest>

using namespace std::chrono_literals;

namespace {
constexpr qint64 minute = 60000;

// The real player (silent engine), a real auto-pause service on other apps' audio that the
// test sets, and the timer on a clock the test moves.
struct Rig
{
    TestPlayer music;
    qint64 clock = 0;
    FakeAudioClients *others = nullptr;
    std::unique_ptr<AudioContextMonitor> monitor;
    std::unique_ptr<AutoPauseService> autoPause;
    std::unique_ptr<SleepTimer> timer;

    Rig()
    {
        music.player->setVolume(0.5f);
        music.loadPaused("rain");
        music.setPlaying(true);
        auto clients = std::make_unique<FakeAudioClients>();
        others = clients.get();
        monitor = std::make_unique<AudioContextMonitor>(std::move(clients), 1000,
                                                        AudioContextMonitor::Timing{10ms});
        autoPause = std::make_unique<AutoPauseService>(
            music.settings, music.player.get(), monitor.get(), std::make_unique<FakePowerState>(),
            AutoPauseService::Timing{1h, 100ms});
        autoPause->setPauseOnExternalAudio(true);
        timer = std::make_unique<SleepTimer>(
            music.settings, music.player.get(), nullptr, autoPause.get(),
            SleepTimer::Options{[this] { return clock; }, 100ms, QDBusConnection::systemBus()});
    }

    void at(qint64 ms)
    {
        clock = ms;
        timer->update();
    }
    // Another app plays (or stops); returns once the monitor has published it.
    void otherAppPlays(bool playing)
    {
        others->set(playing ? QList<AudioClient>{{4242, true, false}} : QList<AudioClient>{});
        if (!QTest::qWaitFor([&] { return monitor->externalOutputActive() == playing; }, 3000))
            qFatal("the monitor did not see the other app");
        QTest::qWait(20);
    }
    float heard() const { return music.engine->volume(); }
    bool playing() const { return music.player->isPlaying(); }
};
} // namespace

class TestSleepTimer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The last minute fades on the equal-power curve, then the player pauses and the volume
    // is back for the next play; the user's own volume (and its setting) never moved.
    void fadesOutPausesAndPutsTheVolumeBack()
    {
        Rig rig;
        QVERIFY(rig.timer->start(30));
        rig.at(29 * minute - 1);
        QVERIFY(!rig.timer->fading());
        QCOMPARE(rig.heard(), 0.5f);
        float previous = 0.5f;
        for (qint64 t = 29 * minute; t < 30 * minute; t += 250) {
            rig.at(t);
            QVERIFY(rig.timer->fading() && rig.playing());
            QVERIFY(rig.heard() <= previous);
            previous = rig.heard();
        }
        rig.at(29 * minute + 30000);
        QVERIFY(qAbs(rig.heard() - 0.5f * float(std::sqrt(0.5))) < 1e-4);
        rig.at(30 * minute);
        QVERIFY(!rig.playing() && !rig.timer->running() && !rig.timer->fading());
        QCOMPARE(rig.heard(), 0.0f);
        QTRY_COMPARE(rig.heard(), 0.5f);
        QCOMPARE(rig.music.player->volume(), 0.5f);
        QCOMPARE(rig.music.settings.doubleValue(SettingsKey::volume), 0.5);
        rig.music.player->togglePlayPause();
        QCOMPARE(rig.heard(), 0.5f);
    }

    // A short timer fades for a quarter of its length; "+15 min" calls a fade off and moves
    // the end.
    void shortTimersFadeForAQuarterAndExtendingCallsTheFadeOff()
    {
        Rig rig;
        QVERIFY(rig.timer->start(2));
        rig.at(90000 - 1);
        QVERIFY(!rig.timer->fading());
        rig.at(105000);
        QVERIFY(rig.timer->fading() && rig.heard() < 0.5f);
        rig.timer->extend();
        QVERIFY(!rig.timer->fading() && rig.timer->running());
        QCOMPARE(rig.heard(), 0.5f);
        QCOMPARE(rig.timer->remainingMinutes(), 16);
        rig.at(17 * minute - 60000 - 1);
        QVERIFY(!rig.timer->fading());
        rig.at(17 * minute);
        QVERIFY(!rig.playing() && !rig.timer->running());
    }

    // Unwatched, the time left moves once a minute; while a view watches, once a second.
    void publishesMinutesUnlessWatched()
    {
        Rig rig;
        rig.timer->start(10);
        QSignalSpy published(rig.timer.get(), &SleepTimer::remainingChanged);
        for (qint64 t = 1000; t <= 3 * minute; t += 1000)
            rig.at(t);
        QCOMPARE(published.size(), 3);
        QCOMPARE(rig.timer->remainingText(), QString("7 min"));
        rig.timer->watch();
        rig.at(3 * minute + 15000);
        QCOMPARE(rig.timer->remainingText(), QString("6:45"));
        published.clear();
        for (qint64 t = 3 * minute + 16000; t <= 3 * minute + 20000; t += 1000)
            rig.at(t);
        QCOMPARE(published.size(), 5);
        rig.timer->unwatch();
        QCOMPARE(rig.timer->remainingText(), QString("7 min"));
    }

    // Another app's audio pausing the music leaves the timer running (and the music resumes
    // after it); the user's pause ends it, and in the fade brings the volume straight back.
    void onlyTheUsersPauseCancels()
    {
        Rig rig;
        rig.timer->start(30);
        rig.otherAppPlays(true);
        QVERIFY(!rig.playing());
        QCoreApplication::processEvents();
        QVERIFY(rig.timer->running());
        rig.otherAppPlays(false);
        QTRY_VERIFY(rig.playing());
        QVERIFY(rig.timer->running());
        rig.at(29 * minute + 30000);
        QVERIFY(rig.heard() < 0.5f);
        rig.music.setPlaying(false);
        QTRY_VERIFY(!rig.timer->running());
        QCOMPARE(rig.heard(), 0.5f);
        QCOMPARE(rig.timer->remainingText(), QString());

        // Run out while another app's audio holds the music: it stays paused after that.
        rig.music.setPlaying(true);
        rig.timer->start(1);
        rig.otherAppPlays(true);
        rig.at(31 * minute + 30000);
        QVERIFY(!rig.timer->running());
        rig.otherAppPlays(false);
        QTest::qWait(300);
        QVERIFY(!rig.playing());
    }

    // logind's Suspend a while after the fade, unless something played in between; a refusal
    // is told once.
    void suspendsOnlyWhenNothingPlayedAfterTheFade()
    {
        DbusMock logind(DbusMock::Bus::System, "org.freedesktop.login1", {"--template", "logind"});
        QVERIFY(logind.waitUntilServing());
        const auto suspends = [&logind] {
            const auto calls = logind.methodCalls("/org/freedesktop/login1", "Suspend");
            return calls ? int(calls->size()) : -1;
        };
        Rig rig;
        rig.timer->setSuspendAfter(true);
        rig.timer->start(1);
        rig.at(minute);
        rig.music.setPlaying(true);
        QTest::qWait(300);
        QCOMPARE(suspends(), 0);

        rig.timer->start(1);
        rig.at(2 * minute);
        QTRY_COMPARE(suspends(), 1);
        QCOMPARE(rig.timer->message(), QString());

        logind.stop();
        rig.music.setPlaying(true);
        rig.timer->start(1);
        rig.at(3 * minute);
        QTRY_VERIFY(rig.timer->message().contains("could not be suspended"));
        QTest::qWait(300);
        QCOMPARE(rig.music.settings.boolValue(SettingsKey::sleepTimerSuspends), true);
    }
};

QTEST_GUILESS_MAIN(TestSleepTimer)
#include "tst_sleeptimer.moc"
