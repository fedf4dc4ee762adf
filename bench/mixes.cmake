# Idles with and without a sleep timer, for bench/sleep-timer-cpu.sh.
add_executable(sleep_timer_idle sleep_timer_idle.cpp)
target_link_libraries(sleep_timer_idle PRIVATE duskhaven_core)
