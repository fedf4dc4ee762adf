# The views' module is clean under qmllint: its target fails on any warning.
add_test(NAME qmllint COMMAND ${CMAKE_COMMAND} --build ${PROJECT_BINARY_DIR} --target duskhaven_views_qmllint)
set_tests_properties(qmllint PROPERTIES LABELS ui TIMEOUT 300)
duskhaven_add_test(tst_views SOURCES ui/tst_views.cpp LABELS ui)
duskhaven_add_test(tst_launcher SOURCES ui/tst_launcher.cpp LABELS ui)
duskhaven_add_test(tst_panelcontent SOURCES ui/tst_panelcontent.cpp LABELS ui)
# Over the accessibility bus, the tray, MPRIS and logind in the test session, on the demo
# catalogue: the panel, saved mixes and the sleep timer.
add_test(NAME panel_end_to_end
         COMMAND /usr/bin/python3 ${CMAKE_CURRENT_SOURCE_DIR}/ui/panel_e2e.py
                 $<TARGET_FILE:duskhaven> ${PROJECT_BINARY_DIR}/demo-catalogue ${PROJECT_SOURCE_DIR})
set_tests_properties(panel_end_to_end PROPERTIES
  FIXTURES_REQUIRED demo_catalogue LABELS "ui;session" TIMEOUT 500)
add_test(NAME launcher_end_to_end
         COMMAND /usr/bin/python3 ${CMAKE_CURRENT_SOURCE_DIR}/ui/launcher_e2e.py
                 $<TARGET_FILE:duskhaven> ${PROJECT_BINARY_DIR}/demo-catalogue ${PROJECT_SOURCE_DIR})
set_tests_properties(launcher_end_to_end PROPERTIES
  FIXTURES_REQUIRED demo_catalogue LABELS "ui;session" TIMEOUT 400)
duskhaven_add_test(tst_settingswindow SOURCES ui/tst_settingswindow.cpp LABELS ui)
duskhaven_add_test(tst_settings_atspi SOURCES ui/tst_settings_atspi.cpp LABELS ui session TIMEOUT 180)
duskhaven_add_test(tst_theme SOURCES ui/tst_theme.cpp LABELS ui)
duskhaven_add_test(tst_singleinstance SOURCES ui/tst_singleinstance.cpp LABELS ui)
duskhaven_add_test(tst_updatecheck SOURCES ui/tst_updatecheck.cpp LABELS ui)
duskhaven_add_test(tst_shellwindows SOURCES ui/tst_shellwindows.cpp LABELS ui)
duskhaven_add_test(tst_panel SOURCES ui/tst_panel.cpp LABELS ui TIMEOUT 180)
# The tray as a StatusNotifier host drives it: beside the XEmbed tray here, and on Wayland.
foreach(lane IN ITEMS x11 wayland)
  set(name tray_statusnotifier_${lane})
  add_test(NAME ${name}
           COMMAND /usr/bin/python3 ${CMAKE_CURRENT_SOURCE_DIR}/ui/tray_sni_e2e.py
                   $<TARGET_FILE:duskhaven> ${PROJECT_SOURCE_DIR})
  set_tests_properties(${name} PROPERTIES LABELS "ui;session" TIMEOUT 180)
endforeach()
# Tests labelled "wayland" run in the second lane of ./dev test (tools/test-session --wayland).
set_tests_properties(tray_statusnotifier_wayland PROPERTIES LABELS "wayland")
# Every source text is in the .ts files and translated there, glossary terms alike everywhere;
# and with a pseudo-translation, no text of the windows escapes translation.
add_test(NAME translations_complete COMMAND ${PROJECT_SOURCE_DIR}/tools/translations check)
set_tests_properties(translations_complete PROPERTIES LABELS ui TIMEOUT 120)
add_test(NAME translation_end_to_end
         COMMAND /usr/bin/python3 ${CMAKE_CURRENT_SOURCE_DIR}/ui/translation_e2e.py
                 $<TARGET_FILE:duskhaven> ${PROJECT_BINARY_DIR}/demo-catalogue ${PROJECT_SOURCE_DIR})
set_tests_properties(translation_end_to_end PROPERTIES
  FIXTURES_REQUIRED demo_catalogue LABELS "ui;session" TIMEOUT 300)
# Under the real shells, each in its lane of ./dev test (tools/desktop-session SHELL), on the
# demo catalogue the X11 lane made before.
foreach(desktop IN ITEMS gnome gnome-plain xfce sway)
  string(REPLACE "-" "_" name desktops_${desktop})
  add_test(NAME ${name}
           COMMAND /usr/bin/python3 ${CMAKE_CURRENT_SOURCE_DIR}/ui/desktops_e2e.py
                   $<TARGET_FILE:duskhaven> ${PROJECT_BINARY_DIR}/demo-catalogue ${PROJECT_SOURCE_DIR})
  set_tests_properties(${name} PROPERTIES LABELS "desktop-${desktop}" TIMEOUT 240)
endforeach()
