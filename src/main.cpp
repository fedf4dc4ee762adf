#include "Duskhaven/BuildInfo.h"
#include "Duskhaven/DuskhavenApp.h"

#include <QApplication>
#include <QTextStream>
#include <cstdio>

int main(int argc, char *argv[])
{
    QTextStream out(stdout);
    QTextStream err(stderr);

    // --help and --version answer without a display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    if (const auto status = DuskhavenApp::handleCommandLine(arguments, out, err))
        return *status;

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("dusk-haven"));
    QApplication::setApplicationDisplayName(QStringLiteral("Dusk Haven"));
    QApplication::setApplicationVersion(QString::fromUtf8(BuildInfo::version));
    QApplication::setDesktopFileName(QStringLiteral("dusk-haven"));
    // The app lives in the tray: closing its last window does not end it.
    QApplication::setQuitOnLastWindowClosed(false);

    DuskhavenApp app;
    if (!app.start(err))
        return 1;
    return QApplication::exec();
}
