duskhaven_add_test(tst_customscenes SOURCES scenes/tst_customscenes.cpp LABELS scenes)
