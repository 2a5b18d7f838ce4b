#!/usr/bin/env bash
# The real game, Hello and the cave in the terminal: tmux is the terminal, send-keys types, capture-pane -e reads the
# glyphs and colours back, and the pane's modes and tty settings tell whether the terminal was restored.
# Leaves the README's text capture of play in <build>/screenshots/terminal-play.txt.
set -uo pipefail
source_dir=${WD_SOURCE_DIR:?} binary_dir=${WD_BINARY_DIR:?}
# shellcheck source=tests/support/e2e_lib.sh
. "$source_dir/tests/support/e2e_lib.sh"
work=$(mktemp -d) socket="wd-e2e-terminal-$$"
tm() { tmux -L "$socket" -f /dev/null "$@"; }
trap 'tm kill-server 2>/dev/null' EXIT

fail() {
  echo "FAIL: $*" >&2
  echo "--- run folder (kept): $work; the pane:" >&2
  tm capture-pane -p -t "${pane:-x}" 2>/dev/null | head -n 52 >&2
  echo "--- wendrel.log (end):" >&2; wd_log_tail "$work/wendrel.log" >&2
  exit 1
}

command -v tmux >/dev/null || fail "no tmux"
[ -x "$binary_dir/game/bunny-run" ] || fail "no game in $binary_dir/game"
{ wd_prepare_run_folder "$binary_dir/game" "$work" && cd "$work"; } || fail "cannot fill the run folder"
cp -r "$binary_dir/examples/hello" "$binary_dir/examples/cave" "$work/" || fail "no examples in $binary_dir"
if wd_sanitized_build "$binary_dir"; then wd_collect_leaks "$work"; fi

# Starts session $1 of $2 x $3 cells running "$4" in folder $5 with environment $6 (VAR=value or empty);
# the program's exit status lands in $1.status (the shell outlives a Ctrl+C to write it). Sets pane.
start() {
  rm -f "$work/$1.status"
  local env=()
  [ -z "$6" ] || env=(-e "$6")
  tm new-session -d -s "$1" -x "$2" -y "$3" "${env[@]}" \
    "trap true INT; cd '$5' && $4; echo \$? >'$work/$1.status'; exec sleep 600" || fail "tmux cannot start $1"
  tm set-option -t "$1" status off >/dev/null
  pane="$1"
}
screen() { tm capture-pane -p -t "$pane"; }
shows() { screen | grep -qF -- "$1"; }
# Retries command $2... every tenth of a second, $1 times at most, until it succeeds.
poll() {
  local tries=$1 i
  shift
  for ((i = 0; i < tries; i++)); do "$@" && return 0; sleep 0.1; done
  return 1
}
# Waits up to $2 tenths of a second until the pane shows the fixed text $1.
wait_text() { poll "$2" shows "$1"; }
# Prints the exit status of session $1's program, or none when it has not ended within ten seconds.
wait_status() { poll 100 test -s "$work/$1.status" && cat "$work/$1.status" || echo none; }
# The pane is back as it was: normal screen, cursor shown, no mouse reporting, canonical mode with echo.
# The pane's modes: alternate screen, cursor shown, mouse reporting, each 0 or 1; whether they are $1.
modes() { tm display-message -p -t "$pane" '#{alternate_on} #{cursor_flag} #{mouse_any_flag}'; }
in_modes() { [ "$(modes)" = "$1" ]; }
restored() {
  local tty
  in_modes "0 1 0" || fail "$1: terminal modes not restored (alternate, cursor, mouse: $(modes))"
  tty=$(tm display-message -p -t "$pane" '#{pane_tty}')
  ! stty -a <"$tty" | grep -qw -e '-icanon' -e '-echo' ||
    fail "$1: raw mode left on the terminal: $(stty -a <"$tty" | tr '\n' ' ')"
}
game_pid() { pgrep -P "$(tm display-message -p -t "$pane" '#{pane_pid}')" "$1"; }
# The row of the bunny's face on the screen, or nothing.
bunny_row() { screen | grep -n 'o\.o)' | tail -n 1 | cut -d: -f1; }

# --- Bunny Run in a 24-bit terminal: title, play, a jump, Q.
start bunny 100 50 "'$binary_dir/game/bunny-run' --terminal" "$work" COLORTERM=truecolor
wait_text "hop over the spikes" 100 || fail "no title on the start screen"
tm capture-pane -p -e -t "$pane" | grep -q $'\e\\[38;2;255;255;0m' || fail "the title is not in 24-bit yellow"
screen | grep -q "Score" && fail "a score line on the start screen"
# The first spikes reach the bunny within a second: under load SPACE can come too late, then play again.
jumped=
for game in 1 2 3; do
  tm send-keys -t "$pane" p
  wait_text "Score" 50 || fail "P did not start a game"
  rest=$(bunny_row)
  [ -n "$rest" ] || fail "no bunny in play"
  tm send-keys -t "$pane" Space
  mkdir -p "$binary_dir/screenshots" && screen >"$binary_dir/screenshots/terminal-play.txt"
  for ((i = 0; i < 10; i++)); do
    row=$(bunny_row)
    [ -n "$row" ] && [ "$row" -lt "$rest" ] && { jumped=yes; break; }
    sleep 0.05
  done
  wait_text "hop over the spikes" 150 || fail "the start screen did not return after game $game"
  [ -n "$jumped" ] && break
done
[ -n "$jumped" ] || fail "SPACE never lifted the bunny above row $rest"
tm send-keys -t "$pane" q
[ "$(wait_status bunny)" = 0 ] || fail "Q did not end the game with status 0 ($(cat bunny.status 2>/dev/null))"
restored "after Q"
grep -q "Terminal display: the window options do not apply" wendrel.log || fail "no word of the missing window"

# --- SIGTERM (status 143) and a crash signal restore the terminal. Under the sanitizers a crash ends the game
# with a status of their own, and their expected report of it is kept apart from the reports that fail the test.
for signal in TERM SEGV; do
  quiet="" extra=""
  [ $signal = TERM ] || quiet=" 2>/dev/null" extra="LSAN_OPTIONS=${LSAN_OPTIONS:-}:log_path=$work/crash-report"
  start "$signal" 100 50 "'$binary_dir/game/bunny-run' --terminal$quiet" "$work" "$extra"
  wait_text "hop over the spikes" 100 || fail "no title for the SIG$signal run"
  pid=$(game_pid bunny-run) || fail "no game process for SIG$signal"
  kill -"$signal" "$pid"
  status=$(wait_status "$signal")
  case $signal:$status in TERM:143 | SEGV:[1-9]*) ;; *) fail "SIG$signal: status $status" ;; esac
  restored "after SIG$signal"
done

# --- Ctrl+Z under a shell with job control gives the terminal back while the game is stopped; fg takes it again and
# draws the game anew. The shell reads lines in canonical mode (no line editing), so that restored() holds at its
# prompt.
start suspend 100 50 "bash --norc --noprofile --noediting -i" "$work" ""
tm send-keys -t "$pane" "'$binary_dir/game/bunny-run' --terminal" Enter
wait_text "hop over the spikes" 100 || fail "no title for the Ctrl+Z run"
tm send-keys -t "$pane" C-z
wait_text "Stopped" 50 || fail "Ctrl+Z did not stop the game"
restored "while the game is stopped"
tm send-keys -t "$pane" fg Enter
wait_text "hop over the spikes" 100 || fail "the title was not drawn again after fg"
in_modes "1 0 1" || fail "fg did not take the terminal again (alternate, cursor, mouse: $(modes))"
tm send-keys -t "$pane" q
poll 50 in_modes "0 1 0" || fail "Q after fg did not end the game"
tm send-keys -t "$pane" exit Enter
[ "$(wait_status suspend)" = 0 ] || fail "Q after fg: status $(cat suspend.status 2>/dev/null), not 0"
restored "after Ctrl+Z, fg and Q"

# --- A small terminal is asked to grow; the game waits, then plays in full when it does.
start small 80 24 "'$binary_dir/game/bunny-run' --terminal" "$work" ""
wait_text "larger terminal" 100 || fail "an 80 x 24 terminal got no word that it is too small"
screen | grep -q "hop over" && fail "the game drew into a terminal too small for it"
tm resize-window -t "$pane" -x 100 -y 50
wait_text "hop over the spikes" 100 || fail "the title was not redrawn after the terminal grew"
screen | grep -q "larger terminal" && fail "the request for a larger terminal stayed after the resize"
tm send-keys -t "$pane" q
[ "$(wait_status small)" = 0 ] || fail "Q after the resize did not end the game"

# --- Hello through WD_TERMINAL=1 in 256 colours: the yellow figure walks right; Ctrl+C restores the terminal.
start hello 100 50 "WD_TERMINAL=1 ./hello" "$work/hello" ""
wait_text "Stars" 100 || fail "Hello shows no star counter"
tm capture-pane -p -e -t "$pane" | grep -q $'\e\\[38;5;226m' || fail "Hello's yellow is not the indexed colour 226"
column() { tm capture-pane -p -e -t "$pane" | sed -n '3,$p' | grep -ob $'\e\\[38;5;226m[^ \e]' | head -n 1; }
before=$(column)
for ((i = 0; i < 5; i++)); do tm send-keys -t "$pane" Right; sleep 0.1; done
sleep 0.3
[ "$(column)" != "$before" ] || fail "the right arrow did not move Hello's figure"
tm send-keys -t "$pane" C-c
[ "$(wait_status hello)" = 130 ] || fail "Ctrl+C: status $(cat hello.status 2>/dev/null), not 130"
restored "after Ctrl+C"

# --- The cave with --terminal: an SGR mouse click at a cell throws a spark, Q quits.
start cave 100 50 "./cave --terminal" "$work/cave" ""
wait_text "Thrown 0" 100 || fail "the cave shows no spark counter"
tm send-keys -t "$pane" -l $'\e[<35;30;20M\e[<0;30;20M\e[<0;30;20m'
wait_text "Thrown 1" 20 || fail "a terminal mouse click threw no spark"
# The spark (a star or a ring, drawn nowhere else in the cave) flies up and right from the clicked cell,
# column 30, not from a pixel turned into a cell: its column counts characters, not bytes. The counters
# stand in the view's first and last rows.
spark=$(tm capture-pane -p -t "$pane" | perl -CSD -Mutf8 -ne 'if ($. > 3 && $. < 40 && /[✦∘]/) {
  print $-[0] + 1; exit }')
[ -n "$spark" ] && [ "$spark" -ge 28 ] && [ "$spark" -le 45 ] ||
  fail "the spark is not near the clicked cell (column ${spark:-none})"
tm send-keys -t "$pane" q
[ "$(wait_status cave)" = 0 ] || fail "Q did not end the cave"
restored "after the cave"

# --- The cave's swarm in the terminal: its figures go to the log, not over the picture.
start swarm 100 50 "./cave --terminal --swarm 100" "$work/cave" ""
wait_text "Thrown 0" 100 || fail "the swarm's cave shows no spark counter"
sleep 4  # past the first report, due after three seconds
! shows "frames: mean" && ! shows "motes added" || fail "swarm figures printed over the picture"
tm send-keys -t "$pane" q
[ "$(wait_status swarm)" = 0 ] || fail "Q did not end the swarm"
grep -q "motes added" "$work/cave/wendrel.log" && grep -q "frames: mean" "$work/cave/wendrel.log" || fail "no swarm figures in the log"

if wd_sanitized_build "$binary_dir"; then wd_check_leaks "$work" "$source_dir" || fail "sanitizer reports"; fi
rm -rf "$work"
echo "terminal: title, jump, Q, SIGTERM, SIGSEGV, Ctrl+Z and fg, small terminal, 256 colours, Ctrl+C, the mouse and the swarm's figures all as expected"
