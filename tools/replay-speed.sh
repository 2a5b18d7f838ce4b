#!/usr/bin/env bash
# Replays the repository's recorded game of Bunny Run in real time and fast,
# each RUNS times (default 3) on a private X server, and prints the best time
# of each and how many times faster the fast replay is.
#
#   tools/replay-speed.sh [BUILD_DIR] [RUNS]
set -uo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
binary_dir=$(realpath -m "${1:-${WD_BINARY_DIR:-$source_dir/build}}")
runs=${2:-3}
recording="$source_dir/tests/recordings/bunny-run.wdr"
# shellcheck source=tests/support/e2e_lib.sh
. "$source_dir/tests/support/e2e_lib.sh"
work=$(mktemp -d)
trap 'wd_stop_xvfb; rm -rf "$work"' EXIT
[ -x "$binary_dir/game/bunny-run" ] || { echo "no $binary_dir/game/bunny-run" >&2; exit 2; }
wd_start_xvfb "$work" || exit 2
cp -r "$binary_dir/game"/{wd-font.ttf,sprites,sounds} "$work/" && cd "$work" || exit 2
export ALSOFT_DRIVERS=null

# Prints the best wall time in seconds of RUNS replays with the switches $@.
best_time() {
  local best="" start took
  for ((i = 0; i < runs; i++)); do
    start=$EPOCHREALTIME
    "$binary_dir/game/bunny-run" --replay "$recording" "$@" >replay.out 2>&1 ||
      { echo "the replay failed: $(cat replay.out)" >&2; exit 1; }
    took=$(awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.3f", b - a }')
    best=$(awk -v a="${best:-$took}" -v b="$took" 'BEGIN { print (b < a ? b : a) }')
  done
  echo "$best"
}

real_time=$(best_time)
fast=$(best_time --fast)
frames=$(grep -c '^f ' "$recording")
awk -v r="$real_time" -v f="$fast" -v n="$frames" 'BEGIN {
  printf "%d frames: real time %.2f s, fast %.3f s: %.0f times faster\n", n, r, f, r / f }'
