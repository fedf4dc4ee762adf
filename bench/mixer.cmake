# Drives the layer engine alone, for the CPU and memory measurements of bench/ambient-cpu.sh.
add_executable(ambient_play ambient_play.cpp)
target_link_libraries(ambient_play PRIVATE duskhaven_core)
duskhaven_add_bench(bench_mixer bench_mixer.cpp)
