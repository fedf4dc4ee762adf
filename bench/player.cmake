duskhaven_add_bench(bench_player bench_player.cpp)
# Plays one file through the player for a while; bench/player_cpu.sh compares its CPU use with
# mpv's on the same file.
duskhaven_add_bench(player_play_file player_play_file.cpp)
