#!/usr/bin/env bash
# Recording and replay through the real programs: a game of Bunny Run played with real key presses
# is recorded, replayed fast and in real time with every fingerprint matching; a game whose jump is
# one cell higher fails on the first frame that differs; recordings cut anywhere replay to their last
# whole frame; broken files are refused, naming their line, before a window opens; a recording of
# the cave's mouse clicks replays its sparks; the repository's recordings replay.
set -uo pipefail
source_dir=${WD_SOURCE_DIR:?} binary_dir=${WD_BINARY_DIR:?}
# shellcheck source=tests/support/e2e_lib.sh
. "$source_dir/tests/support/e2e_lib.sh"
work=$(mktemp -d)
trap 'wd_stop_xvfb' EXIT
game_dir="$binary_dir/game" cave_dir="$binary_dir/examples/cave"
fail() {
  echo "FAIL: $*" >&2
  echo "--- run folder (kept): $work; last output:" >&2
  cat "$work/out" "$work/err" >&2 2>/dev/null
  exit 1
}
for program in "$game_dir/bunny-run" "$game_dir/bunny-run-high-jump" "$cave_dir/cave"; do
  [ -x "$program" ] || fail "no $program (build bunny-run, bunny-run-high-jump and cave)"
done

# Records a scripted game of $1 (bunny, cave) into $2 through real X input.
record() { "$source_dir/tools/record-game.sh" "$1" "$2" "$binary_dir" >"$work/out" 2>"$work/err"; }
# Runs program $1 (in its own folder's copy) with arguments $2...; leaves its status in status.
play() {
  local program=$1 run="$work/run-$(basename "$1")"
  shift
  [ -d "$run" ] || { mkdir -p "$run" && cp -r "$(dirname "$program")"/{wd-font.ttf,sprites,sounds} "$run/"; }
  rm -f "$run/wendrel.log"
  status=0
  (cd "$run" && ALSOFT_DRIVERS=null "$program" "$@" >"$work/out" 2>"$work/err") || status=$?
  last_log="$run/wendrel.log"
}
# The frames of recording $1 that end with a fingerprint on a whole line.
whole_frames() { grep -c '^f [0-9]* [0-9a-f]\{16\}$' "$1"; }
# Requires the last replay to have matched all $1 frames.
matched() {
  [ "$status" -eq 0 ] && grep -q "^replay of .*: $1 frames, $1 fingerprints matched$" "$work/out"
}

wd_start_xvfb "$work" || fail "no X server"
if wd_sanitized_build "$binary_dir"; then wd_collect_leaks "$work"; fi

# A game played through the X server, replayed fast and in real time.
record bunny "$work/run.wdr" || fail "recording a game of Bunny Run failed"
frames=$(whole_frames "$work/run.wdr")
[ "$(grep -c '^k [0-9]* [0-9]* 0 0$' "$work/run.wdr")" -ge 4 ] || fail "fewer than 4 SPACE presses recorded"
[ "$(grep -c '^k [0-9]* [0-9]* 46 0$' "$work/run.wdr")" -eq 2 ] || fail "not two P presses recorded"
play "$game_dir/bunny-run" --replay "$work/run.wdr" --fast
matched "$frames" || fail "the fast replay did not match all $frames frames"
grep -q '^final score: [1-9][0-9]*$' "$work/out" || fail "the fast replay printed no final score"
play "$game_dir/bunny-run" --replay "$work/run.wdr"
matched "$frames" || fail "the real-time replay did not match all $frames frames"
grep -qF "Button pressed is: Q" "$last_log" || fail "the real-time replay did not deliver the recorded Q"

# The higher jump changes the picture a few frames after the first jump; every frame before matches.
play "$game_dir/bunny-run-high-jump" --replay "$work/run.wdr" --fast
[ "$status" -eq 3 ] || fail "the changed game's replay ended with $status, not 3"
differs=$(sed -n 's/^replay of .*: frame \([0-9]*\) differs from the recording.*/\1/p' "$work/err")
jump=$(awk '$1 == "k" && $4 == 0 && $5 == 0 { print $2; exit }' "$work/run.wdr")
[ -n "$differs" ] && [ "$differs" -gt "$jump" ] && [ "$differs" -le $((jump + 8)) ] ||
  fail "the changed game differed at frame '${differs}', not within 8 frames after the jump at $jump"
awk -v n="$differs" 'NR <= 2 || $2 < n' "$work/run.wdr" >"$work/before.wdr"
play "$game_dir/bunny-run-high-jump" --replay "$work/before.wdr" --fast
matched "$differs" || fail "the changed game differs before frame $differs"

# A game that does not stop where its recording does fails too: without the recorded Q it goes on,
# and with the end moved on it stops too soon.
end=$(sed -n 's/^end //p' "$work/run.wdr")
grep -v "^k $end [0-9]* 47 0\$" "$work/run.wdr" >"$work/no-quit.wdr"
play "$game_dir/bunny-run" --replay "$work/no-quit.wdr" --fast
[ "$status" -eq 3 ] && grep -qF "the game went on past the end of the recording at frame $end" "$work/err" ||
  fail "a game that went on past its recording's end was not caught"
sed "s/^end $end\$/end $((end + 5))/" "$work/run.wdr" >"$work/late-end.wdr"
play "$game_dir/bunny-run" --replay "$work/late-end.wdr" --fast
[ "$status" -eq 3 ] && grep -qF "the game stopped at frame $end, the recording at frame $((end + 5))" "$work/err" ||
  fail "a game that stopped before its recording's end was not caught"

# Cut at random offsets after the header, a recording replays to its last whole frame.
header=$(head -n 2 "$work/run.wdr" | wc -c) size=$(wc -c <"$work/run.wdr")
for offset in $(shuf -i "$header-$((size - 1))" -n 5) "$header"; do
  head -c "$offset" "$work/run.wdr" >"$work/cut.wdr"
  frames=$(whole_frames "$work/cut.wdr")
  [ "$(tail -c 1 "$work/cut.wdr" | od -An -c | tr -d ' ')" = '\n' ] ||
    frames=$(head -n -1 "$work/cut.wdr" | grep -c '^f ')
  play "$game_dir/bunny-run" --replay "$work/cut.wdr" --fast
  matched "$frames" || fail "the recording cut at byte $offset did not replay its $frames whole frames"
done

# Broken files are refused with their line before the game starts (no log, no window); more cases in test_replay.
refused() {
  printf "$1" >"$work/bad.wdr"
  play "$game_dir/bunny-run" --replay "$work/bad.wdr" --fast
  [ "$status" -eq 2 ] && grep -qF "$work/bad.wdr:$2: $3" "$work/err" && [ ! -e "$last_log" ] ||
    fail "$(printf '%q' "$1") was not refused at line $2 with \"$3\""
}
refused '' 1 'empty file'
refused 'wendrel-recording 2\ngame Bunny Run\nend 0\n' 1 'format version 2'
refused 'wendrel-recording 1\ngame Cave\nend 0\n' 2 'a recording of "Cave"'
refused 'wendrel-recording 1\ngame Bunny Run\nf 3 0123456789abcdef\nf 2 0123456789abcdef\n' 4 'frame 2 out of order'
refused 'wendrel-recording 1\ngame Bunny Run\nend 5\nf 6 0123456789abcdef\n' 4 'a line after the end'
play "$game_dir/bunny-run" --replay "$work/missing.wdr"
[ "$status" -eq 2 ] && grep -qF "$work/missing.wdr: cannot open" "$work/err" || fail "a missing file was not refused"

# The cave's clicks: the sparks replay exactly, and a click moved elsewhere is caught.
record cave "$work/cave.wdr" || fail "recording the cave failed"
[ "$(grep -c '^m [0-9]* [0-9]* 1 0 ' "$work/cave.wdr")" -ge 4 ] || fail "fewer than 4 clicks recorded"
play "$cave_dir/cave" --replay "$work/cave.wdr" --fast
matched "$(grep -c '^f ' "$work/cave.wdr")" || fail "the cave's replay did not match"
click=$(awk '$1 == "m" && $4 == 1 { print $2; exit }' "$work/cave.wdr")
awk -v c="$click" '$1 == "m" && $2 == c { $6 += 200 } 1' "$work/cave.wdr" >"$work/moved.wdr"
play "$cave_dir/cave" --replay "$work/moved.wdr" --fast
grep -q "frame [0-9]* differs" "$work/err" && [ "$status" -eq 3 ] || fail "a moved click was not caught"

# The repository's recordings.
play "$game_dir/bunny-run" --replay "$source_dir/tests/recordings/bunny-run.wdr" --fast
matched "$(grep -c '^f ' "$source_dir/tests/recordings/bunny-run.wdr")" ||
  fail "tests/recordings/bunny-run.wdr no longer replays (regenerate it with tools/record-game.sh if the game changed on purpose)"
play "$cave_dir/cave" --replay "$source_dir/tests/recordings/cave.wdr" --fast
matched "$(grep -c '^f ' "$source_dir/tests/recordings/cave.wdr")" ||
  fail "tests/recordings/cave.wdr no longer replays (regenerate it with tools/record-game.sh if the cave changed on purpose)"

wd_check_leaks "$work" "$source_dir" || fail "the sanitizers report a fault (above)"
echo "recorded $(whole_frames "$work/run.wdr") frames; the higher jump differs at frame $differs (jump at $jump)"
cd / && rm -rf "$work"
