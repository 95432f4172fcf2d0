#!/usr/bin/env bash
# Plays games with random input for as long as asked. Each round builds every
# example game (or the project folders given), records a run with the monkey,
# plays the record back in a fresh folder and checks that both runs end in the
# same state (the --report digest). A crash, a sanitizer report, a failed
# playing or two different final states stop it; the folder of the failing run
# is kept, with its record, for replaying it by hand.
#
#   scripts/soak.sh [--build DIR] [--steps N] [--rounds N] [--hours H] [--seed S] [PROJECT...]
#
# Defaults: the sanitizer build in build-test, 20000 steps a run, rounds until
# 2 hours have passed, seeds counting up from the time. CI runs one round of
# 2000 steps per game.
set -uo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=$ROOT/build-test
STEPS=20000
ROUNDS=0
HOURS=2
SEED=$(date +%s)
PROJECTS=()
while [ $# -gt 0 ]; do
  case "$1" in
    --build) BUILD=$(cd "$2" && pwd); shift 2 ;;
    --steps) STEPS=$2; shift 2 ;;
    --rounds) ROUNDS=$2; shift 2 ;;
    --hours) HOURS=$2; shift 2 ;;
    --seed) SEED=$2; shift 2 ;;
    -h|--help) sed -n '2,14p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    -*) echo "soak: unknown option $1" >&2; exit 2 ;;
    *) PROJECTS+=("$(cd "$1" && pwd)"); shift ;;
  esac
done
if [ ${#PROJECTS[@]} -eq 0 ]; then
  for p in "$ROOT"/examples/*/project.json; do PROJECTS+=("$(dirname "$p")"); done
fi
RUNNER=$BUILD/runner
GAMEPACK=$BUILD/gamepack
for tool in "$RUNNER" "$GAMEPACK"; do
  [ -x "$tool" ] || { echo "soak: $tool is missing: build first" >&2; exit 2; }
done

export SDL_VIDEODRIVER=${SDL_VIDEODRIVER:-offscreen} SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
export LIBGL_ALWAYS_SOFTWARE=1
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$ROOT/tests/lsan.supp:print_suppressions=0}
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_odr_violation=0}
# Multiplayer games host on a port of their own, away from other runs.
export VELMORA_MPLAY_PORT=$((20000 + (RANDOM % 20000)))

WORK=$(mktemp -d "${TMPDIR:-/tmp}/soak.XXXXXX")
declare -A GAMES
for project in "${PROJECTS[@]}"; do
  name=$(basename "$project")
  GAMES[$name]=$WORK/$name.game
  "$GAMEPACK" build "$project" -o "${GAMES[$name]}" >/dev/null || { echo "soak: cannot build $project" >&2; exit 1; }
done

# Runs the runner in its own folder, with a registry (highscores) of its own
# so that one run's table is not the next one's input; prints its report,
# returns its status.
play() {
  local dir=$1; shift
  mkdir -p "$dir/data"
  (cd "$dir" && XDG_DATA_HOME="$dir/data" "$RUNNER" --report "$@" >report.txt 2>stderr.txt)
  local status=$?
  cat "$dir/report.txt"
  return $status
}

deadline=$(( $(date +%s) + $(awk "BEGIN { print int($HOURS * 3600) }") ))
round=0
runs=0
while :; do
  for name in "${!GAMES[@]}"; do
    seed=$((SEED + round))
    dir=$WORK/$name-$seed
    game=${GAMES[$name]}
    first=$(play "$dir/record" --unthrottled --max-steps "$STEPS" --monkey "$seed" --record "$dir/run.rec" "$game")
    status=$?
    if [ $status -ne 0 ]; then
      echo "soak: $name, seed $seed: the monkey's run ended with status $status; see $dir/record" >&2
      tail -n 30 "$dir/record/stderr.txt" >&2
      exit 1
    fi
    second=$(play "$dir/replay" --replay "$dir/run.rec" "$game")
    status=$?
    if [ $status -ne 0 ] || [ "$first" != "$second" ]; then
      echo "soak: $name, seed $seed: the replay differs (status $status); see $dir" >&2
      echo "recorded: $first" >&2
      echo "replayed: $second" >&2
      tail -n 30 "$dir/replay/stderr.txt" >&2
      exit 1
    fi
    echo "soak: $name, seed $seed: $(echo "$first" | tr '\n' ' ')(replayed alike)"
    rm -rf "$dir"
    runs=$((runs + 1))
  done
  round=$((round + 1))
  if [ "$ROUNDS" -gt 0 ] && [ $round -ge "$ROUNDS" ]; then break; fi
  if [ "$ROUNDS" -eq 0 ] && [ "$(date +%s)" -ge $deadline ]; then break; fi
done
rm -rf "$WORK"
echo "soak: $runs runs recorded and replayed alike"
