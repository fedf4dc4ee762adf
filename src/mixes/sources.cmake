set(AREA_SOURCES
  FadeCurve.h
  MixLink.h MixLink.cpp
  MixNames.h MixNames.cpp
  VolumeGlide.h VolumeGlide.cpp
  SavedMixesService.h SavedMixesService.cpp
  SleepTimer.h SleepTimer.cpp
)
