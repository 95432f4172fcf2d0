#!/usr/bin/env bash
# Builds the data structure benchmark (release), runs every case through the
# engine and through lua5.4, and prints case / engine ms / lua ms / ratio.
# Usage: bench/run_ds_bench.sh [case ...]
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${BUILD_DIR:-build-bench}
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF -DVELMORA_BENCH=ON >/dev/null
nice cmake --build "$BUILD" -j2 --target ds_bench >/dev/null

cases=("$@")
if [ ${#cases[@]} -eq 0 ]; then
  for f in bench/lua_ds/*.lua; do cases+=("$(basename "$f" .lua)"); done
fi

printf '%-10s %10s %10s %7s  %s\n' case engine_ms lua_ms ratio result
for c in "${cases[@]}"; do
  read -r _ ems eres < <("$BUILD/bench/ds_bench" "$c")
  read -r _ lms lres < <(lua5.4 bench/lua/harness.lua "$c" "bench/lua_ds/$c.lua")
  ratio=$(awk -v e="$ems" -v l="$lms" 'BEGIN { printf "%.2f", (l > 0 ? e / l : 0) }')
  same=$([ "$eres" = "$lres" ] && echo "$eres" || echo "MISMATCH engine=$eres lua=$lres")
  printf '%-10s %10s %10s %7s  %s\n' "$c" "$ems" "$lms" "$ratio" "$same"
done
