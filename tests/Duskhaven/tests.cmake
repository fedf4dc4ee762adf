duskhaven_add_test(tst_app SOURCES Duskhaven/tst_app.cpp LABELS Duskhaven)
duskhaven_add_test(tst_startup SOURCES Duskhaven/tst_startup.cpp LABELS Duskhaven)
# The desktop file and the software centre's metainfo are valid (no network asked).
add_test(NAME desktop_files_valid
         COMMAND sh -c "desktop-file-validate \"$0\" && appstreamcli validate --no-net \"$1\""
                 ${PROJECT_SOURCE_DIR}/resources/${DUSKHAVEN_APP_ID}.desktop
                 ${PROJECT_SOURCE_DIR}/resources/${DUSKHAVEN_APP_ID}.metainfo.xml)
set_tests_properties(desktop_files_valid PROPERTIES LABELS Duskhaven TIMEOUT 60)
