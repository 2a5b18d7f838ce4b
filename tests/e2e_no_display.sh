#!/usr/bin/env bash
# Without an X server the game cannot show a window or read a key: one line about the display on standard
# output, nothing on standard error and exit code 1 at once, whether DISPLAY names a display with no server or
# is unset. The audio drivers are left to find what this machine has (often no sound card): the game must stop
# before it touches them, which WD_AUDIO_DEBUG=1, letting every driver message through, makes visible.
set -uo pipefail
game_dir=${WD_BINARY_DIR:?}/game work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Each case: a name, then env(1) arguments (:9999 is above any display number handed out).
for case in "no-server DISPLAY=:9999" "unset -u DISPLAY WD_AUDIO_DEBUG=1"; do
  read -ra args <<<"$case"
  mkdir "$work/${args[0]}" && cd "$work/${args[0]}" && cp -r "$game_dir/wd-font.ttf" "$game_dir/sprites" . || exit 1
  status=0
  timeout 30 env -u ALSOFT_DRIVERS -u ALSOFT_CONF -u ALSOFT_LOGLEVEL -u WD_AUDIO_DEBUG "${args[@]:1}" \
    "$game_dir/bunny-run" >out.txt 2>err.txt || status=$?
  { [ "$status" -eq 1 ] && [ "$(wc -l <out.txt)" -eq 1 ] && grep -qi display out.txt && [ ! -s err.txt ] &&
    ! grep -qi audio wendrel.log; } || {
    echo "FAIL ${args[0]}: exit code $status (1 expected, 124: still ran after 30 s)" \
      "stdout: $(head -c 500 out.txt) stderr ($(wc -l <err.txt) lines): $(head -c 500 err.txt)" \
      "log: $(head -c 500 wendrel.log)" >&2
    exit 1
  }
  echo "${args[0]}: exit 1, \"$(cat out.txt)\", nothing on stderr"
done
