duskhaven_add_test(tst_sceneart SOURCES visuals/tst_sceneart.cpp LABELS visuals)
duskhaven_add_test(tst_scenepictures SOURCES visuals/tst_scenepictures.cpp LABELS visuals)
