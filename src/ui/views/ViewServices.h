#pragma once

#include "core/AppServices.h"
#include "ui/views/QmlTypes.h"
#include "ui/views/SceneListModel.h"
#include "ui/views/ViewSettings.h"
#include "visuals/ArtClock.h"

#include <QObject>
#include <QtQml/qqmlregistration.h>

class ShellWindows;
class XdgAutostart;
Q_MOC_INCLUDE("ui/shell/ShellWindows.h")

// What every window's view reaches: the services it binds to and calls, the settings, the
// catalogue's scenes and the window operations. Each window gets this one object as a required
// property; nothing is global. Built once by whoever builds the windows.
class ViewServices : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Built once by the application and handed to each window.")
    Q_PROPERTY(PlayerService *player READ player CONSTANT)
    Q_PROPERTY(LibraryService *library READ library CONSTANT)
    Q_PROPERTY(AmbientMixerService *mixer READ mixer CONSTANT)
    Q_PROPERTY(AutoPauseService *autoPause READ autoPause CONSTANT)
    Q_PROPERTY(HotKeyService *hotKeys READ hotKeys CONSTANT)
    Q_PROPERTY(PinService *pins READ pins CONSTANT)
    Q_PROPERTY(CacheService *cache READ cache CONSTANT)
    Q_PROPERTY(CustomScenesService *customScenes READ customScenes CONSTANT)
    Q_PROPERTY(DialogFilePicker *customScenePicker READ customScenePicker CONSTANT)
    Q_PROPERTY(VideoCacheService *videoCache READ videoCache CONSTANT)
    Q_PROPERTY(CoverImageLoader *coverImages READ coverImages CONSTANT)
    Q_PROPERTY(AudioContextMonitor *audioMonitor READ audioMonitor CONSTANT)
    Q_PROPERTY(ViewSettings *settings READ settings CONSTANT)
    Q_PROPERTY(StartupNotice *startupNotice READ startupNotice CONSTANT)
    Q_PROPERTY(SavedMixesService *savedMixes READ savedMixes CONSTANT)
    Q_PROPERTY(SleepTimer *sleepTimer READ sleepTimer CONSTANT)
    Q_PROPERTY(FocusSession *focus READ focus CONSTANT)
    Q_PROPERTY(MixSchedule *schedule READ schedule CONSTANT)
    Q_PROPERTY(SceneListModel *scenes READ scenes CONSTANT)
    Q_PROPERTY(ShellWindows *shell READ shell CONSTANT)
    // The one clock that moves every picture of every window.
    Q_PROPERTY(ArtClock *artClock READ artClock CONSTANT)

public:
    using Services = AppServices;

    ViewServices(const Services &services, ShellWindows &shell, QObject *parent = nullptr);

    PlayerService *player() const { return &m_services.player; }
    LibraryService *library() const { return &m_services.library; }
    AmbientMixerService *mixer() const { return &m_services.mixer; }
    AutoPauseService *autoPause() const { return &m_services.autoPause; }
    HotKeyService *hotKeys() const { return &m_services.hotKeys; }
    PinService *pins() const { return &m_services.pins; }
    CacheService *cache() const { return &m_services.cache; }
    CustomScenesService *customScenes() const { return &m_services.customScenes; }
    DialogFilePicker *customScenePicker() const { return &m_services.customScenePicker; }
    VideoCacheService *videoCache() const { return &m_services.videoCache; }
    CoverImageLoader *coverImages() const { return &m_services.coverImages; }
    AudioContextMonitor *audioMonitor() const { return &m_services.audioMonitor; }
    ViewSettings *settings() const { return m_settings; }
    StartupNotice *startupNotice() const { return &m_services.startupNotice; }
    SavedMixesService *savedMixes() const { return &m_services.savedMixes; }
    SleepTimer *sleepTimer() const { return &m_services.sleepTimer; }
    FocusSession *focus() const { return &m_services.focus; }
    MixSchedule *schedule() const { return &m_services.schedule; }
    SceneListModel *scenes() const { return m_scenes; }
    ShellWindows *shell() const { return &m_shell; }
    ArtClock *artClock() const { return m_artClock; }

private:
    Services m_services;
    ShellWindows &m_shell;
    ViewSettings *m_settings;
    SceneListModel *m_scenes;
    ArtClock *m_artClock;
    // Follows "launchAtLogin" for as long as there are views to change it.
    XdgAutostart *m_autostart;
};
