set(AREA_SOURCES
  AppError.h AppError.cpp
  Cancellation.h Cancellation.cpp
  FadeCurve.h
  FileLocations.h FileLocations.cpp
  FileWriter.h FileWriter.cpp
  RecordStore.h RecordStore_impl.h RecordStore.cpp
  SafeFileName.h SafeFileName.cpp
  SettingsStore.h SettingsStore.cpp
  StartupNotice.h
  AppModule.h AppModule.cpp
  PulseLibrary.h PulseLibrary.cpp
)

# The sound server's client library: its headers only, as it is loaded when first needed
# (PulseLibrary).
find_package(PkgConfig REQUIRED)
pkg_check_modules(DUSKHAVEN_PULSE REQUIRED libpulse)
target_include_directories(duskhaven_services PUBLIC ${DUSKHAVEN_PULSE_INCLUDE_DIRS})
