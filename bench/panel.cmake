# The tray panel: a click on the tray icon to the panel's first frame, and the CPU the app uses
# with the panel open and idle against closed. A plain Qt program, not Google Benchmark: it
# clicks the real tray icon inside the test session (and needs the test support library).
#   BUILD_DIR=build ./dev session build/bench/bench_panel
if(TARGET duskhaven_testsupport)
  add_executable(bench_panel bench_panel.cpp)
  target_link_libraries(bench_panel PRIVATE duskhaven_testsupport)
endif()
