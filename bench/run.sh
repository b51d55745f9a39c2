#!/usr/bin/env bash
# Plays one long scripted game on the release build and compares its time with
# a floor program that only writes the same bytes, one write call per line.
#
#   bench/run.sh [CYCLES]
#
# Each cycle of the script is "3 1 2 2 2": a search, then either a fight
# (attack once, flee) and two rests, or a status screen and three rests. The
# survivor loses at most 4 health a cycle and rests 10 back, so the game lasts
# until the final 0. The default of 30000 cycles plays well over 100,000
# main-menu turns.
set -euo pipefail

cycles=${1:-30000}
runs=5
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cmake --preset release -S "$root" >/dev/null
cmake --build "$root/build/release" >/dev/null
game=$root/build/release/moon-survival
cc -O2 -o "$work/floor" "$root/bench/floor.c"

script() { # CYCLES: the player's whole input
    awk -v cycles="$1" 'BEGIN { for (i = 0; i < cycles; i++) printf "3\n1\n2\n2\n2\n"; print 0 }'
}
menu_turns() { grep -c '^\[0\] - Wyjdz z gry$'; }

script "$cycles" >"$work/input"
"$game" <"$work/input" >"$work/output"
turns=$(menu_turns <"$work/output")
lines=$(wc -l <"$work/output")

seconds() { # COMMAND...: wall-clock seconds of one run, output discarded
    local start end
    start=$(date +%s%N)
    "$@" >/dev/null
    end=$(date +%s%N)
    echo "$(((end - start) / 1000))e-6"
}
median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

game_times=()
floor_times=()
for ((run = 0; run < runs; run++)); do
    game_times+=("$(seconds "$game" <"$work/input")")
    floor_times+=("$(seconds "$work/floor" "$work/output")")
done
game_time=$(printf '%s\n' "${game_times[@]}" | median)
floor_time=$(printf '%s\n' "${floor_times[@]}" | median)

peak_kib() { # INPUT: peak resident memory of the game, in KiB
    /usr/bin/time -f %M "$game" <"$1" 2>&1 >/dev/null | tail -n 1
}
script 470 >"$work/short"
short_turns=$("$game" <"$work/short" | menu_turns)

awk -v turns="$turns" -v lines="$lines" -v game="$game_time" -v floor="$floor_time" \
    -v runs="$runs" -v short_turns="$short_turns" -v short_kib="$(peak_kib "$work/short")" \
    -v long_kib="$(peak_kib "$work/input")" 'BEGIN {
    printf "main-menu turns:  %d (%d lines of output)\n", turns, lines
    printf "game:             %.3f s, %.0f turns per second (median of %d)\n", game, turns / game, runs
    printf "floor:            %.3f s\n", floor
    printf "game / floor:     %.2f\n", game / floor
    printf "peak memory:      %d KiB at %d turns, %d KiB at %d turns\n", long_kib, turns, short_kib, short_turns
}'

# One write per line end, plus one per main-menu prompt, which stays open on
# its line until the player answers.
if command -v strace >/dev/null; then
    writes=$(strace -c -e trace=write "$game" <"$work/input" 2>&1 >/dev/null |
        awk '$NF == "write" { print $4 }')
    echo "write calls:      $writes (lines + main-menu prompts: $((lines + turns)))"
fi
