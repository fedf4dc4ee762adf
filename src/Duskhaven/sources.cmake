set(AREA_SOURCES
  AppError.h AppError.cpp
  FileLocations.h FileLocations.cpp
)
