// The auto-pause service's external-audio state machine and power check: the real player over
// a silent engine, a power source that the test drives and the real monitor over a client
// list it sets. "changes" counts every start and stop of the music, the user's and the
// service's.
#include "awareness/AudioContextMonitor.h"
#include "awareness/AutoPauseService.h"
#include "support/FakeAwareness.h"
#include "support/TestPlayer.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

using namespace std::chrono_literals;
using State = AutoPauseService::ExternalState;

namespace {
constexpr qint64 otherPid = 4242;
}

class TestAutoPause : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestPlayer> m_music;
    PlayerService *m_player = nullptr;
    std::unique_ptr<QSignalSpy> m_changes;
    FakeAudioClients *m_clients = nullptr;
    std::unique_ptr<AudioContextMonitor> m_monitor;
    FakePowerState *m_power = nullptr;
    std::unique_ptr<AutoPauseService> m_service;

    void build(AutoPauseService::Timing timing = {1h, 300ms})
    {
        auto power = std::make_unique<FakePowerState>();
        m_power = power.get();
        m_service = std::make_unique<AutoPauseService>(m_music->settings, m_player, m_monitor.get(),
                                                       std::move(power), timing);
    }

    // Another app starts or stops audio; returns once the monitor has published it and the
    // service has had its turn.
    void external(bool output, bool input)
    {
        m_clients->set(output || input ? QList<AudioClient>{{otherPid, output, input}}
                                       : QList<AudioClient>{});
        // Unwatched, the monitor hears nothing and its flags stay down.
        const bool seen = m_monitor->isWatching();
        QTRY_VERIFY_WITH_TIMEOUT(m_monitor->externalOutputActive() == (seen && output) &&
                                     m_monitor->externalInputActive() == (seen && input),
                                 3000);
        QTest::qWait(20);
    }

    // A playing player auto-paused by another app's audio.
    void autoPause()
    {
        m_service->setPauseOnExternalAudio(true);
        m_music->setPlaying(true);
        m_changes->clear();
        external(true, false);
        QVERIFY(!m_player->isPlaying());
        QVERIFY(!m_music->engine->isSounding());
        QCOMPARE(m_service->externalState(), State::AutoPaused);
    }

private Q_SLOTS:
    void init()
    {
        m_music = std::make_unique<TestPlayer>();
        m_music->loadPaused("rain");
        m_player = m_music->player.get();
        m_changes = std::make_unique<QSignalSpy>(m_player, &PlayerService::isPlayingChanged);
        m_clients = new FakeAudioClients; // the monitor owns it
        m_monitor = std::make_unique<AudioContextMonitor>(
            std::unique_ptr<AudioClientSource>(m_clients), 1000, AudioContextMonitor::Timing{10ms});
    }

    void cleanup()
    {
        m_service.reset();
        m_monitor.reset();
        m_changes.reset();
        m_music.reset();
    }

    void everythingIsOffWhenNothingIsStored()
    {
        build();
        m_music->setPlaying(true);
        m_changes->clear();
        m_power->change(true, BatteryReading{3, false});
        external(true, true);
        QCOMPARE(m_changes->count(), 0);
        QVERIFY(m_service->lastPauseReason().isEmpty());
        // Nothing needs other apps' audio, so the sound server is not watched at all.
        QVERIFY(!m_clients->watching);
        QCOMPARE(m_clients->requests, 0);
    }

    void pausesForAnotherAppAndResumesAfterTheDelay()
    {
        build();
        QSignalSpy reason(m_service.get(), &AutoPauseService::lastPauseReasonChanged);
        autoPause();
        QCOMPARE(m_service->lastPauseReason(), "Another app is playing audio");
        QCOMPARE(reason.count(), 1);

        QElapsedTimer clock;
        clock.start();
        external(false, false);
        QTRY_VERIFY_WITH_TIMEOUT(m_player->isPlaying(), 3000);
        QVERIFY2(clock.elapsed() >= 300, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(m_changes->count(), 2);
        QCOMPARE(m_service->externalState(), State::Idle);
        // The resume's own toggle is not taken for the user taking over.
        QTest::qWait(50);
        QCOMPARE(m_service->externalState(), State::Idle);
    }

    // A call comes while the scene the user just picked still downloads: the pause cancels
    // that start, so the music neither begins when the file lands nor counts as the user
    // taking over; the resume after the call plays the picked scene.
    void aPauseDuringADownloadHoldsUntilTheResume()
    {
        build();
        m_service->setPauseOnExternalAudio(true);
        m_music->setPlaying(true);
        m_music->holdFiles = true;
        m_player->playScene("fire");
        external(true, true);
        QCOMPARE(m_service->externalState(), State::AutoPaused);

        m_music->releaseFiles();
        QTest::qWait(50);
        QVERIFY(!m_player->isPlaying() && !m_music->engine->isSounding());
        QCOMPARE(m_service->externalState(), State::AutoPaused);

        m_music->holdFiles = false;
        external(false, false);
        QTRY_VERIFY_WITH_TIMEOUT(m_music->engine->isSounding(), 3000);
        QCOMPARE(m_music->engine->currentFile(), QUrl::fromLocalFile("/music/fire-1.mp3"));
        QCOMPARE(m_service->externalState(), State::Idle);
    }

    void microphoneUseIsNamedFirst_data()
    {
        QTest::addColumn<bool>("output");
        QTest::newRow("recording") << false;
        QTest::newRow("a call") << true;
    }

    void microphoneUseIsNamedFirst()
    {
        QFETCH(bool, output);
        build();
        m_service->setPauseOnExternalAudio(true);
        m_music->setPlaying(true);
        external(output, true);
        QVERIFY(!m_player->isPlaying());
        QCOMPARE(m_service->lastPauseReason(), "Microphone in use");
    }

    void audioThatReturnsDuringTheDelayCancelsTheResume()
    {
        build({1h, 1000ms});
        autoPause();
        external(false, false);
        external(true, false);
        QTest::qWait(1300);
        QCOMPARE(m_changes->count(), 1);
        QCOMPARE(m_service->externalState(), State::AutoPaused);

        // When it ends again, a fresh wait starts.
        QElapsedTimer clock;
        clock.start();
        external(false, false);
        QTRY_VERIFY_WITH_TIMEOUT(m_player->isPlaying(), 4000);
        QVERIFY2(clock.elapsed() >= 1000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(m_changes->count(), 2);
    }

    void userWhoPlaysOnOverridesUntilPausing()
    {
        build({1h, 1000ms});
        autoPause();
        external(false, false);
        // The user presses play during the wait: no resume of ours follows.
        m_music->setPlaying(true);
        QTRY_COMPARE_WITH_TIMEOUT(m_service->externalState(), State::UserOverride, 1000);
        QTest::qWait(1300);
        QCOMPARE(m_changes->count(), 2);

        // Further external audio does not pause the music the user chose to hear.
        external(true, false);
        QVERIFY(m_player->isPlaying());
        external(false, false);
        QCOMPARE(m_service->externalState(), State::UserOverride);

        // Pausing hands control back; the next external audio pauses again.
        m_music->setPlaying(false);
        QTRY_COMPARE_WITH_TIMEOUT(m_service->externalState(), State::Idle, 1000);
        m_music->setPlaying(true);
        QTest::qWait(20);
        external(true, false);
        QVERIFY(!m_player->isPlaying());
        QCOMPARE(m_service->externalState(), State::AutoPaused);
    }

    void turningTheSettingOffLeavesTheMusicPaused()
    {
        build({1h, 400ms});
        autoPause();
        external(false, false);
        // The resume is pending; turning the setting off makes it find nothing to do.
        QSignalSpy setting(m_service.get(), &AutoPauseService::pauseOnExternalAudioChanged);
        m_service->setPauseOnExternalAudio(false);
        QCOMPARE(m_service->externalState(), State::Idle);
        QCOMPARE(setting.count(), 1);
        QTest::qWait(700);
        QVERIFY(!m_player->isPlaying());
        QCOMPARE(m_changes->count(), 1);
        QCOMPARE(m_music->settings.boolValue(SettingsKey::autoPauseExternalAudio), false);
    }

    void lowPowerModePausesAndNeverResumes()
    {
        build({150ms, 300ms});
        m_service->setPauseOnLowPowerMode(true);
        m_music->setPlaying(true);
        m_power->change(true, std::nullopt);
        QTRY_VERIFY_WITH_TIMEOUT(!m_player->isPlaying(), 1000);
        QCOMPARE(m_service->lastPauseReason(), "Low Power Mode");

        m_power->change(false, std::nullopt);
        QTest::qWait(400);
        QVERIFY(!m_player->isPlaying());

        // Still in the power saver, the user plays: the next periodic check pauses again.
        m_power->lowPowerMode = true;
        m_music->setPlaying(true);
        QTRY_VERIFY_WITH_TIMEOUT(!m_player->isPlaying(), 2000);
        QCOMPARE(m_changes->count(), 4);
        QVERIFY(m_power->refreshes > 0);

        // With nothing playing there is nothing to pause: the app does not wake to ask.
        const int refreshes = m_power->refreshes;
        QTest::qWait(700);
        QCOMPARE(m_power->refreshes, refreshes);
    }

    // Turned on while the reason already holds, each setting acts at once; written by someone
    // else (the settings window), it takes effect all the same.
    void settingsCheckAtOnceAndFollowOtherWriters()
    {
        build();
        m_music->setPlaying(true);
        external(true, false);
        m_service->setPauseOnExternalAudio(true);
        QVERIFY(m_clients->watching);
        // The monitor's first look after it starts watching counts at once, undebounced.
        QTRY_VERIFY_WITH_TIMEOUT(!m_player->isPlaying(), 100);
        QCOMPARE(m_service->externalState(), State::AutoPaused);
        QCOMPARE(m_music->settings.boolValue(SettingsKey::autoPauseExternalAudio), true);
        // Turned off by another writer, the watching stops with it.
        m_music->settings.setBool(SettingsKey::autoPauseExternalAudio, false);
        QTRY_VERIFY(!m_clients->watching);
        QVERIFY(!m_monitor->externalOutputActive());

        m_power->reading = BatteryReading{10, false};
        m_music->setPlaying(true);
        m_service->setPauseOnLowBattery(true);
        QVERIFY(!m_player->isPlaying());
        QCOMPARE(m_music->settings.boolValue(SettingsKey::autoPauseLowBattery), true);

        m_power->lowPowerMode = true;
        m_music->setPlaying(true);
        QSignalSpy power(m_service.get(), &AutoPauseService::pauseOnLowPowerModeChanged);
        m_music->settings.setBool(SettingsKey::autoPauseLowPowerMode, true);
        QTRY_VERIFY(m_service->pauseOnLowPowerMode());
        QTRY_VERIFY(!m_player->isPlaying());
        QCOMPARE(m_service->lastPauseReason(), "Low Power Mode");
        m_music->settings.remove(SettingsKey::autoPauseLowPowerMode);
        QTRY_VERIFY(!m_service->pauseOnLowPowerMode());
        QCOMPARE(power.count(), 2);
    }
};

QTEST_GUILESS_MAIN(TestAutoPause)
#include "tst_autopause.moc"
