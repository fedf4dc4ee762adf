set(AREA_SOURCES
  AppError.h AppError.cpp
  Cancellation.h Cancellation.cpp
  FileLocations.h FileLocations.cpp
  FileWriter.h FileWriter.cpp
  RecordStore.h RecordStore_impl.h RecordStore.cpp
  SafeFileName.h SafeFileName.cpp
  SettingsStore.h SettingsStore.cpp
  StartupNotice.h
  AppModule.h AppModule.cpp
)
