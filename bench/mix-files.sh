# Sourced by the mix benches: makes music.mp3 (pink noise, $1 seconds) and three 30 s loops
# (brown noise, white noise, a low hum) in folder $2, and sets LOOPS to the loops.
make_mix_files() {
    local seconds=$1 dir=$2 n=0 texture
    sox -n -r 44100 -c 2 -C 192 "$dir/music.mp3" synth "$seconds" pinknoise vol 0.3
    for texture in "brownnoise vol 0.3" "whitenoise vol 0.05" "sine 80 vol 0.2"; do
        n=$((n + 1))
        # shellcheck disable=SC2086
        sox -n -r 44100 -c 2 -C 160 "$dir/loop$n.mp3" synth 30 $texture
    done
    LOOPS=("$dir"/loop{1,2,3}.mp3)
}
