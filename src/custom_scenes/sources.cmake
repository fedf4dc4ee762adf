set(AREA_SOURCES
  CustomScene.h CustomScene.cpp
  CustomScenesService.h CustomScenesService.cpp
  DialogFilePicker.h DialogFilePicker.cpp
)
