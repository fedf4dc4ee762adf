# The demo catalogue is made once into the build tree (the generator skips finished work, so
# only the first run takes its minute or two); this fixture writes its manifest beside the
# tests so that a demo running meanwhile keeps its own.
add_test(NAME demo_catalogue_generate
         COMMAND /usr/bin/python3 ${PROJECT_SOURCE_DIR}/tools/demo-catalogue/generate
                 --out ${PROJECT_BINARY_DIR}/demo-catalogue
                 --manifest ${CMAKE_CURRENT_BINARY_DIR}/demo-manifest.json)
set_tests_properties(demo_catalogue_generate PROPERTIES
  FIXTURES_SETUP demo_catalogue TIMEOUT 900 LABELS demo)

add_test(NAME demo_catalogue_validate
         COMMAND duskhaven-catalogue validate ${CMAKE_CURRENT_BINARY_DIR}/demo-manifest.json)
set_tests_properties(demo_catalogue_validate PROPERTIES
  FIXTURES_REQUIRED demo_catalogue LABELS demo)

duskhaven_add_test(tst_demo_catalogue SOURCES tools/tst_demo_catalogue.cpp LABELS demo TIMEOUT 300)
set_tests_properties(tst_demo_catalogue PROPERTIES FIXTURES_REQUIRED demo_catalogue)
duskhaven_add_test(tst_session SOURCES tools/tst_session.cpp LABELS session)
# The test runs the curator's tool.
duskhaven_add_test(tst_catalogue_build SOURCES tools/tst_catalogue_build.cpp LABELS catalogue)
add_dependencies(tst_catalogue_build duskhaven-catalogue)
