#!/usr/bin/env bash
# Runs the fuzz targets for as long as asked, one after the other. New inputs
# that reach new code are merged into the seed corpus (tests/fuzz/corpus/NAME,
# minimised with -merge=1, so it grows only by what adds coverage); inputs that
# crash are kept and reported, and the script then fails.
#
#   scripts/fuzz.sh [--build DIR] [--seconds N] [--jobs N] [TARGET...]
#
# TARGET is a name such as replay_fuzz; all targets when none is given.
# Defaults: the sanitizer build in build-test (configured with
# -DVELMORA_FUZZ=ON), 600 seconds a target, one job.
set -uo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=$ROOT/build-test
SECONDS_EACH=600
JOBS=1
TARGETS=()
while [ $# -gt 0 ]; do
  case "$1" in
    --build) BUILD=$(cd "$2" && pwd); shift 2 ;;
    --seconds) SECONDS_EACH=$2; shift 2 ;;
    --jobs) JOBS=$2; shift 2 ;;
    -h|--help) sed -n '2,11p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    -*) echo "fuzz: unknown option $1" >&2; exit 2 ;;
    *) TARGETS+=("$1"); shift ;;
  esac
done
if [ ${#TARGETS[@]} -eq 0 ]; then
  for src in "$ROOT"/tests/fuzz/*_fuzz.cpp; do TARGETS+=("$(basename "$src" .cpp)"); done
fi

export SDL_VIDEODRIVER=${SDL_VIDEODRIVER:-offscreen} SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
export LIBGL_ALWAYS_SOFTWARE=1
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$ROOT/tests/lsan.supp:print_suppressions=0}
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_odr_violation=0}

OUT=${FUZZ_OUT:-$ROOT/fuzz-out}
failed=()
for target in "${TARGETS[@]}"; do
  binary=$BUILD/tests/$target
  [ -x "$binary" ] || { echo "fuzz: $binary is missing: build with -DVELMORA_FUZZ=ON" >&2; exit 2; }
  corpus=$ROOT/tests/fuzz/corpus/$target
  work=$OUT/$target/work
  crashes=$OUT/$target/crashes
  mkdir -p "$corpus" "$work" "$crashes"
  before=$(ls "$corpus" | wc -l)
  echo "fuzz: $target for $SECONDS_EACH s"
  parallel=()
  [ "$JOBS" -gt 1 ] && parallel=(-fork="$JOBS")
  # Seeds kept with other tests, as tests/CMakeLists.txt gives them in CI.
  seeds=()
  [ "$target" = compile_fuzz ] && seeds=("$ROOT/tests/language")
  (cd "$OUT/$target" && "$binary" -max_total_time="$SECONDS_EACH" -max_len=65536 -timeout=10 -rss_limit_mb=3000 \
    "${parallel[@]}" -artifact_prefix="$crashes/" -print_final_stats=1 "$work" "$corpus" "${seeds[@]}" >log.txt 2>&1)
  status=$?
  # Only what reaches new code joins the committed corpus (edges, not hit
  # counts, which would let in many inputs for little).
  "$binary" -merge=1 -use_counters=0 "$corpus" "$work" >>"$OUT/$target/merge.txt" 2>&1
  after=$(ls "$corpus" | wc -l)
  found=$(ls "$crashes" | wc -l)
  grep -E "stat::number_of_executed_units" "$OUT/$target/log.txt" | tail -n 1 | sed "s/^/fuzz: $target /"
  echo "fuzz: $target corpus $before -> $after inputs"
  if [ $status -ne 0 ] || [ "$found" -gt 0 ]; then
    echo "fuzz: $target FAILED (status $status); inputs in $crashes, log in $OUT/$target/log.txt" >&2
    grep -m 3 -E "ERROR|runtime error" "$OUT/$target/log.txt" >&2
    failed+=("$target")
  fi
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz: crashes in ${failed[*]}" >&2
  exit 1
fi
echo "fuzz: no crashes in ${#TARGETS[@]} targets"
