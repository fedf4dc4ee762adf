// Idles for a while with or without a sleep timer, a focus session or scheduled mixes, for
// bench/sleep-timer-cpu.sh:
//   sleep_timer_idle --seconds N [--timer] [--focus] [--schedules] [--watch]
// --timer starts a 90-minute timer; --focus a focus session of the default lengths;
// --schedules keeps two schedules waiting, due in 6 and 12 hours, and watches the system for
// wakes and clock changes as the app does; --watch counts one view in, as a visible panel does.
#include "core/RecordStore.h"
#include "core/SettingsStore.h"
#include "mixes/FocusSession.h"
#include "mixes/MixSchedule.h"
#include "mixes/SleepTimer.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTimer>
#include <memory>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addOption({QStringLiteral("seconds"), QStringLiteral("How long to idle."),
                      QStringLiteral("n"), QStringLiteral("30")});
    parser.addOption({QStringLiteral("timer"), QStringLiteral("Run a sleep timer.")});
    parser.addOption({QStringLiteral("focus"), QStringLiteral("Run a focus session.")});
    parser.addOption({QStringLiteral("schedules"), QStringLiteral("Keep schedules waiting.")});
    parser.addOption({QStringLiteral("watch"), QStringLiteral("Watch its time left.")});
    parser.process(app);

    QTemporaryDir dir;
    SettingsStore settings(dir.filePath(QStringLiteral("settings.json")));
    SleepTimer timer(settings, nullptr, nullptr, nullptr);
    FocusSession focus(settings, nullptr, nullptr, nullptr);
    if (parser.isSet(QStringLiteral("timer")))
        timer.start(90);
    if (parser.isSet(QStringLiteral("focus")))
        focus.start();
    RecordStore store(dir.filePath(QStringLiteral("records.sqlite")));
    std::unique_ptr<MixSchedule> schedule;
    if (parser.isSet(QStringLiteral("schedules"))) {
        const QDateTime now = QDateTime::currentDateTime();
        for (const int hours : {6, 12}) {
            const QTime at = now.addSecs(hours * 3600).time();
            store.insert(ScheduledMix{QString::number(hours), QStringLiteral("mix"),
                                      at.hour() * 60 + at.minute(), MixSchedule::everyDay, 20,
                                      false, now});
        }
        store.save();
        schedule =
            std::make_unique<MixSchedule>(store, nullptr, nullptr, nullptr, nullptr, nullptr);
    }
    if (parser.isSet(QStringLiteral("watch"))) {
        timer.watch();
        focus.watch();
    }
    QTimer::singleShot(parser.value(QStringLiteral("seconds")).toInt() * 1000, &app,
                       &QCoreApplication::quit);
    return app.exec();
}
