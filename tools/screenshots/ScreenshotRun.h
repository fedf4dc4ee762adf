#pragma once

#include <QCoroTask>
#include <QImage>
#include <QList>
#include <QObject>
#include <QString>
#include <functional>

class MenuBarController;
class QmlHost;
class ShellWindows;

// For the headless demo (DUSKHAVEN_SCREENSHOTS=<folder>): once the shell is up it takes a list
// of named shots in order (the launcher and the panel, then the scene pictures), then the
// panel's and the launcher's states and the settings window, writes each into the folder and
// reports whether every one was written. Nothing of this runs in a normal start.
class ScreenshotRun : public QObject
{
    Q_OBJECT

public:
    struct Shot
    {
        // The file's name in the folder ("launcher.png").
        QString fileName;
        // Brings up what the shot pictures and grabs it; a null image when it could not.
        std::function<QCoro::Task<QImage>()> take;
    };

    ScreenshotRun(QString folder, ShellWindows &windows, MenuBarController &menuBar, QmlHost &qml,
                  QObject *parent = nullptr);

    // Appends a shot, taken after those already listed.
    void addShot(Shot shot);
    void start();

Q_SIGNALS:
    void finished(bool written);

private:
    QCoro::Task<> run();
    QCoro::Task<QImage> launcherShot();
    // A 1280 × 720 still of a scene picture (see PictureShot.qml), after `settle` ms and, for a
    // video, once it shows a frame.
    QCoro::Task<QImage> pictureShot(QVariantMap properties, int settle);
    void addPictureShots();
    // The settings window at the top, or scrolled to the custom scenes.
    // The settings window at its top (with the demo's own scenes added), or scrolled to the
    // section of this object name.
    QCoro::Task<QImage> settingsShot(QString section);
    // The scheduled mixes: the list of two, then (editing) the first one open in the editor,
    // after which the schedules and their mixes go again.
    QCoro::Task<QImage> schedulesShot(bool editing);

    QString m_folder;
    ShellWindows &m_windows;
    MenuBarController &m_menuBar;
    QmlHost &m_qml;
    QList<Shot> m_shots;
};
