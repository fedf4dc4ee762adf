duskhaven_add_test(tst_catalogue SOURCES catalogue/tst_catalogue.cpp LABELS catalogue)
# The test runs the curator's tool.
add_dependencies(tst_catalogue duskhaven-catalogue)
