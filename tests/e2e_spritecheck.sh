#!/usr/bin/env bash
# The sprite checker on real files: verdicts, the loader's messages, the
# coloured frames of --show, exit codes, and a game's log left untouched.
set -euo pipefail
checker="${WD_BINARY_DIR:?}/tools/wendrel-spritecheck"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

printf '<HEADER>\nframes 2\nwidth 3\nheight 2\ncolor green\nslowdown 4\n</HEADER>\n<BODY>\n(o)\n/#\\\nend\n(o)\n\\#/\nend\n</BODY>\n<FOOTER>\nversion 1\n</FOOTER>\n' >good-spr.txt
sed 's/^\/#\\$/\/#\\ /' good-spr.txt >wide-spr.txt
echo "a game's log" >wendrel.log

"$checker" good-spr.txt >good.out || fail "a good sprite is refused"
grep -qxF 'good-spr.txt: OK: 2 frames, width 3, height 2, colour green, slowdown 4' good.out ||
  fail "no verdict for the good sprite: $(cat good.out)"
grep -qF "SRM::loadSprite(): Sprite 'good-spr.txt' loaded." good.out || fail "the loader's messages are missing"

set +e
"$checker" good-spr.txt wide-spr.txt missing-spr.txt >mixed.out
status=$?
set -e
[ "$status" -eq 1 ] || fail "exit status $status for failing files"
grep -qxF 'wide-spr.txt: FAILED: Error! Line 10: Line length is 4 (frame width is 3).' mixed.out ||
  fail "no reason for the wide row: $(cat mixed.out)"
grep -qF "missing-spr.txt: FAILED: SRM::loadSprite(): Error! Cannot open file 'missing-spr.txt'." mixed.out ||
  fail "no reason for the missing file"
grep -qxF '1 of 3 sprite files load' mixed.out || fail "no summary"

"$checker" --show good-spr.txt >show.out
grep -qF $'|\e[32m\\#/\e[0m|' show.out || fail "--show does not draw the second frame in green: $(cat show.out)"

set +e
"$checker" >/dev/null 2>&1
status=$?
set -e
[ "$status" -eq 2 ] || fail "exit status $status without files"

[ "$(cat wendrel.log)" = "a game's log" ] || fail "the checker overwrote wendrel.log"
echo "spritecheck ok"
