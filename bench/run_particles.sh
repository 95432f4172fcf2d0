#!/usr/bin/env bash
# Runs the particle benchmark in the engine and in LOVE 11.4 one after the
# other in the same headless X server (Xvfb) on Mesa's software renderer:
# 10,000 and 50,000 live particles, each frame one update and one draw.
#   bench/run_particles.sh [BUILD_DIR] [FRAMES]
# With SDL_VIDEODRIVER=offscreen set, both run without X (see
# run_bunnymark.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build-bench}
FRAMES=${2:-10}
export LIBGL_ALWAYS_SOFTWARE=${LIBGL_ALWAYS_SOFTWARE:-1}

if [ ! -x "$BUILD/bench/particles_bench" ]; then
  cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF -DVELMORA_BENCH=ON >/dev/null
  nice cmake --build "$BUILD" -j2 --target particles_bench
fi

if [ "${SDL_VIDEODRIVER:-}" != offscreen ] && [ -z "${VELMORA_PARTICLES_INSIDE:-}" ]; then
  VELMORA_PARTICLES_INSIDE=1 SDL_VIDEODRIVER=x11 exec xvfb-run -a -s "-screen 0 1024x768x24" "$PWD/bench/run_particles.sh" "$BUILD" "$FRAMES"
fi
echo "load$(uptime | sed "s/.*load average//")"
"$BUILD/bench/particles_bench" "$FRAMES"
love bench/love/particles "$FRAMES" 2>&1 | grep '^love:'
