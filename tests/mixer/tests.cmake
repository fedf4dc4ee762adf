duskhaven_add_test(tst_layerengine SOURCES mixer/tst_layerengine.cpp LABELS mixer audio)
duskhaven_add_test(tst_ambientmixer SOURCES mixer/tst_ambientmixer.cpp LABELS mixer audio)
duskhaven_add_test(tst_outputrecovery SOURCES mixer/tst_outputrecovery.cpp LABELS mixer audio
  TIMEOUT 90)
duskhaven_add_test(tst_changesheard SOURCES mixer/tst_changesheard.cpp LABELS mixer audio
  TIMEOUT 90)
