// Idles for a while with or without a sleep timer running, for bench/sleep-timer-cpu.sh:
//   sleep_timer_idle --seconds N [--timer] [--watch]
// --timer starts a 90-minute timer; --watch counts one view in, as a visible panel does.
#include "core/SettingsStore.h"
#include "mixes/SleepTimer.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTimer>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addOption({QStringLiteral("seconds"), QStringLiteral("How long to idle."),
                      QStringLiteral("n"), QStringLiteral("30")});
    parser.addOption({QStringLiteral("timer"), QStringLiteral("Run a sleep timer.")});
    parser.addOption({QStringLiteral("watch"), QStringLiteral("Watch its time left.")});
    parser.process(app);

    QTemporaryDir dir;
    SettingsStore settings(dir.filePath(QStringLiteral("settings.json")));
    SleepTimer timer(settings, nullptr, nullptr, nullptr);
    if (parser.isSet(QStringLiteral("timer")))
        timer.start(90);
    if (parser.isSet(QStringLiteral("watch")))
        timer.watch();
    QTimer::singleShot(parser.value(QStringLiteral("seconds")).toInt() * 1000, &app,
                       &QCoreApplication::quit);
    return app.exec();
}
