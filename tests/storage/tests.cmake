duskhaven_add_test(tst_cacheservice SOURCES storage/tst_cacheservice.cpp LABELS storage)
duskhaven_add_test(tst_safefilename SOURCES storage/tst_safefilename.cpp LABELS storage)
