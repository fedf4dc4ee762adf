list(APPEND AREA_SOURCES
  CacheService.h CacheService.cpp
  DownloadService.h DownloadService.cpp
  ImageCache.h ImageCache.cpp
  PinService.h PinService.cpp
  VideoCacheService.h VideoCacheService.cpp
)
