set(AREA_SOURCES
  AppEnvironment.h AppEnvironment.cpp
  AppError.h AppError.cpp
  Cancellation.h Cancellation.cpp
  DuskhavenApp.h DuskhavenApp.cpp
  FileLocations.h FileLocations.cpp
  RecordStore.h RecordStore_impl.h RecordStore.cpp
  SettingsStore.h SettingsStore.cpp
)
