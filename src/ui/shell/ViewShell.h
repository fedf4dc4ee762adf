#pragma once

#include "core/AppServices.h"

#include <QObject>
#include <QString>
#include <memory>

class DesktopColorScheme;
class MenuBarController;
class PanelSurface;
class SettingsStore;

// The application's windows: the launcher, the settings window and the tray panel's view.
// They are built on Qt Quick in the views' module (duskhaven-views.so), which the application
// loads when a window is first wanted, so that a process that stays in the tray never loads
// Qt Quick.
class ViewShell : public QObject
{
    Q_OBJECT

public:
    // What the windows are built on; all of it outlives the shell.
    struct Context
    {
        AppServices services;
        SettingsStore &settings;
        DesktopColorScheme &desktop;
        MenuBarController &menuBar;
    };

    // Loads the views' module and builds its shell; none, with the reason in `error`, when the
    // module cannot be loaded.
    static std::unique_ptr<ViewShell> load(const Context &context, QString *error);

    using QObject::QObject;

    // The launcher's appearance at process start, under the rule above.
    virtual void openLauncherAtLaunch() = 0;
    // Shows the launcher (or brings the open one to the front) and gives it the focus.
    virtual void openLauncher() = 0;
    virtual void openSettings() = 0;
    // A new tray panel window with its view.
    virtual std::unique_ptr<PanelSurface> makePanel() = 0;
    // The headless demo: writes a picture of every state into `folder`, then reports.
    virtual void takeScreenshots(const QString &folder) = 0;

Q_SIGNALS:
    void screenshotsFinished(bool written);
};

// The module's entries, by these names (see Duskhaven/ViewsModuleEntry.cpp).
using MakeViewShellFunction = ViewShell *(*)(const ViewShell::Context &context);
