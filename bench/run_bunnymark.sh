#!/usr/bin/env bash
# Runs the bunnymark in the engine and in LOVE 11.4 one after the other in
# the same headless X server (Xvfb) on Mesa's software renderer, so that both
# figures come from one run and every frame really reaches a window.
#   bench/run_bunnymark.sh [BUILD_DIR] [FRAMES]
# With SDL_VIDEODRIVER=offscreen set, both run without X instead; LOVE then
# draws through a canvas as the engine does through its back buffer, since
# frames that are never shown need not be rendered at all.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build-bench}
FRAMES=${2:-10}
export LIBGL_ALWAYS_SOFTWARE=${LIBGL_ALWAYS_SOFTWARE:-1}

if [ ! -x "$BUILD/bench/bunnymark_bench" ]; then
  cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF -DVELMORA_BENCH=ON >/dev/null
  nice cmake --build "$BUILD" -j2 --target bunnymark_bench
fi

if [ "${SDL_VIDEODRIVER:-}" != offscreen ] && [ -z "${VELMORA_BUNNYMARK_INSIDE:-}" ]; then
  VELMORA_BUNNYMARK_INSIDE=1 SDL_VIDEODRIVER=x11 exec xvfb-run -a -s "-screen 0 1024x768x24" "$PWD/bench/run_bunnymark.sh" "$BUILD" "$FRAMES"
fi
"$BUILD/bench/bunnymark_bench" "$FRAMES"
love bench/love/bunnymark "$FRAMES" 2>&1 | grep '^love:'
