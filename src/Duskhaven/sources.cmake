set(AREA_SOURCES
  AppError.h AppError.cpp
  Cancellation.h Cancellation.cpp
  FileLocations.h FileLocations.cpp
)
