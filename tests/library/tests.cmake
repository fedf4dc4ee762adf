duskhaven_add_test(tst_httpclient SOURCES library/tst_httpclient.cpp LABELS library)
duskhaven_add_test(tst_library SOURCES library/tst_library.cpp LABELS library)
