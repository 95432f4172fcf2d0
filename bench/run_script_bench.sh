#!/usr/bin/env bash
# Builds the script benchmark (release), runs every case through the engine
# and through lua5.4 in turns (ROUNDS turns, 3 by default), and prints one
# table: processor milliseconds (the best of every run of each side, three
# runs a turn) and their ratio, and with --instructions also
# the instructions each side executes for one run, counted by callgrind
# (slow, but unlike the clock it does not swing with the machine's load),
# less what each side executes to start and stop without running a case.
# The load average is printed with the table.
# Usage: bench/run_script_bench.sh [--instructions] [case ...]
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${BUILD_DIR:-build-bench}
ROUNDS=${ROUNDS:-3}
count=0
if [ "${1:-}" = --instructions ]; then
  count=1
  shift
fi
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF -DVELMORA_BENCH=ON >/dev/null
nice cmake --build "$BUILD" -j2 --target script_bench >/dev/null

cases=("$@")
if [ ${#cases[@]} -eq 0 ]; then
  cases=(fib27 loop10m inst5m array1d array2d calls2m text1mb concat strings)
fi

# Instructions of one run of a command, in millions.
instructions() {
  BENCH_RUNS=1 valgrind --tool=callgrind --callgrind-out-file=/dev/null "$@" 2>&1 >/dev/null |
    awk '/Collected :/ { printf "%.1f", $NF / 1e6 }'
}
if [ $count = 1 ]; then
  engine_start=$(instructions "$BUILD/bench/script_bench" none)
  lua_start=$(instructions lua5.4 -e '')
fi

echo "load: $(cut -d' ' -f1-3 /proc/loadavg)"
if [ $count = 1 ]; then
  printf '%-8s %9s %9s %6s %10s %10s %6s  %s\n' case engine_ms lua_ms ratio engine_Mi lua_Mi ratio result
else
  printf '%-8s %9s %9s %6s  %s\n' case engine_ms lua_ms ratio result
fi
for c in "${cases[@]}"; do
  # The two sides take turns, ROUNDS times, and each keeps its best: a slow
  # spell of the machine then hits both sides alike or neither.
  ems="" lms=""
  for ((round = 0; round < ROUNDS; round++)); do
    read -r _ e eres < <("$BUILD/bench/script_bench" "$c")
    read -r _ l lres < <(lua5.4 bench/lua/harness.lua "$c" "bench/lua/$c.lua")
    ems=$(awk -v a="$ems" -v b="$e" 'BEGIN { print (a == "" || b + 0 < a + 0) ? b : a }')
    lms=$(awk -v a="$lms" -v b="$l" 'BEGIN { print (a == "" || b + 0 < a + 0) ? b : a }')
  done
  ratio=$(awk -v e="$ems" -v l="$lms" 'BEGIN { printf "%.2f", (l > 0 ? e / l : 0) }')
  same=$([ "$eres" = "$lres" ] && echo "$eres" || echo "MISMATCH engine=$eres lua=$lres")
  if [ $count = 1 ]; then
    ei=$(awk -v n="$(instructions "$BUILD/bench/script_bench" "$c")" -v s="$engine_start" 'BEGIN { printf "%.0f", n - s }')
    li=$(awk -v n="$(instructions lua5.4 bench/lua/harness.lua "$c" "bench/lua/$c.lua")" -v s="$lua_start" 'BEGIN { printf "%.0f", n - s }')
    iratio=$(awk -v e="$ei" -v l="$li" 'BEGIN { printf "%.2f", (l > 0 ? e / l : 0) }')
    printf '%-8s %9s %9s %6s %10s %10s %6s  %s\n' "$c" "$ems" "$lms" "$ratio" "$ei" "$li" "$iratio" "$same"
  else
    printf '%-8s %9s %9s %6s  %s\n' "$c" "$ems" "$lms" "$ratio" "$same"
  fi
done
echo "load: $(cut -d' ' -f1-3 /proc/loadavg)"
