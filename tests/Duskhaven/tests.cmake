duskhaven_add_test(tst_app SOURCES Duskhaven/tst_app.cpp LABELS Duskhaven)
duskhaven_add_test(tst_startup SOURCES Duskhaven/tst_startup.cpp LABELS Duskhaven)
