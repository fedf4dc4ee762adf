#pragma once

#include <QCoroTask>
#include <QObject>
#include <QString>

class MenuBarController;
class ShellWindows;

// For the headless demo (DUSKHAVEN_SCREENSHOTS=<folder>): once the shell is up it shows the
// launcher, the panel and the settings window, writes launcher.png, panel.png, settings.png
// and settings-custom.png into the folder and reports whether all were written. Nothing of this runs in a normal start.
class ScreenshotRun : public QObject
{
    Q_OBJECT

public:
    ScreenshotRun(QString folder, ShellWindows &windows, MenuBarController &menuBar,
                  QObject *parent = nullptr);

    void start();

Q_SIGNALS:
    void finished(bool written);

private:
    QCoro::Task<> run();
    // settings.png (the top) and settings-custom.png (scrolled to the custom scenes).
    QCoro::Task<bool> settingsShots();

    QString m_folder;
    ShellWindows &m_windows;
    MenuBarController &m_menuBar;
};
