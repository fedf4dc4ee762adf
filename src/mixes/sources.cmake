set(AREA_SOURCES
  MixLink.h MixLink.cpp
  MixRecords.h MixRecords.cpp
  MixNames.h MixNames.cpp
  VolumeGlide.h VolumeGlide.cpp
  SavedMixesService.h SavedMixesService.cpp
  SleepTimer.h SleepTimer.cpp
  Countdown.h Countdown.cpp
  FocusSession.h FocusSession.cpp
  FocusCues.h FocusCues.cpp
  LinkRouter.h LinkRouter.cpp
  MixPrecedence.h MixPrecedence.cpp
  MixSchedule.h MixSchedule.cpp
  WallClockWatch.h WallClockWatch.cpp
)
