#!/usr/bin/env bash
# Records a scripted game on a private X server, driven by real key presses
# and mouse clicks (xdotool), and leaves the recording in OUTPUT.
#
#   tools/record-game.sh bunny|cave OUTPUT [BUILD_DIR]
#
# bunny: Bunny Run, two runs of a few jumps each that end on spikes, a
# restart with P between them, Q on the start screen at the end.
# cave: the cave example, clicks that throw sparks and a walk with the
# arrows, then Q.
# BUILD_DIR defaults to $WD_BINARY_DIR, then to ./build. The repository's
# recordings are made with
#   tools/record-game.sh bunny tests/recordings/bunny-run.wdr
#   tools/record-game.sh cave tests/recordings/cave.wdr
set -uo pipefail
game=${1:-} output=${2:-}
if [[ ! "$game" =~ ^(bunny|cave)$ ]] || [ -z "$output" ]; then
  echo "usage: $0 bunny|cave OUTPUT [BUILD_DIR]" >&2
  exit 2
fi
source_dir=$(cd "$(dirname "$0")/.." && pwd)
binary_dir=$(realpath -m "${3:-${WD_BINARY_DIR:-$source_dir/build}}")
# shellcheck source=tests/support/e2e_lib.sh
. "$source_dir/tests/support/e2e_lib.sh"
case "$game" in
  bunny) program="$binary_dir/game/bunny-run" ;;
  cave) program="$binary_dir/examples/cave/cave" ;;
esac
output=$(realpath -m "$output")
work=$(mktemp -d) game_pid=
trap '[ -z "$game_pid" ] || { kill "$game_pid"; wait "$game_pid"; } 2>/dev/null; wd_stop_xvfb; [ -n "${WD_KEEP_RUN:-}" ] || rm -rf "$work"' EXIT

fail() {
  echo "record-game: $*" >&2
  wd_log_tail "$work/wendrel.log" >&2
  exit 1
}

# Waits up to $1 tenths of a second for the start screen's yellow title.
wait_for_title() {
  local title_area
  title_area=$(wd_cells 13 87 4 10)
  for ((i = 0; i < $1; i++)); do
    wd_shot "$wid" "$work/shot.png" "$title_area" || return 1
    [ "$(wd_count "$work/shot.png" yellow)" -gt 2000 ] && return 0
    sleep 0.1
  done
  return 1
}

# A jump now and then, until the bunny dies and the start screen is back.
play_bunny_run() {
  wd_key p || return 1
  sleep 0.6
  for pause in 0.5 0.9 0.7; do
    wd_key space || return 1
    sleep "$pause"
  done
  wait_for_title 300
}

play_bunny() {
  wait_for_title 200 || fail "no start screen"
  play_bunny_run || fail "the first run did not end"
  play_bunny_run || fail "the second run did not end"
  wd_key q
}

click() { timeout 5 xdotool mousemove --window "$wid" "$1" "$2" click 1 && sleep 0.3; }
walk() { timeout 5 xdotool keydown "$1" && sleep "$2" && timeout 5 xdotool keyup "$1"; }

play_cave() {
  sleep 1
  { click 200 300 && click 700 250 && walk Right 0.8 && click 500 600 && walk Down 0.5 &&
    click 900 100 && click 512 450; } || fail "xdotool cannot play"
  sleep 1
  wd_key q
}

for tool in Xvfb xdotool import convert; do command -v "$tool" >/dev/null || fail "no $tool"; done
[ -x "$program" ] || fail "no $program (build it first)"
wd_start_xvfb "$work" || fail "no X server"
{ wd_prepare_run_folder "$(dirname "$program")" "$work" && cd "$work"; } || fail "cannot fill the run folder"
"$program" --record "$work/game.wdr" >"$work/game.out" 2>&1 &
game_pid=$!
wid=$(wd_find_window) || fail "the game's window did not appear"
"play_$game"
wd_wait_exit "$game_pid" 20 || fail "the game did not quit"
game_pid=
[ "$WD_EXIT_STATUS" -eq 0 ] || fail "the game ended with status $WD_EXIT_STATUS: $(cat "$work/game.out")"
tail -n 1 "$work/game.wdr" | grep -q '^end ' || fail "the recording has no end line"
mkdir -p "$(dirname "$output")" && cp "$work/game.wdr" "$output"
