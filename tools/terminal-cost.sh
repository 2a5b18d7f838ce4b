#!/usr/bin/env bash
# What Bunny Run costs in a terminal: plays it for SECONDS (default 60) in a
# 100 x 50 tmux pane in 24-bit colour, pressing P and SPACE as a player
# would, with `script` recording every byte the game writes. Prints the bytes
# per frame, the frames written per second in play, the processor time per
# frame (user + system, no window and no GL), how many such games two
# cores hold at full frame rate, and the pacing: the intervals between the
# frames written in play (writes less than 200 ms apart).
#
#   tools/terminal-cost.sh [SECONDS] [BUILD_DIR]
set -euo pipefail
seconds=${1:-60}
build=$(cd "${2:-${WD_BINARY_DIR:-build}}" && pwd)
work=$(mktemp -d) socket="wd-terminal-cost-$$"
tm() { tmux -L "$socket" -f /dev/null "$@"; }
trap 'tm kill-server 2>/dev/null; rm -rf "$work"' EXIT
cp -r "$build/game/wd-font.ttf" "$build/game/sprites" "$build/game/sounds" "$work/"

tm new-session -d -x 100 -y 50 -e COLORTERM=truecolor \
  "cd '$work' && script -q -f -O '$work/typescript' -T '$work/timing' -c '$build/game/bunny-run --terminal'; sleep 600"
tm set-option status off >/dev/null
script_pid=
until [ -n "$script_pid" ]; do sleep 0.1; script_pid=$(pgrep -P "$(tm display -p '#{pane_pid}')" script || true); done
game=
until [ -n "$game" ]; do sleep 0.1; game=$(pgrep -P "$script_pid" bunny-run || true); done
sleep 1

ticks() { awk '{ print $14 + $15 }' "/proc/$game/stat"; }
start_ticks=$(ticks) start_bytes=$(stat -c %s "$work/typescript") start_frames=$(grep -ao $'\e\\[?2026h' "$work/typescript" | wc -l)
start_chunks=$(wc -l <"$work/timing")
start=$EPOCHREALTIME
end_at=$(( ${start%.*} + seconds ))
while [ "$(date +%s)" -lt "$end_at" ]; do
  tm send-keys p; sleep 0.25; tm send-keys Space; sleep 0.25
done
elapsed=$(awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { print b - a }')
end_ticks=$(ticks) end_bytes=$(stat -c %s "$work/typescript") end_frames=$(grep -ao $'\e\\[?2026h' "$work/typescript" | wc -l)
tm send-keys q
awk -v s="$elapsed" -v t=$((end_ticks - start_ticks)) -v hz="$(getconf CLK_TCK)" \
    -v b=$((end_bytes - start_bytes)) -v w=$((end_frames - start_frames)) 'BEGIN {
  frames = s * 1000 / 33
  cpu_ms = t * 1000 / hz / frames
  printf "seconds played:           %.1f\n", s
  printf "bytes written:            %d\n", b
  printf "frames (at 33 ms):        %d, of which %d changed the screen (%.1f a second)\n", frames, w, w / s
  printf "bytes per frame:          %.0f (%.0f per frame that wrote)\n", b / frames, b / w
  printf "bandwidth:                %.2f Mbit/s\n", b * 8 / s / 1e6
  printf "processor time per frame: %.3f ms (%.1f%% of a core)\n", cpu_ms, cpu_ms * 100 / 33
  printf "games two cores hold:     %d\n", int(2 * 33 / cpu_ms)
}'
# A frame read in two pieces shows as a second write within a few milliseconds: it is joined to its frame.
tail -n +"$((start_chunks + 2))" "$work/timing" |
  awk '{ gap += $1 } $1 >= 0.005 { if (gap < 0.2) print gap * 1000; gap = 0 }' | sort -n | awk '
  { d[NR] = $1; sum += $1 } END {
  printf "frame interval in play:   mean %.1f ms, median %.1f ms, 10th-90th percentile %.1f-%.1f ms (%d frames)\n",
         sum / NR, d[int(NR / 2) + 1], d[int(NR / 10) + 1], d[int(NR * 9 / 10)], NR
}'
