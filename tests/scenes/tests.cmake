duskhaven_add_test(tst_customscenes SOURCES scenes/tst_customscenes.cpp LABELS scenes)
duskhaven_add_test(tst_imagecache SOURCES scenes/tst_imagecache.cpp LABELS scenes)
duskhaven_add_test(tst_videocache SOURCES scenes/tst_videocache.cpp LABELS scenes)
