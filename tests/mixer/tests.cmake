duskhaven_add_test(tst_layerengine SOURCES mixer/tst_layerengine.cpp mixer/AudioFiles.h
  LABELS mixer)
