#pragma once

#include <QCoroTask>
#include <QObject>
#include <QString>

class MenuBarController;
class ShellWindows;

// For the headless demo (DUSKHAVEN_SCREENSHOTS=<folder>): once the shell is up it shows the
// launcher and the panel, writes launcher.png and panel.png into the folder, then the
// panel's states (PanelShots), and reports whether all were written. Nothing of this runs in a normal start.
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

    QString m_folder;
    ShellWindows &m_windows;
    MenuBarController &m_menuBar;
};
