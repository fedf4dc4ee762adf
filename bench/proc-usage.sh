# Sourced by the benches that compare processes: what a process has used so far.
#   switches PID   voluntary context switches of all its threads (its wake-ups)
#   ticks PID      user+system time in clock ticks (getconf CLK_TCK a second)
switches() {
    local task
    for task in /proc/"$1"/task/*; do
        awk '/^voluntary_ctxt_switches/ {s += $2} END {print s + 0}' "$task/status" 2>/dev/null || true
    done | awk '{s += $1} END {print s + 0}'
}
ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
