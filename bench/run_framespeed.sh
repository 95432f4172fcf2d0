#!/usr/bin/env bash
# Frame speed of a real game: the engine plays bench/framespeed_bench.cpp's
# game with --unthrottled, LOVE 11.4 the same scene (bench/love/framespeed),
# one after the other in the same headless X server (Xvfb) on Mesa's
# software renderer, for 32 x 32 sprites and the same drawn at 4 x 4.
# Prints milliseconds per frame for both and their ratio per N and scale, and
# the largest N within 16.7 ms for each.
#   bench/run_framespeed.sh [BUILD_DIR] [FRAMES]
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build-bench}
FRAMES=${2:-10}
export LIBGL_ALWAYS_SOFTWARE=${LIBGL_ALWAYS_SOFTWARE:-1}

if [ -z "${VELMORA_FRAMESPEED_INSIDE:-}" ]; then
  cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF -DVELMORA_BENCH=ON >/dev/null
  nice cmake --build "$BUILD" -j2 --target runner framespeed_bench >/dev/null
  VELMORA_FRAMESPEED_INSIDE=1 SDL_VIDEODRIVER=x11 exec xvfb-run -a -s "-screen 0 1024x768x24" \
    "$PWD/bench/run_framespeed.sh" "$BUILD" "$FRAMES"
fi

game=$(mktemp --suffix=.game)
trap 'rm -f "$game"' EXIT
"$BUILD/bench/framespeed_bench" "$game"
echo "load$(uptime | sed 's/.*load average//')"
results=$(
  for scale in 1 0.125; do
    SDL_AUDIODRIVER=dummy "$BUILD/runner" --unthrottled "$game" "$scale" "$FRAMES" 2>&1 | grep '^engine:' || true
    love bench/love/framespeed "$scale" "$FRAMES" 2>&1 | grep '^love:' || true
  done
)
echo "load$(uptime | sed 's/.*load average//')"
# Lines: "WHO: N = n scale s ms m ..." and "WHO: largest N within 16.7 ms: n scale s".
awk '
  function key(s) { return s == 1 ? "32x32" : "4x4" }
  / N = / { who = substr($1, 1, length($1) - 1); ms[who, $4, key($6)] = $8
            if (who == "love") { h = $9 " " $10; gsub(/[()]/, "", h); how[$4, key($6)] = h } }
  /largest/ { who = substr($1, 1, length($1) - 1); largest[who, key($9)] = $7 }
  END {
    printf "%-8s %-6s %10s %10s %7s  %s\n", "N", "size", "engine ms", "love ms", "ratio", "love drew with"
    n = split("1000 5000 20000", order, " ")
    for (s = 1; s <= 2; s++) {
      k = s == 1 ? "32x32" : "4x4"
      for (i = 1; i <= n; i++) {
        N = order[i]; e = ms["engine", N, k]; l = ms["love", N, k]
        printf "%-8s %-6s %10s %10s %7s  %s\n", N, k, e, l, (e != "" && l > 0 ? sprintf("%.2f", e / l) : "-"), how[N, k]
      }
    }
    for (s = 1; s <= 2; s++) {
      k = s == 1 ? "32x32" : "4x4"
      printf "largest N within 16.7 ms at %-5s  engine %s  love %s\n", k, largest["engine", k], largest["love", k]
    }
  }' <<<"$results"
