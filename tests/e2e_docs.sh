#!/usr/bin/env bash
# Every code block of docs/guide.md marked "<!-- quoted from FILE -->" must still stand verbatim in
# FILE, so that the guide follows the example it quotes.
set -uo pipefail
source_dir=${WD_SOURCE_DIR:?}
blocks=0 failures=0 file="" block="" in_block=0
while IFS= read -r line || [ -n "$line" ]; do
  if [ $in_block -eq 0 ]; then
    [[ $line =~ ^'<!-- quoted from '(.+)' -->'$ ]] && file=${BASH_REMATCH[1]}
    [ -n "$file" ] && [[ $line == '```'* ]] && in_block=1 block=""
  elif [ "$line" != '```' ]; then
    block+=${block:+$'\n'}$line
  else
    in_block=0 blocks=$((blocks + 1))
    if [[ "$(cat "$source_dir/$file")" != *"$block"* ]]; then
      echo "FAIL: a block quoted from $file no longer matches it:"
      printf '%s\n' "$block"
      failures=$((failures + 1))
    fi
    file=""
  fi
done <"$source_dir/docs/guide.md"
echo "$blocks quoted blocks checked"
[ $blocks -gt 0 ] && [ $failures -eq 0 ]
