duskhaven_add_test(tst_audiocontextmonitor
  SOURCES awareness/tst_audiocontextmonitor.cpp support/FakeAwareness.h LABELS awareness)
duskhaven_add_test(tst_pulseaudioclients
  SOURCES awareness/tst_pulseaudioclients.cpp support/PulseTestStream.h LABELS awareness)
duskhaven_add_test(tst_autopause
  SOURCES awareness/tst_autopause.cpp support/FakeAwareness.h LABELS awareness)
duskhaven_add_test(tst_upowerstate
  SOURCES awareness/tst_upowerstate.cpp LABELS awareness)
duskhaven_add_test(tst_hotkeys SOURCES awareness/tst_hotkeys.cpp LABELS awareness)
duskhaven_add_test(tst_portalhotkeys SOURCES awareness/tst_portalhotkeys.cpp LABELS awareness)
# The test's own streams use libpulse directly.
pkg_check_modules(DUSKHAVEN_TEST_PULSE REQUIRED IMPORTED_TARGET libpulse)
target_link_libraries(tst_pulseaudioclients PRIVATE PkgConfig::DUSKHAVEN_TEST_PULSE)
