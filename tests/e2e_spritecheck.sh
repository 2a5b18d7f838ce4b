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
