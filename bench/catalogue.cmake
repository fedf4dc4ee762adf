duskhaven_add_bench(bench_catalogue bench_catalogue.cpp)
# The host's side of many copies over a simulated day (requests, bytes, peaks).
if(TARGET duskhaven_testsupport)
  add_executable(host_load host_load.cpp)
  target_link_libraries(host_load PRIVATE duskhaven_testsupport)
endif()
