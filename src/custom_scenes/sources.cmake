set(AREA_SOURCES
  CustomScene.h CustomScene.cpp
  SoundProbe.h SoundProbe.cpp
  CustomScenesService.h CustomScenesService.cpp
  DialogFilePicker.h DialogFilePicker.cpp
)
