// Global hot keys as X11 key grabs on the test session's Xvfb display, pressed with xdotool,
// acting on the real player over a silent engine.
#include "awareness/HotKeyService.h"
#include "awareness/X11HotKeys.h"
#include "support/TestPlayer.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTest>

namespace {
bool press(const QString &keys)
{
    return QProcess::execute("xdotool", {"key", keys}) == 0;
}

const QString playPause = "super+alt+space";
const QString volumeUp = "super+alt+Up";
const QString volumeDown = "super+alt+Down";
const QList<quint32> allFour{1, 2, 3, 4};

// Long enough for a key press to travel from xdotool through the X server to us.
constexpr int settleMs = 300;
} // namespace

class TestHotKeys : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestPlayer> m_music;
    PlayerService *m_player = nullptr;
    std::unique_ptr<HotKeyService> m_service;

    void build()
    {
        auto keys = std::make_unique<X11HotKeys>();
        QVERIFY(keys->isConnected());
        m_service = std::make_unique<HotKeyService>(m_music->settings, m_player, std::move(keys));
    }

private Q_SLOTS:
    void init()
    {
        m_music = std::make_unique<TestPlayer>();
        m_music->loadPaused("rain");
        m_player = m_music->player.get();
    }

    void cleanup()
    {
        m_service.reset();
        m_music.reset();
    }

    void spaceTogglesOnlyWhileTurnedOnAndTurningOffReleasesAllFour()
    {
        build();
        QVERIFY(m_service->registeredIds().isEmpty()); // nothing is grabbed until turned on
        QSignalSpy playing(m_player, &PlayerService::isPlayingChanged);
        QVERIFY(press(playPause));
        QTest::qWait(settleMs);
        QCOMPARE(playing.count(), 0);

        QSignalSpy enabled(m_service.get(), &HotKeyService::enabledChanged);
        m_service->setEnabled(true);
        QCOMPARE(enabled.count(), 1);
        QCOMPARE(m_music->settings.boolValue(SettingsKey::globalHotkeysEnabled), true);
        QCOMPARE(m_service->registeredIds(), allFour);

        QVERIFY(!m_player->isPlaying());
        QVERIFY(press(playPause));
        QTRY_VERIFY_WITH_TIMEOUT(m_player->isPlaying(), 3000);
        QVERIFY(m_music->engine->isSounding());
        QVERIFY(press(playPause));
        QTRY_VERIFY_WITH_TIMEOUT(!m_player->isPlaying(), 3000);

        // Turned off by the settings window, which writes the setting.
        m_music->settings.setBool(SettingsKey::globalHotkeysEnabled, false);
        QTRY_VERIFY(!m_service->enabled());
        QVERIFY(m_service->registeredIds().isEmpty());
        // Another client can take every combination now, and the press goes to it alone.
        X11HotKeys other;
        other.setHotKeys(HotKeyService::table());
        QCOMPARE(other.registeredIds(), allFour);
        QSignalSpy otherPressed(&other, &GlobalHotKeys::pressed);
        playing.clear();
        QVERIFY(press(playPause));
        QVERIFY(otherPressed.wait(3000));
        QCOMPARE(otherPressed.constFirst().constFirst().toUInt(), 1u);
        QTest::qWait(settleMs);
        QCOMPARE(playing.count(), 0);
    }

    void aCombinationHeldElsewhereIsSkipped()
    {
        X11HotKeys other;
        other.setHotKeys({HotKeyService::table().constFirst()});
        QCOMPARE(other.registeredIds(), QList<quint32>{1});

        m_music->settings.setBool(SettingsKey::globalHotkeysEnabled, true); // from the last run
        build();
        QCOMPARE(m_service->registeredIds(), (QList<quint32>{2, 3, 4}));

        QSignalSpy otherPressed(&other, &GlobalHotKeys::pressed);
        const bool wasPlaying = m_player->isPlaying();
        QVERIFY(press(playPause));
        QVERIFY(otherPressed.wait(3000));
        QTest::qWait(settleMs);
        QCOMPARE(m_player->isPlaying(), wasPlaying);
    }

    // Num Lock and Caps Lock do not swallow the keys; volume steps stop at silence and full.
    void locksDoNotSwallowTheKeysAndVolumeStopsAtItsEnds()
    {
        build();
        m_service->setEnabled(true);
        for (const char *lock : {"Num_Lock", "Caps_Lock"}) {
            QVERIFY(press(lock));
            const bool wasPlaying = m_player->isPlaying();
            QVERIFY(press(playPause));
            QTRY_VERIFY2_WITH_TIMEOUT(m_player->isPlaying() != wasPlaying, qPrintable(lock), 3000);
            QVERIFY(press(lock));
        }
        m_player->setVolume(0.98f);
        QVERIFY(press(volumeUp));
        QTRY_COMPARE_WITH_TIMEOUT(m_player->volume(), 1.0f, 3000);
        m_player->setVolume(0.02f);
        QVERIFY(press(volumeDown));
        QTRY_COMPARE_WITH_TIMEOUT(m_player->volume(), 0.0f, 3000);
    }
};

QTEST_GUILESS_MAIN(TestHotKeys)
#include "tst_hotkeys.moc"
