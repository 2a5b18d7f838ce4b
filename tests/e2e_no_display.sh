#!/usr/bin/env bash
# Without an X server to talk to, the game cannot show a window or read a key:
# it must say so in one line on standard output and exit with code 1 at once,
# whether DISPLAY names a display that has no server or is not set at all.
set -uo pipefail
binary_dir=${WD_BINARY_DIR:?}
game_dir="$binary_dir/game"
game="$game_dir/bunny-run"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

[ -x "$game" ] || fail "no game at $game (build the bunny-run target)"

# $1: a name for the case; the rest: the env(1) arguments that set DISPLAY.
check_case() {
  local name=$1
  shift
  local dir="$work/$name"
  mkdir -p "$dir"
  cp -r "$game_dir/wd-font.ttf" "$game_dir/sprites" "$dir/"
  local status=0
  (cd "$dir" && timeout 30 env "$@" ALSOFT_DRIVERS=null "$game" >stdout.txt 2>stderr.txt) || status=$?
  [ "$status" -ne 124 ] || fail "$name: the game still ran after 30 s"
  [ "$status" -eq 1 ] || fail "$name: exit code $status, expected 1 (stderr: $(head -c 500 "$dir/stderr.txt"))"
  local lines
  lines=$(wc -l <"$dir/stdout.txt")
  [ "$lines" -eq 1 ] || fail "$name: $lines lines on standard output: $(head -c 500 "$dir/stdout.txt")"
  grep -qi 'display' "$dir/stdout.txt" || fail "$name: the message does not speak of the display: $(cat "$dir/stdout.txt")"
  echo "$name: exit 1, \"$(cat "$dir/stdout.txt")\""
}

# A display number far above any that xvfb-run or a desktop hands out.
check_case no-server DISPLAY=:9999
check_case unset -u DISPLAY
