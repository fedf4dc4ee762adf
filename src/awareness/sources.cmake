set(AREA_SOURCES
  AudioClients.h
  AudioContextMonitor.h AudioContextMonitor.cpp
  PulseAudioClients.h PulseAudioClients.cpp
  PowerState.h
  UPowerState.h UPowerState.cpp
  AutoPauseService.h AutoPauseService.cpp
)

# The sound server's client list (libpulse).
find_package(PkgConfig REQUIRED)
pkg_check_modules(DUSKHAVEN_AWARENESS_DEPS REQUIRED IMPORTED_TARGET libpulse)
target_link_libraries(duskhaven_core PUBLIC PkgConfig::DUSKHAVEN_AWARENESS_DEPS)
