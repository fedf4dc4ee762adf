duskhaven_add_test(tst_mixrules SOURCES mixes/tst_mixrules.cpp LABELS mixes)
duskhaven_add_test(tst_sleeptimer SOURCES mixes/tst_sleeptimer.cpp support/FakeAwareness.h
  LABELS mixes)
duskhaven_add_test(tst_savedmixes SOURCES mixes/tst_savedmixes.cpp LABELS mixes audio)
duskhaven_add_test(tst_focussession SOURCES mixes/tst_focussession.cpp LABELS mixes audio dbus)
duskhaven_add_test(tst_mixschedule SOURCES mixes/tst_mixschedule.cpp support/FakeAwareness.h
  LABELS mixes dbus)
