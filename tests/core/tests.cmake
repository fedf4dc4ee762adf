duskhaven_add_test(tst_settings SOURCES core/tst_settings.cpp LABELS core)
duskhaven_add_test(tst_recordstore SOURCES core/tst_recordstore.cpp LABELS core)
duskhaven_add_test(tst_translations SOURCES core/tst_translations.cpp LABELS core)
