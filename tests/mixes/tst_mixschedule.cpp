#include "awareness/AutoPauseService.h"
#include "core/RecordStore.h"
#include "core/Translations.h"
#include "mixes/FocusSession.h"
#include "mixes/MixPrecedence.h"
#include "mixes/MixRecords.h"
#include "mixes/MixSchedule.h"
#include "mixes/SavedMixesService.h"
#include "mixes/SleepTimer.h"
#include "support/DbusMock.h"
#include "support/FakeAwareness.h"
#include "support/MixerFixture.h"

#include <QSignalSpy>
#include <QTest>

using namespace std::chrono_literals;

namespace {
constexpr int monday = 1, tuesday = 2, everyDay = MixSchedule::everyDay;

// Two saved mixes on the test player and a real store, and schedules on a wall clock the test
// moves. A minute of a glide lasts 50 ms.
struct Rig : MixerFixture
{
    std::unique_ptr<RecordStore> store =
        std::make_unique<RecordStore>(m_dir.filePath("records.sqlite"));
    SavedMixesService mixes{*store, *m_settings, m_library, m_music.player.get(), nullptr, 50ms};
    FakePowerState *power = nullptr;
    std::unique_ptr<AutoPauseService> autoPause;
    QDateTime clock{QDate(2026, 12, 7), QTime(12, 0)}; // a Monday
    std::unique_ptr<MixSchedule> schedule;
    QString morning, night;

    Rig()
    {
        m_server.serve("/manifest.json", 200,
                       catalogueJson(sceneCatalogue({{"rain", {"rain-1"}}, {"fire", {"fire-1"}}})));
        if (!TestSupport::wait(m_library.refresh()).value)
            qFatal("the catalogue did not load");
        m_music.player->setVolume(0.3f);
        mixes.saveCurrent("Morning");
        m_music.player->setVolume(0.6f);
        mixes.saveCurrent("Night");
        morning = mixes.mixes().at(0).id;
        night = mixes.mixes().at(1).id;
        auto fakePower = std::make_unique<FakePowerState>();
        power = fakePower.get();
        autoPause = std::make_unique<AutoPauseService>(
            *m_settings, &player(), nullptr, std::move(fakePower), AutoPauseService::Timing{});
        restart();
    }

    MixSchedule &restart(std::optional<QDBusConnection> bus = std::nullopt,
                         FocusSession *focus = nullptr, SleepTimer *sleep = nullptr)
    {
        schedule.reset();
        schedule = std::make_unique<MixSchedule>(
            *store, &mixes, &player(), autoPause.get(), focus, sleep,
            MixSchedule::Options{[this] { return clock; }, bus, 50ms});
        return *schedule;
    }

    PlayerService &player() { return *m_music.player; }

    // Moves the clock to the day and time and lets the schedule look; returns what applied.
    QStringList at(const QDate &day, const QTime &time)
    {
        QSignalSpy applied(schedule.get(), &MixSchedule::applied);
        clock = QDateTime(day, time);
        schedule->recheck();
        QStringList ids;
        for (const QList<QVariant> &args : applied)
            ids.append(args.first().toString());
        return ids;
    }
};

QDate dec(int day)
{
    return QDate(2026, 12, day);
}
} // namespace

class TestMixSchedule : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Times and day names as the C locale writes them, whatever the machine's.
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    // A schedule falls due on its weekdays at the local time, across midnight too, and each
    // due time applies once; the list survives a restart, sorted by time, and says what it does.
    void appliesEachDueTimeOnceOnItsDays()
    {
        Rig rig;
        rig.m_music.setPlaying(true);
        const QString late =
            rig.schedule->add(rig.night, 0 * 60 + 10, 1 << (tuesday - 1), 20, false);
        const QString early = rig.schedule->add(rig.morning, 7 * 60 + 30, 0x1f, 10, true);
        QVERIFY(!late.isEmpty() && !early.isEmpty());

        QCOMPARE(rig.at(dec(7), QTime(23, 59)), QStringList{});
        QCOMPARE(rig.at(dec(8), QTime(0, 10)), QStringList{late});
        QCOMPARE(rig.at(dec(8), QTime(0, 11)), QStringList{});
        QVERIFY(rig.mixes.isGliding());
        QTRY_COMPARE(rig.player().volume(), 0.6f);
        QCOMPARE(rig.at(dec(8), QTime(7, 30)), QStringList{early});
        // Tuesday only: Wednesday's 00:10 passes by.
        QCOMPARE(rig.at(dec(9), QTime(0, 30)), QStringList{});

        rig.restart();
        const QVariantList list = rig.schedule->scheduleList();
        QCOMPARE(list.size(), 2);
        const QVariantMap first = list.at(0).toMap();
        QCOMPARE(first.value("id").toString(), late);
        QCOMPARE(first.value("title").toString(), "00:10 · Night");
        QCOMPARE(first.value("detail").toString(), "Tue · over 20 min");
        QCOMPARE(list.at(1).toMap().value("detail").toString(),
                 "Weekdays · over 10 min · starts playing");

        QVERIFY(rig.mixes.remove(rig.night));
        QCOMPARE(rig.schedule->scheduleList().at(0).toMap().value("title").toString(),
                 "00:10 · A deleted mix");
        QCOMPARE(rig.at(dec(15), QTime(0, 10)), QStringList{});
        QVERIFY(rig.schedule->remove(late));
        QVERIFY(rig.schedule->edit(early, rig.morning, 8 * 60, 0x60, 5, false));
        rig.restart();
        QCOMPARE(rig.schedule->schedules().size(), 1);
        QCOMPARE(rig.schedule->scheduleList().at(0).toMap().value("detail").toString(),
                 "Weekends · over 5 min");
    }

    void refusesWhatCannotBeKept_data()
    {
        QTest::addColumn<bool>("knownMix");
        QTest::addColumn<int>("minute");
        QTest::addColumn<int>("days");
        QTest::addColumn<int>("glide");
        QTest::addColumn<QString>("why");
        QTest::newRow("no mix") << false << 60 << everyDay << 10 << "saved mixes";
        QTest::newRow("24:00") << true << 24 * 60 << everyDay << 10 << "23:59";
        QTest::newRow("no day") << true << 60 << 0 << 10 << "at least one day";
        QTest::newRow("an eighth day") << true << 60 << 0x80 << 10 << "at least one day";
        QTest::newRow("no glide") << true << 60 << everyDay << 0 << "1 to 60";
        QTest::newRow("two hours") << true << 60 << everyDay << 120 << "1 to 60";
    }

    // A refused schedule says why and keeps nothing, in the store either.
    void refusesWhatCannotBeKept()
    {
        QFETCH(bool, knownMix);
        QFETCH(int, minute);
        QFETCH(int, days);
        QFETCH(int, glide);
        QFETCH(QString, why);
        Rig rig;
        QCOMPARE(
            rig.schedule->add(knownMix ? rig.morning : "elsewhere", minute, days, glide, false),
            QString());
        QVERIFY2(rig.schedule->message().contains(why), qPrintable(rig.schedule->message()));
        QVERIFY(rig.store->fetchAll<ScheduledMix>("createdAt", Qt::AscendingOrder).isEmpty());
    }

    // The computer slept through 22:00 and 07:30 and woke at 08:00: on logind's word the
    // current schedule (Morning) applies at once, once, and the one passed meanwhile does not.
    // The clock set back to 23:00 brings Night, once; set forward again, Morning.
    void afterASuspendOrAClockChangeOnlyTheCurrentOneApplies()
    {
        Rig rig;
        DbusMock logind(DbusMock::Bus::System, "org.freedesktop.login1", {"--template", "logind"});
        QVERIFY(logind.waitUntilServing());
        rig.clock = QDateTime(dec(7), QTime(21, 0));
        rig.restart(QDBusConnection::systemBus());
        rig.m_music.setPlaying(true);
        const QString nightly = rig.schedule->add(rig.night, 22 * 60, everyDay, 1, false);
        const QString daily = rig.schedule->add(rig.morning, 7 * 60 + 30, everyDay, 1, false);

        QSignalSpy applied(rig.schedule.get(), &MixSchedule::applied);
        rig.clock = QDateTime(dec(8), QTime(8, 0));
        const auto wake = [&logind] {
            QVERIFY(logind.mock(
                "/org/freedesktop/login1", "EmitSignal",
                {"org.freedesktop.login1.Manager", "PrepareForSleep", "b", QVariantList{false}}));
        };
        wake();
        QVERIFY(applied.wait(5000));
        QCOMPARE(applied.takeFirst().first().toString(), daily);
        QTRY_COMPARE(rig.player().volume(), 0.3f);
        wake();
        QVERIFY(!applied.wait(300));

        QCOMPARE(rig.at(dec(7), QTime(23, 0)), QStringList{nightly});
        QCOMPARE(rig.at(dec(7), QTime(23, 0)), QStringList{});
        QCOMPARE(rig.at(dec(8), QTime(9, 0)), QStringList{daily});
        logind.stop();
    }

    // Nothing plays: a schedule passes by, unless it may start the music, and even then not
    // while auto-pause holds it; started, the music rises from silence.
    void startsTheMusicOnlyWhenAllowedAndNotHeld()
    {
        Rig rig;
        rig.autoPause->setPauseOnLowPowerMode(true);
        const QString quiet = rig.schedule->add(rig.night, 8 * 60, everyDay, 1, false);
        QCOMPARE(rig.at(dec(8), QTime(8, 0)), QStringList{});
        QVERIFY(!rig.player().isPlaying());

        QVERIFY(rig.schedule->edit(quiet, rig.night, 9 * 60, everyDay, 1, true));
        rig.power->change(true, std::nullopt);
        QVERIFY(rig.autoPause->holdsMusic());
        QCOMPARE(rig.at(dec(8), QTime(9, 0)), QStringList{});
        QVERIFY(!rig.player().isPlaying());

        rig.power->change(false, std::nullopt);
        QList<float> volumes;
        connect(&rig.player(), &PlayerService::volumeChanged, this,
                [&] { volumes.append(rig.player().volume()); });
        QCOMPARE(rig.at(dec(9), QTime(9, 0)), QStringList{quiet});
        QVERIFY(rig.player().isPlaying());
        QTRY_COMPARE(rig.player().volume(), 0.6f);
        QVERIFY(volumes.size() >= 2);
        QCOMPARE(volumes.first(), 0.0f);
    }

    // Who moves the volumes when several want to: the sleep fade over everything, a focus phase
    // with a mix over a schedule inside it, and the user's own change over any glide.
    void precedence_data()
    {
        QTest::addColumn<bool>("sleepFading");
        QTest::addColumn<QString>("focusMix");
        QTest::addColumn<bool>("userMoves");
        QTest::addColumn<bool>("focusMoves");
        QTest::addColumn<bool>("scheduleMoves");
        QTest::newRow("schedule alone") << false << "" << false << true << true;
        QTest::newRow("in a focus phase with a mix") << false << "mix" << false << true << false;
        QTest::newRow("sleep fading") << true << "" << false << false << false;
        QTest::newRow("the user's volume") << false << "" << true << true << false;
    }

    void precedence()
    {
        QFETCH(bool, sleepFading);
        QFETCH(QString, focusMix);
        QFETCH(bool, userMoves);
        QFETCH(bool, focusMoves);
        QFETCH(bool, scheduleMoves);
        Rig rig;
        rig.m_music.setPlaying(true);
        qint64 steady = 0;
        SleepTimer sleep(*rig.m_settings, &rig.player(), nullptr, nullptr,
                         SleepTimer::Options{[&steady] { return steady; }});
        FocusSession focus(
            *rig.m_settings, nullptr, &rig.mixes, &sleep,
            FocusSession::Options{[&steady] { return steady; }, [] { return dec(8); }});
        rig.restart(std::nullopt, &focus, &sleep);
        rig.schedule->add(rig.night, 8 * 60, everyDay, 1, false);
        if (!focusMix.isEmpty())
            focus.setFocusMixId(rig.morning);
        focus.start();
        QTRY_VERIFY(!rig.mixes.isGliding());
        if (sleepFading) {
            QVERIFY(sleep.start(1.0));
            steady = 55000;
            sleep.update();
            QVERIFY(sleep.fading());
        }
        QCOMPARE(MixPrecedence::mayMove(MixPrecedence::Mover::FocusPhase, &sleep, &focus),
                 focusMoves);

        rig.player().setVolume(0.1f);
        const QStringList applied = rig.at(dec(8), QTime(8, 0));
        if (userMoves) {
            QVERIFY(rig.mixes.isGliding());
            rig.player().setVolume(0.2f);
        }
        QTRY_VERIFY(!rig.mixes.isGliding());
        QCOMPARE(qFuzzyCompare(rig.player().volume(), 0.6f), scheduleMoves);
        QCOMPARE(applied.size(), int(scheduleMoves || userMoves));
    }

    void namesTheDays()
    {
        const Translations english(QLocale(QLocale::English));
        QCOMPARE(MixSchedule::daysText(0x7f), "Every day");
        QCOMPARE(MixSchedule::daysText(0x15), "Mon, Wed, Fri");
        QCOMPARE(MixSchedule::dayNames().size(), 7);
    }
};

QTEST_MAIN(TestMixSchedule)
#include "tst_mixschedule.moc"
