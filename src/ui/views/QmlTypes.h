#pragma once

// The services and theme objects as QML types, so that views bind to them with their types
// known to qmlcachegen and qmllint. The services are built once by the environment and handed
// to each window; QML never creates one.

#include "awareness/AudioContextMonitor.h"
#include "core/StartupNotice.h"
#include "awareness/AutoPauseService.h"
#include "awareness/HotKeyService.h"
#include "catalogue/LibraryService.h"
#include "custom_scenes/CustomScenesService.h"
#include "custom_scenes/DialogFilePicker.h"
#include "mixer/AmbientMixerService.h"
#include "mixes/SavedMixesService.h"
#include "mixes/SleepTimer.h"
#include "playback/PlayerService.h"
#include "storage/CacheService.h"
#include "storage/ImageCache.h"
#include "storage/PinService.h"
#include "storage/VideoCacheService.h"
#include "ui/theme/Symbols.h"
#include "ui/theme/ThemePalette.h"

#include <QtQml/qqml.h>

struct PlayerServiceForeign
{
    Q_GADGET
    QML_FOREIGN(PlayerService)
    QML_NAMED_ELEMENT(PlayerService)
    QML_UNCREATABLE("Built once by the application and handed to each window.")
};

struct SavedMixesServiceForeign
{
    Q_GADGET
    QML_FOREIGN(SavedMixesService)
    QML_NAMED_ELEMENT(SavedMixesService)
    QML_UNCREATABLE("Built once by the application and handed to each window.")
};

struct SleepTimerForeign
{
    Q_GADGET
    QML_FOREIGN(SleepTimer)
    QML_NAMED_ELEMENT(SleepTimer)
    QML_UNCREATABLE("Built once by the application and handed to each window.")
};

struct LibraryServiceForeign
{
    Q_GADGET
    QML_FOREIGN(LibraryService)
    QML_NAMED_ELEMENT(LibraryService)
    QML_UNCREATABLE("Built once by the application and handed to each window.")
};

struct AmbientMixerServiceForeign
{
    Q_GADGET
    QML_FOREIGN(AmbientMixerService)
    QML_NAMED_ELEMENT(AmbientMixerService)
    QML_UNCREATABLE("Built once by the application and handed to each window.")
};

struct AutoPauseServiceForeign
{
    Q_GADGET
    QML_FOREIGN(AutoPauseService)
    QML_NAMED_ELEMENT(AutoPauseService)
    QML_UNCREATABLE("Built once by the application and handed to each window.")
};

struct AudioContextMonitorForeign
{
    Q_GADGET
    QML_FOREIGN(AudioContextMonitor)
    QML_NAMED_ELEMENT(AudioContextMonitor)
    QML_UNCREATABLE("Built once by the application and handed to each window.")
};

struct HotKeyServiceForeign
{
    Q_GADGET
    QML_FOREIGN(HotKeyService)
    QML_NAMED_ELEMENT(HotKeyService)
    QML_UNCREATABLE("Built once by the application and handed to each window.")
};

struct PinServiceForeign
{
    Q_GADGET
    QML_FOREIGN(PinService)
    QML_NAMED_ELEMENT(PinService)
    QML_UNCREATABLE("Built once by the application and handed to each window.")
};

struct CacheServiceForeign
{
    Q_GADGET
    QML_FOREIGN(CacheService)
    QML_NAMED_ELEMENT(CacheService)
    QML_UNCREATABLE("Built once by the application and handed to each window.")
};

struct CustomScenesServiceForeign
{
    Q_GADGET
    QML_FOREIGN(CustomScenesService)
    QML_NAMED_ELEMENT(CustomScenesService)
    QML_UNCREATABLE("Built once by the application and handed to each window.")
};

struct DialogFilePickerForeign
{
    Q_GADGET
    QML_FOREIGN(DialogFilePicker)
    QML_NAMED_ELEMENT(DialogFilePicker)
    QML_UNCREATABLE("Built once by the application and handed to each window.")
};

struct VideoCacheServiceForeign
{
    Q_GADGET
    QML_FOREIGN(VideoCacheService)
    QML_NAMED_ELEMENT(VideoCacheService)
    QML_UNCREATABLE("Built once by the application and handed to each window.")
};

struct CoverImageLoaderForeign
{
    Q_GADGET
    QML_FOREIGN(CoverImageLoader)
    QML_NAMED_ELEMENT(CoverImageLoader)
    QML_UNCREATABLE("Built once by the application and handed to each window.")
};

struct ThemePaletteForeign
{
    Q_GADGET
    QML_FOREIGN(ThemePalette)
    QML_NAMED_ELEMENT(ThemePalette)
    QML_UNCREATABLE("Built once by the application and handed to each window.")
};

struct SymbolTableForeign
{
    Q_GADGET
    QML_FOREIGN(SymbolTable)
    QML_NAMED_ELEMENT(SymbolTable)
    QML_UNCREATABLE("Built once by the application and handed to each window.")
};

struct StartupNoticeForeign
{
    Q_GADGET
    QML_FOREIGN(StartupNotice)
    QML_NAMED_ELEMENT(StartupNotice)
    QML_UNCREATABLE("Built once by the application and handed to each window.")
};
