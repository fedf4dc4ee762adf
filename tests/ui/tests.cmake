# The views' module is clean under qmllint: its target fails on any warning.
add_test(NAME qmllint COMMAND ${CMAKE_COMMAND} --build ${PROJECT_BINARY_DIR} --target duskhaven_core_qmllint)
set_tests_properties(qmllint PROPERTIES LABELS ui TIMEOUT 300)
duskhaven_add_test(tst_views SOURCES ui/tst_views.cpp LABELS ui)
duskhaven_add_test(tst_launcher SOURCES ui/tst_launcher.cpp LABELS ui)
duskhaven_add_test(tst_settingswindow SOURCES ui/tst_settingswindow.cpp LABELS ui)
duskhaven_add_test(tst_settings_atspi SOURCES ui/tst_settings_atspi.cpp LABELS ui session TIMEOUT 180)
