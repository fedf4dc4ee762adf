set(AREA_SOURCES
  AppEnvironment.h AppEnvironment.cpp
  DuskhavenApp.h DuskhavenApp.cpp
  InputMethodGuard.h InputMethodGuard.cpp
)
