#!/usr/bin/env bash
# Without an X server the game cannot show a window or read a key: one line about the display on standard
# output and exit code 1 at once, whether DISPLAY names a display with no server or is unset.
set -uo pipefail
game_dir=${WD_BINARY_DIR:?}/game work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Each case: a name, then env(1) arguments for DISPLAY (:9999 is above any number handed out).
for case in "no-server DISPLAY=:9999" "unset -u DISPLAY"; do
  read -ra args <<<"$case"
  mkdir "$work/${args[0]}" && cd "$work/${args[0]}" && cp -r "$game_dir/wd-font.ttf" "$game_dir/sprites" . || exit 1
  status=0
  timeout 30 env "${args[@]:1}" ALSOFT_DRIVERS=null "$game_dir/bunny-run" >out.txt 2>err.txt || status=$?
  { [ "$status" -eq 1 ] && [ "$(wc -l <out.txt)" -eq 1 ] && grep -qi display out.txt; } || {
    echo "FAIL ${args[0]}: exit code $status (1 expected, 124: still ran after 30 s)" \
      "stdout: $(head -c 500 out.txt) stderr: $(head -c 500 err.txt)" >&2
    exit 1
  }
  echo "${args[0]}: exit 1, \"$(cat out.txt)\""
done
