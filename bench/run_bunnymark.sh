#!/usr/bin/env bash
# Runs the bunnymark in the engine and in LOVE 11.4 one after the other, with
# the same display settings, so that both figures come from one run.
#   bench/run_bunnymark.sh [BUILD_DIR] [FRAMES]
# Headless on Mesa's software renderer by default; set SDL_VIDEODRIVER=x11
# (e.g. under Xvfb) to use a real window instead.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build-bench}
FRAMES=${2:-10}
export SDL_VIDEODRIVER=${SDL_VIDEODRIVER:-offscreen}
export LIBGL_ALWAYS_SOFTWARE=${LIBGL_ALWAYS_SOFTWARE:-1}

if [ ! -x "$BUILD/bench/bunnymark_bench" ]; then
  cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF -DVELMORA_BENCH=ON >/dev/null
  nice cmake --build "$BUILD" -j2 --target bunnymark_bench
fi
"$BUILD/bench/bunnymark_bench" "$FRAMES"
love bench/love/bunnymark "$FRAMES" 2>&1 | grep '^love:'
