#pragma once

// The services and theme objects as QML types, so that views bind to them with their types
// known to qmlcachegen and qmllint. The services are built once by the environment and handed
// to each window; QML never creates one.

#include "awareness/AudioContextMonitor.h"
#include "awareness/AutoPauseService.h"
#include "awareness/HotKeyService.h"
#include "catalogue/LibraryService.h"
#include "core/StartupNotice.h"
#include "custom_scenes/CustomScenesService.h"
#include "custom_scenes/DialogFilePicker.h"
#include "mixer/AmbientMixerService.h"
#include "mixes/FocusSession.h"
#include "mixes/MixSchedule.h"
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

// One QML type per service and theme object, known by its class name: QML binds to them but
// never creates one. moc expands the macro as the compiler does.
#define DUSKHAVEN_HANDED_IN_QML_TYPE(Type)                                                         \
    struct Type##Foreign                                                                           \
    {                                                                                              \
        Q_GADGET                                                                                   \
        QML_FOREIGN(Type)                                                                          \
        QML_NAMED_ELEMENT(Type)                                                                    \
        QML_UNCREATABLE("Built once by the application and handed to each window.")                \
    };

DUSKHAVEN_HANDED_IN_QML_TYPE(PlayerService)
DUSKHAVEN_HANDED_IN_QML_TYPE(SavedMixesService)
DUSKHAVEN_HANDED_IN_QML_TYPE(SleepTimer)
DUSKHAVEN_HANDED_IN_QML_TYPE(FocusSession)
DUSKHAVEN_HANDED_IN_QML_TYPE(MixSchedule)
DUSKHAVEN_HANDED_IN_QML_TYPE(LibraryService)
DUSKHAVEN_HANDED_IN_QML_TYPE(AmbientMixerService)
DUSKHAVEN_HANDED_IN_QML_TYPE(AutoPauseService)
DUSKHAVEN_HANDED_IN_QML_TYPE(AudioContextMonitor)
DUSKHAVEN_HANDED_IN_QML_TYPE(HotKeyService)
DUSKHAVEN_HANDED_IN_QML_TYPE(PinService)
DUSKHAVEN_HANDED_IN_QML_TYPE(CacheService)
DUSKHAVEN_HANDED_IN_QML_TYPE(CustomScenesService)
DUSKHAVEN_HANDED_IN_QML_TYPE(DialogFilePicker)
DUSKHAVEN_HANDED_IN_QML_TYPE(VideoCacheService)
DUSKHAVEN_HANDED_IN_QML_TYPE(CoverImageLoader)
DUSKHAVEN_HANDED_IN_QML_TYPE(ThemePalette)
DUSKHAVEN_HANDED_IN_QML_TYPE(SymbolTable)
DUSKHAVEN_HANDED_IN_QML_TYPE(StartupNotice)
