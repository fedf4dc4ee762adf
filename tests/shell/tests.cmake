duskhaven_add_test(tst_palette SOURCES shell/tst_palette.cpp LABELS shell)
duskhaven_add_test(tst_symbols SOURCES shell/tst_symbols.cpp LABELS shell)
