#!/usr/bin/env bash
# The real game on a private X server, driven by xdotool in a fresh run folder, its sound recorded by
# OpenAL's wave backend. Leaves the README's screenshots in <build>/screenshots/.
set -uo pipefail
source_dir=${WD_SOURCE_DIR:?} binary_dir=${WD_BINARY_DIR:?}
# shellcheck source=tests/support/e2e_lib.sh
. "$source_dir/tests/support/e2e_lib.sh"
shots="$binary_dir/screenshots" work=$(mktemp -d) game_pid=
mkdir -p "$shots" "$work/shots"
trap '[ -z "$game_pid" ] || { kill "$game_pid"; wait "$game_pid"; } 2>/dev/null; wd_stop_xvfb' EXIT

fail() {
  echo "FAIL: $*" >&2
  echo "--- run folder (kept): $work, pictures:" "$(cd "$work/shots" && echo ./*.png)" >&2
  echo "--- game's output (end):" >&2; tail -c 1500 "$work/game.out" >&2 2>/dev/null
  echo "--- wendrel.log (end):" >&2; wd_log_tail "$work/wendrel.log" >&2
  exit 1
}
# Seconds from time $1 to $2 (now).
span() { awk -v a="$1" -v b="${2:-$EPOCHREALTIME}" 'BEGIN { printf "%.2f\n", b - a }'; }

[ -x "$binary_dir/game/bunny-run" ] || fail "no game in $binary_dir/game (build the bunny-run target)"
for tool in Xvfb xdotool import convert sox; do command -v "$tool" >/dev/null || fail "no $tool"; done
wd_start_xvfb "$work" || fail "no X server"
{ wd_prepare_run_folder "$binary_dir/game" "$work" && cd "$work"; } || fail "cannot fill the run folder"
if wd_sanitized_build "$binary_dir"; then wd_collect_leaks "$work"; fi
test_start=$EPOCHREALTIME
"$binary_dir/game/bunny-run" >game.out 2>&1 &
game_pid=$!
wid=$(wd_find_window) || fail "the game's window did not appear"

# Areas of the picture in grid cells (columns, rows); the bunny rests on rows 27-30.
title_area=$(wd_cells 13 87 4 10) score_area=$(wd_cells 30 70 0 3) floor_area=$(wd_cells 0 100 31 42)
game_over_area=$(wd_cells 13 87 16 23.5) jump_band=$(wd_cells 43 57 21 26) rest_band=$(wd_cells 43 57 27 31)

# Polls up to $4 times, $5 s apart, until area $3 of the window holds more than $2 pixels of class $1.
# Leaves the picture in shots/$1.png, the count in seen and in seen_at the time just before the picture.
wait_for() {
  for ((i = 0; i < $4; i++)); do
    seen_at=$EPOCHREALTIME
    wd_shot "$wid" "shots/$1.png" || fail "cannot read the window back"
    seen=$(wd_count "shots/$1.png" "$1" "$3")
    [ "$seen" -gt "$2" ] && return 0
    sleep "$5"
  done
  return 1
}

wait_for yellow 2000 "$title_area" 50 0.2 || fail "no title on the start screen ($seen yellow pixels)"
start_yellow=$seen
cp shots/yellow.png "$shots/start-screen.png"
[ "$(wd_count shots/yellow.png cyan "$score_area")" -eq 0 ] || fail "a score line on the start screen"
[ "$(wd_count shots/yellow.png green "$floor_area")" -eq 0 ] || fail "a floor on the start screen"

# The first spikes reach the bunny within a second: SPACE follows the first picture of play, held (one jump)
# while a second's pictures are taken; they are examined later. If the bunny died first, play again.
for game in 1 2 3; do
  wd_key p || fail "xdotool cannot send P"
  wait_for cyan 30 "$score_area" 60 0.05 || fail "P did not start a game (no score line)"
  mv shots/cyan.png shots/play.png && rm -f shots/band-*.png
  timeout 5 xdotool keydown space || fail "xdotool cannot send SPACE"
  jump_at=$EPOCHREALTIME
  for ((i = 1; i <= 10; i++)); do
    wd_shot "$wid" "shots/band-$i.png" "$jump_band"
    (( ${EPOCHREALTIME/./} - ${jump_at/./} < 1000000 )) || break
  done
  timeout 5 xdotool keyup space

  # Left alone, the bunny dies on spikes; the start screen returns after the pause.
  wait_for red 1500 "$game_over_area" 75 0.2 || fail "the bunny never died (no game-over picture in 15 s)"
  death_at=$seen_at
  wait_for yellow 2000 "$title_area" 100 0.1 || fail "the start screen did not return after the game"
  pause=$(span "$death_at" "$seen_at")
  awk -v p="$pause" 'BEGIN { exit !(p >= 3.3 && p <= 10) }' ||
    fail "the start screen returned $pause s after the game-over picture (about 4 s expected)"
  band_before=$(wd_count shots/play.png white "$jump_band")
  band_most=$(for band in shots/band-*.png; do wd_count "$band" white; done | sort -n | tail -n 1)
  [ "$band_most" -le $((band_before + 100)) ] || break
done
[ "$band_most" -gt $((band_before + 100)) ] ||
  fail "the bunny did not rise after SPACE (white pixels above it: $band_before, then $band_most at most)"
floor_green=$(wd_count shots/play.png green "$floor_area")
[ "$floor_green" -gt 1000 ] || fail "no green floor in play ($floor_green pixels)"
[ "$(wd_count shots/play.png white "$rest_band")" -gt 100 ] || fail "no white bunny on its resting rows"
[ "$(wd_count shots/play.png yellow "$title_area")" -lt 200 ] || fail "the title is still shown in play"
cp shots/play.png "$shots/play.png"

sleep 0.3
quit_at=$EPOCHREALTIME
wd_key q || fail "xdotool cannot send Q"
wd_wait_exit "$game_pid" 15 || fail "the game still runs 15 s after Q"
game_pid='' quit_took=$(span "$quit_at")
[ "$WD_EXIT_STATUS" -eq 0 ] || fail "exit code $WD_EXIT_STATUS after Q"
wd_check_leaks "$work" "$source_dir" || fail "the sanitizers report a fault of the game (above)"
rms=$(wd_audio_rms audio.wav)
awk -v r="${rms:-0}" 'BEGIN { exit !(r > 0.001) }' || fail "the recorded audio is silent (RMS ${rms:-?})"
took=$(span "$test_start")
awk -v t="$took" 'BEGIN { exit !(t < 60) }' || fail "the test took $took s (a minute at most)"

echo "title: $start_yellow yellow pixels, floor $floor_green green, jump $band_most white (game $game)"
echo "start screen back $pause s after game over; exit 0 $quit_took s after Q; audio RMS $rms; $took s"
cd / && rm -rf "$work"
