# Drives the layer engine alone, for the CPU and memory measurements of bench/ambient-cpu.sh.
add_executable(ambient_play ambient_play.cpp)
target_link_libraries(ambient_play PRIVATE duskhaven_core)
duskhaven_add_bench(bench_mixer bench_mixer.cpp)
# Restart of the sound server to sound again, on a server of its own (tests' SoundServer).
if(TARGET duskhaven_testsupport)
  add_executable(output_recovery output_recovery.cpp)
  target_link_libraries(output_recovery PRIVATE duskhaven_testsupport)
endif()
# A change to its effect at the null sink's monitor, with the stream's long queue.
if(TARGET duskhaven_testsupport)
  add_executable(change_latency change_latency.cpp)
  target_link_libraries(change_latency PRIVATE duskhaven_testsupport)
endif()
