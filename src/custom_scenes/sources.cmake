set(AREA_SOURCES
  CustomScenesService.h CustomScenesService.cpp
  DialogFilePicker.h DialogFilePicker.cpp
)
