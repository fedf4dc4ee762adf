set(AREA_SOURCES
  CustomScenesService.h CustomScenesService.cpp
)
