list(APPEND AREA_SOURCES
  ImageCache.h ImageCache.cpp
  VideoCacheService.h VideoCacheService.cpp
)
