# shellcheck shell=bash disable=SC2034  # sets variables for its callers
# Helpers for runs of the real game, sourced by tests/e2e_*.sh and tools/soak.sh; each fails through its exit status.
WD_CELL_WIDTH=10.24  # a 100 x 50 grid in a 1024 x 900 window
WD_CELL_HEIGHT=18

# A private server keeps the keys away from any desktop and the whole window on screen (off-screen parts
# read back black). Exports DISPLAY, sets WD_XVFB_PID. $1: a folder for the server's files.
wd_start_xvfb() {
  local file="$1/xvfb.display" tries=0
  : >"$file"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$file" >"$1/xvfb.log" 2>&1 &
  WD_XVFB_PID=$!
  until [ -s "$file" ]; do
    { kill -0 "$WD_XVFB_PID" 2>/dev/null && [ $((tries++)) -lt 100 ]; } ||
      { echo "Xvfb did not start: $(tail -c 500 "$1/xvfb.log")" >&2; return 1; }
    sleep 0.1
  done
  DISPLAY=":$(tr -d '[:space:]' <"$file")" && export DISPLAY
  unset XAUTHORITY
}
wd_stop_xvfb() {
  [ -z "${WD_XVFB_PID:-}" ] || { kill "$WD_XVFB_PID"; wait "$WD_XVFB_PID"; } 2>/dev/null
  WD_XVFB_PID=
}
# Fills run folder $2 from the build's game folder $1 and records OpenAL's output in $2/audio.wav.
wd_prepare_run_folder() {
  cp -r "$1/wd-font.ttf" "$1/sprites" "$1/sounds" "$2/" || return 1
  printf '[general]\ndrivers=wave\n[wave]\nfile=%s/audio.wav\n' "$2" >"$2/alsoft.conf"
  export ALSOFT_CONF="$2/alsoft.conf"
  unset ALSOFT_DRIVERS
}
# Prints the game window's id once it is mapped, moved into view and focused: a bare server has no window
# manager to do either, and --sync waits for ever when nothing needs to change, hence the plain retries.
wd_find_window() {
  local wid
  wid=$(timeout 20 xdotool search --sync --onlyvisible --name '^Wendrel$' 2>/dev/null | head -n 1)
  [ -n "$wid" ] &&
    { timeout 5 xdotool windowmove --sync "$wid" 0 0 || timeout 5 xdotool windowmove "$wid" 0 0; } >/dev/null 2>&1 &&
    { timeout 5 xdotool windowfocus --sync "$wid" || timeout 5 xdotool windowfocus "$wid"; } >/dev/null 2>&1 &&
    echo "$wid"
}
# One stroke of X key $1 to the focused window.
wd_key() { timeout 5 xdotool keydown "$1" && sleep 0.1 && timeout 5 xdotool keyup "$1"; }
# Reads window $1 back from the X server into PNG $2, optionally only the area $3 (WxH+X+Y).
wd_shot() { import -window "$1" ${3:+-crop "$3" +repage} "$2" 2>/dev/null; }
# Prints how many pixels of image $1 (optionally within area $3) are of class $2: one of the game's
# colours yellow, white, cyan, green, red at or near full brightness, or lit (clearly not black).
wd_count() {
  convert "$1" ${3:+-crop "$3" +repage} -depth 8 rgb:- | od -An -v -tu1 -w3 | awk -v c="$2" '
    c == "yellow" && $1 >= 150 && $2 >= 150 && $3 < 100 { n++ }
    c == "white" && $1 >= 180 && $2 >= 180 && $3 >= 180 { n++ }
    c == "cyan" && $1 < 100 && $2 >= 150 && $3 >= 150 { n++ }
    c == "green" && $1 < 100 && $2 >= 150 && $3 < 100 { n++ }
    c == "red" && $1 >= 150 && $2 < 100 && $3 < 100 { n++ }
    c == "lit" && $1 + $2 + $3 >= 90 { n++ }
    END { print n + 0 }'
}
# Prints the pixel area WxH+X+Y of grid columns [$1, $2) and rows [$3, $4).
wd_cells() {
  awk -v c0="$1" -v c1="$2" -v r0="$3" -v r1="$4" -v cw="$WD_CELL_WIDTH" -v ch="$WD_CELL_HEIGHT" 'BEGIN {
    x = int(c0 * cw); y = int(r0 * ch); printf "%dx%d+%d+%d\n", int(c1 * cw) - x, int(r1 * ch) - y, x, y }'
}
# Waits up to $2 s for background job $1 of this very shell (no subshell) and leaves its exit code in
# WD_EXIT_STATUS; fails while it still runs.
wd_wait_exit() {
  local tenths=$(($2 * 10))
  while kill -0 "$1" 2>/dev/null; do
    [ $((tenths--)) -gt 0 ] || return 1
    sleep 0.1
  done
  WD_EXIT_STATUS=0
  wait "$1" || WD_EXIT_STATUS=$?
}
wd_sanitized_build() { grep -q '^WD_SANITIZE:BOOL=ON' "$1/CMakeCache.txt" 2>/dev/null; }
# The GL driver is unloaded before LeakSanitizer reports, so its leaks escape the suppression list:
# reports go to files in $1 instead of failing the game, and wd_check_leaks sorts them.
wd_collect_leaks() { export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}exitcode=0:log_path=$1/sanitizer"; }
# Fails, printing them, when the sanitizer reports in $1 name the source tree $2 or hold an ASan error.
wd_check_leaks() {
  local reports=("$1"/sanitizer.*)
  [ -e "${reports[0]}" ] || return 0
  if grep -qF -e "$2/" -e 'ERROR: AddressSanitizer' "${reports[@]}"; then
    cat "${reports[@]}"
    return 1
  fi
  echo "note: $(cat "${reports[@]}" | grep -c 'leak of') leak reports from libraries outside the source tree only (tolerated)"
}
# Prints the RMS amplitude (0 to 1) of wave file $1.
wd_audio_rms() { sox "$1" -n stat 2>&1 | awk -F: '/^RMS[ \t]+amplitude/ { gsub(/ /, "", $2); print $2 }'; }
# Prints the last $2 (1500) bytes of log $1, whose messages need not end in a newline.
wd_log_tail() {
  [ -f "$1" ] && tail -c "${2:-1500}" "$1" | tr -c '[:print:]\n\t' '?'
  echo
}
