#!/usr/bin/env bash
# The sprite checker on a good and a bad file: verdicts, loader messages, --show colours, exit codes.
set -uo pipefail
check="${WD_BINARY_DIR:?}/tools/wendrel-spritecheck"
cd "$(mktemp -d)" && trap 'rm -rf "$PWD"' EXIT
printf '<HEADER>\nframes 2\nwidth 3\nheight 2\ncolor green\nslowdown 4\n</HEADER>\n<BODY>\n(o)\n/#\\\nend\n(o)\n\\#/\nend\n</BODY>\n<FOOTER>\nversion 1\n</FOOTER>\n' >good-spr.txt
sed 's/^\/#\\$/\/#\\ /' good-spr.txt >wide-spr.txt
out=$("$check" --show good-spr.txt) && grep -qxF 'good-spr.txt: OK: 2 frames, width 3, height 2, colour green, slowdown 4' <<<"$out" &&
  grep -qF "SRM::loadSprite(): Sprite 'good-spr.txt' loaded." <<<"$out" && grep -qF $'|\e[32m\\#/\e[0m|' <<<"$out" || { echo "FAIL good: $out"; exit 1; }
out=$("$check" wide-spr.txt); status=$?
[ $status -eq 1 ] && grep -qxF 'wide-spr.txt: FAILED: Error! Line 10: Line length is 4 (frame width is 3).' <<<"$out" || { echo "FAIL bad ($status): $out"; exit 1; }
"$check" >/dev/null 2>&1; [ $? -eq 2 ] || { echo "FAIL: exit status without files"; exit 1; }
# A REXPaint picture written by libtcod: checked, drawn in 24-bit colour, written out as a file of cells that loads.
xp="$WD_BINARY_DIR/xp-fixtures/layers.xp"
out=$("$check" --show --text cells-spr.txt "$xp") && grep -qxF "$xp: OK: 1 frame, width 7, height 4, colour white, slowdown 0, colours per cell" <<<"$out" &&
  grep -qF $'|\e[38;2;250;240;230m\e[48;2;10;20;30m╔\e[38;2;30;0;200m\e[48;2;1;2;0m█' <<<"$out" &&
  grep -qxF 'cells-spr.txt: written as a file of cells' <<<"$out" || { echo "FAIL xp: $out"; exit 1; }
out=$("$check" --show cells-spr.txt) && grep -qxF 'cells-spr.txt: OK: 1 frame, width 7, height 4, colour white, slowdown 0, colours per cell' <<<"$out" &&
  grep -qF $'\e[48;2;0;0;0m \e[0m|' <<<"$out" && grep -qxF 'format rich' cells-spr.txt || { echo "FAIL written cells: $out"; exit 1; }
"$check" --text out-spr.txt good-spr.txt wide-spr.txt >/dev/null 2>&1; [ $? -eq 2 ] || { echo "FAIL: --text with two files"; exit 1; }
