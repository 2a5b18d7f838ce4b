#!/usr/bin/env bash
# Plays the real game for a while on a private X server with random P and
# SPACE presses, then quits it with Q, watching for a crash, for resident
# memory that keeps growing, for any "Error!" line in the log and for how
# fast the log grows; prints the processor time per frame.
#
#   tools/soak.sh SECONDS [BUILD_DIR]
#
# BUILD_DIR defaults to $WD_BINARY_DIR, then to ./build; the game is
# BUILD_DIR/game/bunny-run. WD_SOAK_RSS_LIMIT_KB (default 5120) is how much
# the resident memory may grow over the second half of the run,
# WD_SOAK_LOG_LIMIT_BPS (default 300) how many bytes a second the log may
# grow by over it. The RSS samples and the log are kept in the run folder
# when the soak fails.
set -uo pipefail
seconds=${1:-}
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -lt 10 ]; then
  echo "usage: $0 SECONDS [BUILD_DIR]   (SECONDS >= 10)" >&2
  exit 2
fi
source_dir=$(cd "$(dirname "$0")/.." && pwd)
binary_dir=${2:-${WD_BINARY_DIR:-$source_dir/build}}
rss_limit_kb=${WD_SOAK_RSS_LIMIT_KB:-5120}
log_limit_bps=${WD_SOAK_LOG_LIMIT_BPS:-300}
# shellcheck source=tests/support/e2e_lib.sh
. "$source_dir/tests/support/e2e_lib.sh"

game_dir="$binary_dir/game"
game="$game_dir/bunny-run"
work=$(mktemp -d)
game_pid=
SAMPLE_PERIOD=2

cleanup() {
  if [ -n "$game_pid" ] && kill -0 "$game_pid" 2>/dev/null; then
    kill "$game_pid" 2>/dev/null
    wait "$game_pid" 2>/dev/null
  fi
  wd_stop_xvfb
}
trap cleanup EXIT

fail() {
  echo "SOAK FAILED: $*" >&2
  echo "--- run folder (kept): $work (rss.txt: seconds, VmRSS kB, log bytes, processor ticks)" >&2
  echo "--- game's error output (end):" >&2
  tail -c 1500 "$work/game.err" >&2 2>/dev/null
  echo "--- wendrel.log (end):" >&2
  wd_log_tail "$work/wendrel.log" >&2
  exit 1
}

[ -x "$game" ] || fail "no game at $game (build the bunny-run target)"
for tool in Xvfb xdotool; do
  command -v "$tool" >/dev/null || fail "$tool is not installed"
done

wd_start_xvfb "$work" || fail "no X server"
wd_prepare_run_folder "$game_dir" "$work" || fail "cannot fill the run folder"
cd "$work" || fail "cannot enter $work"
if wd_sanitized_build "$binary_dir"; then
  wd_collect_leaks "$work"
fi
"$game" >game.out 2>game.err &
game_pid=$!
wd_find_window >/dev/null || fail "the game's window did not appear"

start=$SECONDS
log_size() { stat -c %s wendrel.log 2>/dev/null || echo 0; }
# Processor time, user and system, of every thread of the game (the GL
# driver's rasterising threads among them), in clock ticks.
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$game_pid/stat" 2>/dev/null; }
sample() {
  local rss
  rss=$(awk '/^VmRSS:/ { print $2 }' "/proc/$game_pid/status" 2>/dev/null) || return
  [ -n "$rss" ] && echo "$((SECONDS - start)) $rss $(log_size) $(cpu_ticks)" >>rss.txt
}
crashed() {
  wd_wait_exit "$game_pid" 0
  game_pid=
  fail "the game ended by itself after $((SECONDS - start)) s with exit code $WD_EXIT_STATUS"
}

# Mostly jumps; a P now and then, so that the start screen gets its share of
# frames too (a P during play is ignored, one during the pause after a game
# starts the next game at once).
p_presses=0
space_presses=0
next_sample=0
RANDOM=$$
while [ $((SECONDS - start)) -lt "$seconds" ]; do
  kill -0 "$game_pid" 2>/dev/null || crashed
  if [ $((SECONDS - start)) -ge "$next_sample" ]; then
    sample
    next_sample=$((next_sample + SAMPLE_PERIOD))
  fi
  if [ $((RANDOM % 100)) -lt 15 ]; then
    wd_key p && p_presses=$((p_presses + 1))
  else
    wd_key space && space_presses=$((space_presses + 1))
  fi
  sleep "0.$((1 + RANDOM % 7))"
done
sample
ran_for=$((SECONDS - start))

# Q counts only on the start screen: keep pressing it while the last game
# runs out and its pause ends.
quit_sent=$SECONDS
while kill -0 "$game_pid" 2>/dev/null; do
  [ $((SECONDS - quit_sent)) -lt 40 ] || fail "the game did not quit within 40 s of pressing Q"
  wd_key q
  sleep 1.5
done
wd_wait_exit "$game_pid" 0
exit_status=$WD_EXIT_STATUS
game_pid=

games=$(grep -c 'Button pressed is: P' wendrel.log)
# The loader's messages end no line, so matches are counted, not lines.
sprite_loads=$(grep -o 'SRM::loadSprite(): Loading sprite' wendrel.log | wc -l)
error_lines=$(grep -o 'Error!' wendrel.log | wc -l)

# Figures from the samples (seconds, kB, log bytes): the growth is measured
# over the second half, and memory counts as flat from the first sample that
# no later sample exceeds by more than 1 MB.
awk -v half="$((ran_for / 2))" -v limit="$rss_limit_kb" -v log_limit="$log_limit_bps" \
  -v ran="$ran_for" -v status="$exit_status" -v p="$p_presses" -v space="$space_presses" \
  -v games="$games" -v loads="$sprite_loads" -v errors="$error_lines" -v final_log="$(log_size)" \
  -v hz="$(getconf CLK_TCK)" '
  {
    t[NR] = $1; rss[NR] = $2; logb[NR] = $3; ticks[NR] = $4
    if (NR == 1 || $2 > top) top = $2
    if (mid == 0 && $1 >= half) mid = NR
  }
  END {
    n = NR
    later_max = 0
    for (i = n; i >= 1; i--) { if (rss[i] > later_max) later_max = rss[i]; suffix[i] = later_max }
    for (i = 1; i <= n; i++) if (suffix[i] - rss[i] <= 1024) { flat = t[i]; break }
    growth = rss[n] - rss[mid]
    half_rate = (t[n] > t[mid]) ? (logb[n] - logb[mid]) / (t[n] - t[mid]) : 0
    printf "soak: %d s, %d presses of SPACE, %d of P (%d read)\n", ran, space, p, games
    printf "RSS: %d samples every 2 s; first %.1f MB, max %.1f MB, last %.1f MB\n", \
      n, rss[1] / 1024, top / 1024, rss[n] / 1024
    printf "RSS growth over the second half (from %d s): %+d kB (limit %d kB); flat within 1 MB from %d s on\n", \
      t[mid], growth, limit, flat
    printf "log: %d bytes, %.0f bytes/s overall, %.0f bytes/s over the second half (limit %d); %d sprite loads, %d \"Error!\" messages\n", \
      final_log, final_log / ran, half_rate, log_limit, loads, errors
    # The game runs at 30 frames a second.
    if (t[n] > t[1]) printf "processor time per frame: %.2f ms (all threads, %d s at 30 frames a second)\n", \
      (ticks[n] - ticks[1]) * 1000 / hz / ((t[n] - t[1]) * 30), t[n] - t[1]
    printf "exit code after Q: %d\n", status
    if (growth > limit) exit 3
    exit (half_rate > log_limit) ? 4 : 0
  }' rss.txt
verdict=$?
[ "$verdict" -ne 3 ] || fail "resident memory grew by more than $rss_limit_kb kB over the second half"
[ "$verdict" -ne 4 ] || fail "the log grew by more than $log_limit_bps bytes/s over the second half"
[ "$verdict" -eq 0 ] || fail "cannot read the RSS samples"
[ "$exit_status" -eq 0 ] || fail "exit code $exit_status after Q"
[ "$error_lines" -eq 0 ] || fail "$error_lines \"Error!\" messages in the log, the first: $(grep -o -m 1 'Error![^.]*' wendrel.log | head -n 1)"
wd_check_leaks "$work" "$source_dir" || fail "the sanitizers report a fault of the game (above)"
cd /
rm -rf "$work"
