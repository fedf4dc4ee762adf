#pragma once

class AmbientMixerService;
class AudioContextMonitor;
class AutoPauseService;
class CacheService;
class CoverImageLoader;
class CustomScenesService;
class DialogFilePicker;
class FocusSession;
class HotKeyService;
class LibraryService;
class MixSchedule;
class PinService;
class PlayerService;
class SavedMixesService;
class SettingsStore;
class SleepTimer;
class StartupNotice;
class VideoCacheService;

// The services the windows reach, as the environment hands them to the views.
struct AppServices
{
    PlayerService &player;
    LibraryService &library;
    AmbientMixerService &mixer;
    AutoPauseService &autoPause;
    HotKeyService &hotKeys;
    PinService &pins;
    CacheService &cache;
    CustomScenesService &customScenes;
    DialogFilePicker &customScenePicker;
    VideoCacheService &videoCache;
    AudioContextMonitor &audioMonitor;
    SettingsStore &settings;
    CoverImageLoader &coverImages;
    StartupNotice &startupNotice;
    SavedMixesService &savedMixes;
    SleepTimer &sleepTimer;
    FocusSession &focus;
    MixSchedule &schedule;
};
