// Idles for a while with or without a sleep timer or a focus session running, for
// bench/sleep-timer-cpu.sh:
//   sleep_timer_idle --seconds N [--timer] [--focus] [--watch]
// --timer starts a 90-minute timer; --focus a focus session of the default lengths; --watch
// counts one view in, as a visible panel does.
#include "core/SettingsStore.h"
#include "mixes/FocusSession.h"
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
    parser.addOption({QStringLiteral("focus"), QStringLiteral("Run a focus session.")});
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
    if (parser.isSet(QStringLiteral("watch"))) {
        timer.watch();
        focus.watch();
    }
    QTimer::singleShot(parser.value(QStringLiteral("seconds")).toInt() * 1000, &app,
                       &QCoreApplication::quit);
    return app.exec();
}
