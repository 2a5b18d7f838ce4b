# shellcheck shell=bash
# Shell helpers for the runs of the real game: a private X server, a fresh run
# folder with the assets and a recording audio backend, the game's window, and
# pixel counts read back from the X server. Sourced by tests/e2e_*.sh and
# tools/soak.sh; every function reports failure through its exit status.

# The game draws a 100 x 50 grid into a 1024 x 900 window.
WD_CELL_WIDTH=10.24
WD_CELL_HEIGHT=18

# Starts Xvfb on a free display number and points DISPLAY at it. A private
# server keeps the test's keys away from a desktop and lets the whole window
# lie on screen (off-screen parts of a window read back black).
# Sets WD_XVFB_PID. $1: a folder for the server's files.
wd_start_xvfb() {
  local dir=$1
  local number_file="$dir/xvfb.display"
  : >"$number_file"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$number_file" >"$dir/xvfb.log" 2>&1 &
  WD_XVFB_PID=$!
  local tries=0
  while [ ! -s "$number_file" ]; do
    if ! kill -0 "$WD_XVFB_PID" 2>/dev/null || [ "$tries" -ge 100 ]; then
      echo "Xvfb did not start: $(tail -c 500 "$dir/xvfb.log")" >&2
      return 1
    fi
    sleep 0.1
    tries=$((tries + 1))
  done
  DISPLAY=":$(tr -d '[:space:]' <"$number_file")"
  export DISPLAY
  unset XAUTHORITY
}

wd_stop_xvfb() {
  if [ -n "${WD_XVFB_PID:-}" ]; then
    kill "$WD_XVFB_PID" 2>/dev/null || true
    wait "$WD_XVFB_PID" 2>/dev/null || true
    WD_XVFB_PID=
  fi
}

# Fills a run folder the way the game expects it (font, sprites/, sounds/) and
# sends OpenAL Soft's output to <dir>/audio.wav through its wave backend.
# Exports ALSOFT_CONF. $1: the build tree's game folder, $2: the run folder.
wd_prepare_run_folder() {
  local game_dir=$1 dir=$2
  cp "$game_dir/wd-font.ttf" "$dir/" || return 1
  cp -r "$game_dir/sprites" "$dir/" || return 1
  if [ -d "$game_dir/sounds" ]; then
    cp -r "$game_dir/sounds" "$dir/" || return 1
  fi
  printf '[general]\ndrivers=wave\n[wave]\nfile=%s/audio.wav\n' "$dir" >"$dir/alsoft.conf"
  export ALSOFT_CONF="$dir/alsoft.conf"
  unset ALSOFT_DRIVERS
}

# Prints the id of the game's window once it is mapped, moved to the screen's
# corner so that all of it can be read back, and given the keyboard focus
# (a bare X server has no window manager to do either).
wd_find_window() {
  local wid
  wid=$(timeout 20 xdotool search --sync --onlyvisible --name '^Wendrel$' 2>/dev/null | head -n 1)
  [ -n "$wid" ] || return 1
  timeout 5 xdotool windowmove --sync "$wid" 0 0 >/dev/null 2>&1 ||
    timeout 5 xdotool windowmove "$wid" 0 0 >/dev/null 2>&1 || return 1
  timeout 5 xdotool windowfocus --sync "$wid" >/dev/null 2>&1 ||
    timeout 5 xdotool windowfocus "$wid" >/dev/null 2>&1 || return 1
  echo "$wid"
}

# Sends one key stroke to the window that has the focus. $1: an X key name.
wd_key() {
  timeout 5 xdotool keydown "$1" && sleep 0.1 && timeout 5 xdotool keyup "$1"
}

# Reads the window's pixels back from the X server into a PNG.
# $1: window id, $2: output file, $3 (optional): WxH+X+Y in window pixels.
wd_shot() {
  if [ -n "${3:-}" ]; then
    import -window "$1" -crop "$3" +repage "$2" 2>/dev/null
  else
    import -window "$1" "$2" 2>/dev/null
  fi
}

# Prints how many pixels of an image are of one colour class: yellow, white,
# cyan, green, red (the game's colours, full brightness or close to it) or
# lit (anything clearly not black). $1: image, $2: class, $3 (optional):
# WxH+X+Y to count within.
wd_count() {
  local image=$1 class=$2 geometry=${3:-}
  local crop=()
  [ -n "$geometry" ] && crop=(-crop "$geometry" +repage)
  convert "$image" "${crop[@]}" -depth 8 rgb:- | od -An -v -tu1 -w3 | awk -v class="$class" '
    { r = $1; g = $2; b = $3 }
    class == "yellow" && r >= 150 && g >= 150 && b < 100 { n++ }
    class == "white" && r >= 180 && g >= 180 && b >= 180 { n++ }
    class == "cyan" && r < 100 && g >= 150 && b >= 150 { n++ }
    class == "green" && r < 100 && g >= 150 && b < 100 { n++ }
    class == "red" && r >= 150 && g < 100 && b < 100 { n++ }
    class == "lit" && r + g + b >= 90 { n++ }
    END { print n + 0 }'
}

# Prints the pixel rectangle WxH+X+Y of grid columns [$1, $2) and rows [$3, $4).
wd_cells() {
  awk -v c0="$1" -v c1="$2" -v r0="$3" -v r1="$4" -v cw="$WD_CELL_WIDTH" -v ch="$WD_CELL_HEIGHT" \
    'BEGIN { x = int(c0 * cw); y = int(r0 * ch);
             printf "%dx%d+%d+%d\n", int(c1 * cw) - x, int(r1 * ch) - y, x, y }'
}

# Waits for a background process of the calling shell to end and leaves its
# exit code in WD_EXIT_STATUS (so it must not run in a subshell); fails when
# the process still runs after $2 seconds.
wd_wait_exit() {
  local pid=$1 limit=$2 waited=0
  while kill -0 "$pid" 2>/dev/null; do
    if [ "$waited" -ge $((limit * 10)) ]; then
      return 1
    fi
    sleep 0.1
    waited=$((waited + 1))
  done
  local status=0
  wait "$pid" || status=$?
  # shellcheck disable=SC2034  # read by the caller
  WD_EXIT_STATUS=$status
}

# True when the build tree was configured with the sanitizers.
wd_sanitized_build() {
  grep -q '^WD_SANITIZE:BOOL=ON' "$1/CMakeCache.txt" 2>/dev/null
}

# For a sanitized game: leak reports go to files in $1 instead of ending the
# program with an error code, so that wd_check_leaks can tell the game's own
# leaks from those of the GL driver, which is unloaded before the report and
# so cannot be matched by the suppression list.
wd_collect_leaks() {
  export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}exitcode=0:log_path=$1/sanitizer"
}

# Fails, printing the reports, when a sanitizer report from $1 has a frame
# in the source tree $2; prints a note about the other leak reports.
wd_check_leaks() {
  local dir=$1 source_dir=$2 reports=("$1"/sanitizer.*)
  [ -e "${reports[0]}" ] || return 0
  if grep -qF "$source_dir/" "${reports[@]}" || grep -q 'ERROR: AddressSanitizer' "${reports[@]}"; then
    cat "${reports[@]}"
    return 1
  fi
  echo "note: $(grep -c 'leak of' "${reports[@]}" | awk -F: '{ n += $NF } END { print n }') leak" \
    "reports from libraries outside the source tree only (tolerated)"
}

# Prints the RMS amplitude (0 to 1) of a recorded wave file.
wd_audio_rms() {
  sox "$1" -n stat 2>&1 | awk -F: '/^RMS[ \t]+amplitude/ { gsub(/ /, "", $2); print $2 }'
}

# Prints the last bytes of a log whose messages need not end in a newline.
wd_log_tail() {
  [ -f "$1" ] && tail -c "${2:-1500}" "$1" | tr -c '[:print:]\n\t' '?'
  echo
}
