#include "Duskhaven/DuskhavenApp.h"
#include "Duskhaven/InputMethodGuard.h"
#include "core/BuildInfo.h"
#include "core/Translations.h"
#include "ui/Resources.h"

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

    // Decided before Qt connects to the display, which is when it picks the input method.
    InputMethodGuard::apply(argc, argv);
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("dusk-haven"));
    // No display name: Qt would append it to every window title ("dusk-haven — Dusk Haven").
    QApplication::setApplicationVersion(QString::fromUtf8(BuildInfo::version));
    QApplication::setDesktopFileName(QString::fromUtf8(BuildInfo::appId));
    // The app lives in the tray: closing its last window does not end it.
    QApplication::setQuitOnLastWindowClosed(false);

    Resources::init();
    // Before any service or window: each makes its texts when it is built.
    const Translations translations;

    DuskhavenApp app;
    switch (app.start(application.arguments(), err)) {
    case DuskhavenApp::Start::Running:
        return QApplication::exec();
    case DuskhavenApp::Start::HandedOver:
        return 0;
    case DuskhavenApp::Start::Failed:
        break;
    }
    return 1;
}
