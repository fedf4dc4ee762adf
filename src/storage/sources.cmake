set(AREA_SOURCES
  CacheService.h CacheService.cpp
  DownloadService.h DownloadService.cpp
  PinService.h PinService.cpp
)
