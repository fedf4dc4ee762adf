# One window of scene pictures (or a bare animated rectangle) for a given time; the process
# whose CPU use bench/pictures_cpu.sh compares.
duskhaven_add_bench(pictures_window pictures_window.cpp)
