#!/usr/bin/env bash
# Builds the step benchmark (release), runs it and its Lua reference
# (bench/lua/step/step.lua, the same work in plain Lua 5.4) one after the
# other, each the best of several runs in processor time, and prints
# milliseconds per step, nanoseconds per instance-event and the ratio.
# Usage: bench/run_step_bench.sh [runs]
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${BUILD_DIR:-build-bench}
RUNS=${1:-5}
STEPS=1000
EVENTS=11000  # per step: 10,000 step events and 1,000 alarms
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF -DVELMORA_BENCH=ON >/dev/null
nice cmake --build "$BUILD" -j2 --target step_bench >/dev/null

# CSV: a header naming the columns, then one row per run and the aggregates.
engine=$(SDL_VIDEODRIVER=${SDL_VIDEODRIVER:-offscreen} SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy} \
  "$BUILD/bench/step_bench" --benchmark_repetitions="$RUNS" --benchmark_format=csv 2>/dev/null |
  awk -F, '
    $1 == "name" { for (i = 1; i <= NF; i++) { gsub(/"/, "", $i); col[$i] = i }; next }
    col["name"] && $1 ~ /^"BM_Step10000\/iterations:[0-9]+"$/ {
      unit = $col["time_unit"]
      ms = $col["cpu_time"] * (unit == "us" ? 0.001 : (unit == "ns" ? 1e-6 : (unit == "s" ? 1000 : 1)))
      if (best == "" || ms < best) best = ms
      fired = $col["fired"] + 0
    }
    END { printf "%.4f %d\n", best, fired }')
read -r ems efired <<<"$engine"
read -r _ lms lfired < <(lua5.4 bench/lua/step/step.lua "$STEPS" "$RUNS")

awk -v e="$ems" -v l="$lms" -v n="$EVENTS" -v ef="$efired" -v lf="$lfired" 'BEGIN {
  printf "%-8s %10s %10s %10s\n", "", "ms/step", "ns/event", "fired"
  printf "%-8s %10.3f %10.1f %10s\n", "engine", e, e * 1e6 / n, ef
  printf "%-8s %10.3f %10.1f %10s\n", "lua", l, l * 1e6 / n, lf
  printf "ratio    %10.2f%s\n", (l > 0 ? e / l : 0), (ef + 0 == lf + 0 ? "" : "   MISMATCH in alarms fired")
}'
