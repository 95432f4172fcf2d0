#!/usr/bin/env bash
# Installs what is missing, builds everything with AddressSanitizer and
# UndefinedBehaviorSanitizer (clang, so the fuzz targets build too) and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

# The include order of the layers, and the check's own check.
scripts/check_layers.py --self-test
scripts/check_layers.py
# Every mutable global is listed in src/STATE.md, and the scanner finds them.
scripts/check_state.py --self-test
scripts/check_state.py

BUILD=${BUILD_DIR:-build-test}
export CCACHE_DIR=${CCACHE_DIR:-$HOME/.cache/ccache}
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DVELMORA_SANITIZE=ON -DVELMORA_FUZZ=ON -DVELMORA_BENCH=OFF >/dev/null
cmake --build "$BUILD" -j"$(nproc)"

# The reference for authors is made from the engine; it must match it.
if ! "$BUILD/gamepack" reference | diff -u docs/reference.md - >/dev/null; then
  echo "docs/reference.md is out of date: $BUILD/gamepack reference -o docs/reference.md" >&2
  exit 1
fi

export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy LIBGL_ALWAYS_SOFTWARE=1
cd "$BUILD"
ctest --output-on-failure -j"$(nproc)" "$@"
