#!/usr/bin/env bash
# The real game on a private X server with the audio drivers left to find what this machine has: on one
# without a sound card (CI's) a game played with P, SPACE and Q prints nothing, and the log says once that
# sound is off. Only a GL driver's notice may reach the terminal, two lines at most.
set -uo pipefail
source_dir=${WD_SOURCE_DIR:?} binary_dir=${WD_BINARY_DIR:?}
# shellcheck source=tests/support/e2e_lib.sh
. "$source_dir/tests/support/e2e_lib.sh"
work=$(mktemp -d) game_pid=
trap '[ -z "$game_pid" ] || { kill "$game_pid"; wait "$game_pid"; } 2>/dev/null; wd_stop_xvfb' EXIT
GL_NOTICES='^(libEGL warning|MESA|libGL)'

fail() {
  echo "FAIL: $*" >&2
  echo "--- run folder (kept): $work; standard output, error output, wendrel.log:" >&2
  head -c 1000 "$work/game.out" >&2; tail -c 1500 "$work/game.err" >&2; wd_log_tail "$work/wendrel.log" >&2
  exit 1
}
[ -x "$binary_dir/game/bunny-run" ] || fail "no game in $binary_dir/game (build the bunny-run target)"
wd_start_xvfb "$work" || fail "no X server"
cp -r "$binary_dir"/game/{wd-font.ttf,sprites,sounds} "$work/" && cd "$work" || fail "cannot fill the run folder"
! wd_sanitized_build "$binary_dir" || wd_collect_leaks "$work"
env -u ALSOFT_DRIVERS -u ALSOFT_CONF -u ALSOFT_LOGLEVEL -u WD_AUDIO_DEBUG "$binary_dir/game/bunny-run" \
  >game.out 2>game.err &
game_pid=$!
wd_find_window >/dev/null || fail "the game's window did not appear"
sleep 1
wd_key p && sleep 0.5 && wd_key space || fail "xdotool cannot send keys"
# Q counts only on the start screen, which returns some seconds after the bunny dies.
for _ in $(seq 60); do
  wd_key q >/dev/null 2>&1
  wd_wait_exit "$game_pid" 1 && break
done
kill -0 "$game_pid" 2>/dev/null && fail "the game still runs a minute after P"
game_pid=
[ "$WD_EXIT_STATUS" -eq 0 ] || fail "exit code $WD_EXIT_STATUS after Q"
wd_check_leaks "$work" "$source_dir" || fail "the sanitizers report a fault of the game (above)"
for key in P SPACE Q; do
  grep -qF "Button pressed is: $key" wendrel.log || fail "no \"Button pressed is: $key\" in the log"
done
[ ! -s game.out ] || fail "the game wrote to standard output"
lines=$(wc -l <game.err)
{ [ "$lines" -le 2 ] && ! grep -qEv "$GL_NOTICES" game.err; } || fail "$lines lines on standard error"
said=$(grep -o 'No audio device: sound is off' wendrel.log | wc -l)
if grep -qs '^ *[0-9]' /proc/asound/cards; then
  echo "note: this machine has a sound card; the log says \"sound is off\" $said times"
else
  [ "$said" -eq 1 ] || fail "the log says \"sound is off\" $said times (once expected)"
fi
echo "exit 0, $lines lines on standard error, \"No audio device: sound is off\" $said time(s) in the log"
cd / && rm -rf "$work"
