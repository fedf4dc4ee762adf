#include "audio/MixStream.h"
#include "core/RecordStore.h"
#include "core/SettingsStore.h"
#include "core/Translations.h"
#include "mixes/FocusCues.h"
#include "mixes/FocusSession.h"
#include "mixes/MixRecords.h"
#include "support/DbusMock.h"
#include "support/NullSink.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {
constexpr qint64 minute = 60000;
using Phase = FocusSession::Phase;

// A session on a clock and a calendar the test moves, with a real settings file and store.
struct Rig
{
    QTemporaryDir dir;
    SettingsStore settings{dir.filePath("settings.json")};
    std::unique_ptr<RecordStore> store = std::make_unique<RecordStore>(dir.filePath("r.sqlite"));
    qint64 clock = 0;
    QDate today{2026, 12, 9};
    std::unique_ptr<FocusSession> session = make();

    std::unique_ptr<FocusSession> make()
    {
        return std::make_unique<FocusSession>(
            settings, store.get(), nullptr, nullptr,
            FocusSession::Options{[this] { return clock; }, [this] { return today; }});
    }
    void at(qint64 ms)
    {
        clock = ms;
        session->update();
    }
    int storedFor(const QDate &day)
    {
        const auto days = store->fetch<FocusDay>("day", day.toString(Qt::ISODate));
        return days.isEmpty() ? 0 : days.first().completed;
    }
};
} // namespace

class TestFocusSession : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Focus, break, focus… with a long break after every fourth focus; a session of two
    // cycles ends after its second break. Only a focus phase that ran out counts, once, in
    // the day's record, which a restart reads back.
    void runsThePhasesInOrderAndCountsTheDay()
    {
        Rig rig;
        QSignalSpy started(rig.session.get(), &FocusSession::phaseStarted);
        QVERIFY(rig.session->start({25, 5, 15, 0}));
        QCOMPARE(rig.session->statusText(), "Focus · 25 min");
        QCOMPARE(started.count(), 1);
        QCOMPARE(started.last().at(2).toBool(), true);

        QList<Phase> seen;
        qint64 t = 0;
        for (int i = 0; i < 8; ++i) {
            t += rig.session->remainingSeconds() * 1000;
            rig.at(t);
            seen.append(rig.session->phase());
        }
        QCOMPARE(seen, (QList<Phase>{Phase::Break, Phase::Focus, Phase::Break, Phase::Focus,
                                     Phase::Break, Phase::Focus, Phase::LongBreak, Phase::Focus}));
        QCOMPARE(started.count(), 9);
        QCOMPARE(started.last().at(1).toInt(), 25);
        QCOMPARE(rig.session->completedToday(), 4);
        const Translations english(QLocale(QLocale::English));
        QCOMPARE(rig.session->completedText(), "4 focus sessions today");

        // A skipped focus phase is not completed.
        rig.session->skip();
        QCOMPARE(rig.session->phase(), Phase::Break);
        QCOMPARE(rig.storedFor(rig.today), 4);

        rig.session = rig.make();
        QSignalSpy ended(rig.session.get(), &FocusSession::ended);
        QCOMPARE(rig.session->completedToday(), 4);
        QVERIFY(rig.session->start({1, 1, 1, 2}));
        rig.at(rig.clock + minute); // break 1
        rig.at(rig.clock + minute); // focus 2
        rig.at(rig.clock + minute); // break 2
        QVERIFY(rig.session->running());
        rig.at(rig.clock + minute);
        QVERIFY(!rig.session->running());
        QCOMPARE(ended.count(), 1);
        QCOMPARE(rig.storedFor(rig.today), 6);
        QCOMPARE(rig.session->statusText(), QString());

        // A new day starts from nothing; yesterday's record stays.
        rig.today = rig.today.addDays(1);
        QVERIFY(rig.session->start({1, 1, 1, 0}));
        rig.at(rig.clock + minute);
        QCOMPARE(rig.session->completedToday(), 1);
        QCOMPARE(rig.storedFor(rig.today.addDays(-1)), 6);
    }

    // A pause holds the time left; a machine that slept past several ends counts each focus
    // phase once and begins only the phase under way.
    void pausesAndCatchesUpAfterASleep()
    {
        Rig rig;
        QVERIFY(rig.session->start({25, 5, 15, 0}));
        rig.at(10 * minute);
        rig.session->pause();
        QCOMPARE(rig.session->statusText(), "Paused · Focus · 15 min");
        rig.at(70 * minute);
        QCOMPARE(rig.session->remainingSeconds(), 15 * 60);
        rig.session->resume();
        QCOMPARE(rig.session->phase(), Phase::Focus);

        QSignalSpy started(rig.session.get(), &FocusSession::phaseStarted);
        // Resumed at 70: focus ends at 85, break at 90, focus at 115; 100 is in the second focus.
        rig.at(100 * minute);
        QCOMPARE(rig.session->phase(), Phase::Focus);
        QCOMPARE(rig.session->remainingSeconds(), 15 * 60);
        QCOMPARE(rig.session->completedToday(), 1);
        QCOMPARE(started.count(), 1);
    }

    // Unwatched, the time left moves in whole minutes; watched, in seconds.
    void publishesMinutesUnlessWatched()
    {
        Rig rig;
        QVERIFY(rig.session->start({25, 5, 15, 0}));
        QSignalSpy published(rig.session.get(), &FocusSession::remainingChanged);
        for (qint64 t = 0; t <= 2 * minute; t += 1000)
            rig.at(t);
        QCOMPARE(published.count(), 2);
        rig.session->watch();
        rig.at(2 * minute + 1500);
        QCOMPARE(rig.session->statusText(), "Focus · 22:59");
        rig.session->unwatch();
        QCOMPARE(rig.session->statusText(), "Focus · 23 min");
    }

    // A phase change rings the chime once at the null sink and shows a notification whose
    // "Skip break" skips the break; the session's start does neither.
    void aPhaseChangeChimesAndNotifies()
    {
        DbusMock daemon(DbusMock::Bus::Session, "org.freedesktop.Notifications",
                        {"--template", "notification_daemon"});
        QVERIFY(daemon.waitUntilServing());
        const auto shown = [&daemon] {
            return daemon.methodCalls("/org/freedesktop/Notifications", "Notify")
                .value_or(QList<QVariantList>{});
        };
        Rig rig;
        const auto stream = std::make_shared<MixStream>();
        FocusCues cues(*rig.session, stream, nullptr);
        NullSink::MonitorRecording heard;
        QVERIFY(heard.start());

        QVERIFY(rig.session->start({1, 5, 15, 0}));
        QTest::qWait(500);
        QVERIFY(!stream->isRunning());
        QVERIFY(shown().isEmpty());
        const qsizetype before = heard.samples().size();

        rig.at(minute);
        QTRY_COMPARE(shown().size(), 1);
        const QVariantList notice = shown().first();
        QCOMPARE(notice.at(3).toString(), "Break: 5 min");
        QCOMPARE(qdbus_cast<QStringList>(notice.at(5)), (QStringList{"skip", "Skip break"}));
        QTRY_VERIFY(NullSink::rms(heard.samples(), before) > 200);
        QTRY_VERIFY_WITH_TIMEOUT(!stream->isRunning(), 10000); // rang once, then closed

        QVERIFY(daemon.mock(
            "/org/freedesktop/Notifications", "EmitSignal",
            {"org.freedesktop.Notifications", "ActionInvoked", "us", QVariantList{1u, "skip"}}));
        QTRY_COMPARE(rig.session->phase(), Phase::Focus);
    }

    void focusLinks_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("refusal"); // empty: accepted
        const auto row = [](const char *name, const char *link, const char *refusal) {
            QTest::newRow(name) << QString(link) << QString(refusal);
        };
        row("start", "dusk-haven://focus?focus=50&break=10&cycles=3", "");
        row("settings' durations", "dusk-haven://focus", "");
        row("too long", "dusk-haven://focus?focus=121", "from 1 to 120");
        row("not whole", "dusk-haven://focus?break=2.5", "must be whole");
        row("unknown key", "dusk-haven://focus?long=5", "“long” is not part");
        row("unknown action", "dusk-haven://focus?action=reset", "“reset”");
        row("both", "dusk-haven://focus?action=stop&focus=5", "either starts");
    }

    void focusLinks()
    {
        QFETCH(QString, link);
        QFETCH(QString, refusal);
        Rig rig;
        const QString answer = rig.session->openFocusAddress(QUrl(link));
        QVERIFY2(answer.contains(refusal), qPrintable(answer));
        QCOMPARE(rig.session->running(), refusal.isEmpty());
        if (!refusal.isEmpty())
            return;
        QCOMPARE(rig.session->openFocusAddress(QUrl("dusk-haven://focus?action=pause")), "");
        QVERIFY(rig.session->paused());
        QCOMPARE(rig.session->openFocusAddress(QUrl("dusk-haven://focus?action=skip")), "");
        QCOMPARE(rig.session->phase(), Phase::Break);
        QCOMPARE(rig.session->remainingSeconds(), (link.contains("break=10") ? 10 : 5) * 60);
        QCOMPARE(rig.session->openFocusAddress(QUrl("dusk-haven://focus?action=stop")), "");
        QVERIFY(!rig.session->running());
        QVERIFY(!rig.session->openFocusAddress(QUrl("dusk-haven://focus?action=resume")).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestFocusSession)
#include "tst_focussession.moc"
