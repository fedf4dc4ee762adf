duskhaven_add_test(tst_httpclient SOURCES library/tst_httpclient.cpp LABELS library)
