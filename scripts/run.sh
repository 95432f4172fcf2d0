#!/usr/bin/env bash
# Installs what is missing, builds the engine in release mode, builds the demo
# game and plays it: in a window when there is a display, otherwise headless
# for a few seconds.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

BUILD=${BUILD_DIR:-build-release}
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF -DVELMORA_BENCH=OFF >/dev/null
cmake --build "$BUILD" -j"$(nproc)"

"$BUILD/gamepack" build examples/demo -o "$BUILD/demo.game"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ "${SDL_VIDEODRIVER:-}" != offscreen ]; then
  exec "$BUILD/runner" "$BUILD/demo.game" "$@"
fi
echo "No display: playing the demo headless for 300 steps."
SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy "$BUILD/runner" --max-steps 300 --report "$BUILD/demo.game" "$@"
