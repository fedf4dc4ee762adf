duskhaven_add_test(tst_catalogue SOURCES catalogue/tst_catalogue.cpp LABELS catalogue)
# The test runs the curator's tool.
add_dependencies(tst_catalogue duskhaven-catalogue)
duskhaven_add_test(tst_httpclient SOURCES catalogue/tst_httpclient.cpp LABELS catalogue)
duskhaven_add_test(tst_library SOURCES catalogue/tst_library.cpp LABELS catalogue)
