duskhaven_add_test(tst_session SOURCES session/tst_session.cpp LABELS session)
