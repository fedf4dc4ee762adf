set(AREA_SOURCES
  AudioClients.h
  AudioContextMonitor.h AudioContextMonitor.cpp
  PulseAudioClients.h PulseAudioClients.cpp
  PowerState.h
  UPowerState.h UPowerState.cpp
  AutoPauseService.h AutoPauseService.cpp
  GlobalHotKeys.h GlobalHotKeys.cpp
  X11HotKeys.h X11HotKeys.cpp
  PortalHotKeys.h PortalHotKeys.cpp
  HotKeyService.h HotKeyService.cpp
)

# X11 key grabs (xcb).
find_package(PkgConfig REQUIRED)
pkg_check_modules(DUSKHAVEN_AWARENESS_DEPS REQUIRED IMPORTED_TARGET xcb)
target_link_libraries(duskhaven_services PUBLIC PkgConfig::DUSKHAVEN_AWARENESS_DEPS)
