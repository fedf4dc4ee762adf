duskhaven_add_test(tst_settings SOURCES spine/tst_settings.cpp LABELS spine)
duskhaven_add_test(tst_recordstore SOURCES spine/tst_recordstore.cpp LABELS spine)
duskhaven_add_test(tst_app SOURCES spine/tst_app.cpp LABELS spine)
duskhaven_add_test(tst_startup SOURCES spine/tst_startup.cpp LABELS spine)
