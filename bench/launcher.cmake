# The launcher over real services and a loopback catalogue (see launcher_window.cpp); the
# process bench/launcher.sh measures. It borrows the tests' app fixture and server.
if(TARGET duskhaven_testsupport)
  duskhaven_add_bench(launcher_window launcher_window.cpp)
  target_link_libraries(launcher_window PRIVATE duskhaven_testsupport)
endif()

# The floor of its frame figures: a minimal Qt Quick window of the same size.
add_executable(quick_floor quick_floor.cpp)
target_link_libraries(quick_floor PRIVATE Qt6::Quick)
