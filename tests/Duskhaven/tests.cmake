duskhaven_add_test(tst_app SOURCES Duskhaven/tst_app.cpp LABELS Duskhaven)
duskhaven_add_test(tst_startup SOURCES Duskhaven/tst_startup.cpp LABELS Duskhaven)
# The desktop file and the software centre's metainfo are valid (no network asked).
add_test(NAME desktop_files_valid
         COMMAND sh -c "desktop-file-validate \"$0\" && appstreamcli validate --no-net \"$1\""
                 ${PROJECT_SOURCE_DIR}/resources/${DUSKHAVEN_APP_ID}.desktop
                 ${PROJECT_SOURCE_DIR}/resources/${DUSKHAVEN_APP_ID}.metainfo.xml)
set_tests_properties(desktop_files_valid PROPERTIES LABELS Duskhaven TIMEOUT 60)
# The package, made as ./dev package makes it, then unpacked and run in the test session.
add_test(NAME package_build
         COMMAND sh -c "\"$0\" --build . --target duskhaven_starter >/dev/null &&
                        cpack --config CPackConfig.cmake -B . >/dev/null"
                 ${CMAKE_COMMAND}
         WORKING_DIRECTORY ${PROJECT_BINARY_DIR})
set_tests_properties(package_build PROPERTIES FIXTURES_SETUP package LABELS package TIMEOUT 900)
add_test(NAME package_end_to_end
         COMMAND /usr/bin/python3 ${CMAKE_CURRENT_SOURCE_DIR}/Duskhaven/package_e2e.py
                 ${PROJECT_BINARY_DIR} ${PROJECT_SOURCE_DIR})
# Its own lane of ./dev test (a session of its own): driving the app over AT-SPI leaves the
# session's accessibility registry running, which changes what in-process tests that run
# later read from Qt's accessibility interfaces.
set_tests_properties(package_end_to_end PROPERTIES
  FIXTURES_REQUIRED package LABELS package TIMEOUT 300)
