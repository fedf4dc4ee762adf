list(APPEND AREA_SOURCES
  CacheEntry.h CacheEntry.cpp
  CacheService.h CacheService.cpp
  DownloadService.h DownloadService.cpp
  ImageCache.h ImageCache.cpp
  PinService.h PinService.cpp
  VideoCacheService.h VideoCacheService.cpp
)
