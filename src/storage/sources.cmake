set(AREA_SOURCES
  CacheService.h CacheService.cpp
)
