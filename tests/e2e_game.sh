#!/usr/bin/env bash
# The real game on a private X server, driven by xdotool in a fresh run folder:
# the start screen is drawn, P starts a game, SPACE makes the bunny jump, the
# bunny dies on spikes when left alone, the start screen comes back after the
# pause, Q ends the program with exit code 0, and the sound it made (recorded
# by OpenAL Soft's wave backend) is not silence. The start screen and play
# screenshots are left in <build>/screenshots/.
set -uo pipefail
source_dir=${WD_SOURCE_DIR:?}
binary_dir=${WD_BINARY_DIR:?}
# shellcheck source=tests/support/e2e_lib.sh
. "$source_dir/tests/support/e2e_lib.sh"

game_dir="$binary_dir/game"
game="$game_dir/bunny-run"
shots="$binary_dir/screenshots"
work=$(mktemp -d)
game_pid=
mkdir -p "$shots" "$work/shots"

cleanup() {
  if [ -n "$game_pid" ] && kill -0 "$game_pid" 2>/dev/null; then
    kill "$game_pid" 2>/dev/null
    wait "$game_pid" 2>/dev/null
  fi
  wd_stop_xvfb
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  echo "--- run folder (kept): $work" >&2
  echo "--- screenshots in $work/shots:" "$(cd "$work/shots" 2>/dev/null && echo ./*.png)" >&2
  echo "--- game's standard output:" >&2
  head -c 1000 "$work/game.out" >&2 2>/dev/null
  echo "--- game's error output (end):" >&2
  tail -c 1500 "$work/game.err" >&2 2>/dev/null
  echo "--- wendrel.log (end):" >&2
  wd_log_tail "$work/wendrel.log" >&2
  exit 1
}

now() { date +%s.%N; }
seconds_between() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f\n", b - a }'; }

[ -x "$game" ] || fail "no game at $game (build the bunny-run target)"
for tool in Xvfb xdotool import convert sox; do
  command -v "$tool" >/dev/null || fail "$tool is not installed"
done

wd_start_xvfb "$work" || fail "no X server"
wd_prepare_run_folder "$game_dir" "$work" || fail "cannot fill the run folder"
cd "$work" || fail "cannot enter $work"
if wd_sanitized_build "$binary_dir"; then
  wd_collect_leaks "$work"
fi
test_start=$(now)
"$game" >game.out 2>game.err &
game_pid=$!
wid=$(wd_find_window) || fail "the game's window did not appear"

# Regions of the picture, in grid cells (columns, rows).
title_area=$(wd_cells 13 87 4 10)         # the start screen's big title
score_area=$(wd_cells 30 70 0 3)          # the score line at the top of play
floor_area=$(wd_cells 0 100 31 42)        # the green floor under the bunny
game_over_area=$(wd_cells 13 87 16 23.5)  # the red game-over picture
jump_band=$(wd_cells 43 57 21 26)         # above the bunny's resting rows 27-30
rest_band=$(wd_cells 43 57 27 31)

# 1. The start screen: the yellow title, and nothing of play yet.
start_yellow=0
for _ in $(seq 50); do
  wd_shot "$wid" shots/start.png || fail "cannot read the window back"
  start_yellow=$(wd_count shots/start.png yellow "$title_area")
  [ "$start_yellow" -gt 2000 ] && break
  sleep 0.2
done
[ "$start_yellow" -gt 2000 ] || fail "no title on the start screen ($start_yellow yellow pixels)"
[ "$(wd_count shots/start.png cyan "$score_area")" -eq 0 ] || fail "a score line on the start screen"
[ "$(wd_count shots/start.png green "$floor_area")" -eq 0 ] || fail "a floor on the start screen"
cp shots/start.png "$shots/start-screen.png"

# 2. P starts a game: the cyan score appears. The first spikes reach the
# bunny within a second, so the pictures of play are taken at once and
# examined afterwards.
wd_key p || fail "xdotool cannot send P"
score_cyan=0
for i in $(seq 60); do
  wd_shot "$wid" "shots/score-$i.png" "$score_area"
  score_cyan=$(wd_count "shots/score-$i.png" cyan)
  [ "$score_cyan" -gt 30 ] && break
  sleep 0.05
done
[ "$score_cyan" -gt 30 ] || fail "P did not start a game (no score line)"
wd_shot "$wid" shots/play.png
wd_shot "$wid" shots/band-before.png "$jump_band"

# 3. SPACE: the bunny leaves its rows for the band above them.
wd_key space || fail "xdotool cannot send SPACE"
for i in $(seq 10); do
  wd_shot "$wid" "shots/band-$i.png" "$jump_band"
done

[ "$(wd_count shots/play.png cyan "$score_area")" -gt 30 ] || fail "no score line in play"
floor_green=$(wd_count shots/play.png green "$floor_area")
[ "$floor_green" -gt 1000 ] || fail "no green floor in play ($floor_green pixels)"
[ "$(wd_count shots/play.png yellow "$title_area")" -lt 200 ] || fail "the title is still shown in play"
resting_white=$(wd_count shots/play.png white "$rest_band")
[ "$resting_white" -gt 100 ] || fail "no white bunny on its resting rows ($resting_white pixels)"
cp shots/play.png "$shots/play.png"
band_before=$(wd_count shots/band-before.png white)
band_most=0
for i in $(seq 10); do
  white=$(wd_count "shots/band-$i.png" white)
  [ "$white" -gt "$band_most" ] && band_most=$white
done
[ "$band_most" -gt $((band_before + 100)) ] ||
  fail "the bunny did not rise after SPACE (white pixels above it: $band_before before, at most $band_most after)"

# 4. Left alone, the bunny dies on spikes: the game-over picture shows, and
# the start screen returns after the pause.
death_seen=
# Times are taken before each picture, so that slow counting under load
# cannot shorten the pause measured.
for i in $(seq 75); do
  shot_time=$(now)
  wd_shot "$wid" shots/dying.png "$game_over_area"
  if [ "$(wd_count shots/dying.png red)" -gt 1500 ]; then
    death_seen=$shot_time
    break
  fi
  sleep 0.2
done
[ -n "$death_seen" ] || fail "the bunny never died (no game-over picture within 15 s)"
back_seen=
for i in $(seq 100); do
  shot_time=$(now)
  wd_shot "$wid" shots/back.png "$title_area"
  if [ "$(wd_count shots/back.png yellow)" -gt 2000 ]; then
    back_seen=$shot_time
    break
  fi
  sleep 0.1
done
[ -n "$back_seen" ] || fail "the start screen did not return after the game"
pause=$(seconds_between "$death_seen" "$back_seen")
awk -v p="$pause" 'BEGIN { exit !(p >= 3.3 && p <= 10) }' ||
  fail "the start screen returned ${pause} s after the game-over picture (about 4 s expected)"

# 5. Q quits with exit code 0.
sleep 0.3
quit_time=$(now)
wd_key q || fail "xdotool cannot send Q"
wd_wait_exit "$game_pid" 15 || fail "the game still runs 15 s after Q"
game_pid=
quit_took=$(seconds_between "$quit_time" "$(now)")
[ "$WD_EXIT_STATUS" -eq 0 ] || fail "exit code $WD_EXIT_STATUS after Q"
wd_check_leaks "$work" "$source_dir" || fail "the sanitizers report a fault of the game (above)"

for key in P SPACE Q; do
  grep -qF "Button pressed is: $key" wendrel.log || fail "no \"Button pressed is: $key\" in the log"
done

# 6. The recording holds the game's music and effects, not silence.
[ -s audio.wav ] || fail "OpenAL's wave backend recorded nothing"
rms=$(wd_audio_rms audio.wav)
awk -v r="${rms:-0}" 'BEGIN { exit !(r > 0.001) }' || fail "the recorded audio is silent (RMS ${rms:-?})"

echo "start screen: $start_yellow yellow title pixels; play: $floor_green green floor pixels"
echo "jump: $band_before white pixels above the bunny before SPACE, $band_most after"
echo "start screen back ${pause} s after the game-over picture; exit 0 ${quit_took} s after Q"
echo "audio RMS $rms; whole test $(seconds_between "$test_start" "$(now)") s"
echo "screenshots: $shots/start-screen.png $shots/play.png"
cd /
rm -rf "$work"
