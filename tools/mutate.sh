#!/usr/bin/env bash
# Proves what the suites catch: plants each small fault of tools/mutants.txt, one at a time, in a scratch
# copy of the working tree, rebuilds incrementally and runs the suites (the soak excepted) until one fails.
#
#   tools/mutate.sh            every mutant
#   tools/mutate.sh ID...      only these mutants
#   tools/mutate.sh --check    only checks that every mutant's text is found exactly once (no build)
#   tools/mutate.sh --list     prints the ids and descriptions
#
# Catalogue lines (tab-separated): id, file, original text, replacement text, description. "{NL}" in a text
# stands for a line break; a description that starts with "equivalent:" marks a mutant that no test can
# catch, counted apart. The scratch copy lives in $WD_MUTATE_DIR (default /tmp/wendrel-mutate) and is kept,
# so that later runs rebuild only what changed. Last line: "mutants: K killed, S survived".
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
catalogue=${WD_MUTANTS:-$top/tools/mutants.txt}
scratch=${WD_MUTATE_DIR:-/tmp/wendrel-mutate}

ids=() files=() originals=() replacements=() descriptions=()
while IFS= read -r line; do
  [[ -z "$line" || "$line" == \#* ]] && continue
  # A tab is a blank to read, so empty fields would merge: split on a character that is not one.
  IFS=$'\x1f' read -r id file original replacement description <<<"${line//$'\t'/$'\x1f'}"
  ids+=("$id") files+=("$file") originals+=("$original") replacements+=("$replacement")
  descriptions+=("$description")
done <"$catalogue"

# Replaces the original text of mutant $1 in the tree at $2; with $3 = count, only counts its occurrences.
# Prints the count; fails unless it is exactly one.
substitute() {
  ORIGINAL=${originals[$1]} REPLACEMENT=${replacements[$1]} MODE=${3:-apply} perl -0777 -e '
    my ($path) = @ARGV;
    (my $from = $ENV{ORIGINAL}) =~ s/\{NL\}/\n/g;
    (my $to = $ENV{REPLACEMENT}) =~ s/\{NL\}/\n/g;
    open(my $in, "<", $path) or do { print "0\n"; exit 1 };
    my $text = do { local $/; <$in> };
    close $in;
    my $count = () = $text =~ /\Q$from\E/g;
    print "$count\n";
    exit 1 if $count != 1 || $from eq $to;
    exit 0 if $ENV{MODE} eq "count";
    $text =~ s/\Q$from\E/$to/;
    open(my $out, ">", $path) or exit 1;
    print $out $text;
  ' "$2/${files[$1]}"
}

if [ "${1:-}" = "--check" ]; then
  bad=0
  for i in "${!ids[@]}"; do
    [ -n "${descriptions[$i]}" ] || { echo "${ids[$i]}: fewer than five fields"; bad=1; }
    count=$(substitute "$i" "$top" count) ||
      { echo "${ids[$i]}: original text found $count times in ${files[$i]} (once expected)"; bad=1; }
  done
  [ $bad -eq 0 ] && echo "mutants: ${#ids[@]} apply"
  exit $bad
fi
if [ "${1:-}" = "--list" ]; then
  for i in "${!ids[@]}"; do printf '%-12s %s\n' "${ids[$i]}" "${descriptions[$i]}"; done
  exit 0
fi

# One X server for the whole run.
if ! { [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; }; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "$0" "$@"
fi

chosen=()
if [ $# -eq 0 ]; then
  chosen=("${!ids[@]}")
else
  for wanted in "$@"; do
    found=
    for i in "${!ids[@]}"; do [ "${ids[$i]}" = "$wanted" ] && found=$i; done
    [ -n "$found" ] || { echo "no mutant '$wanted'" >&2; exit 2; }
    chosen+=("$found")
  done
fi

# Brings the scratch copy in line with the working tree; only files whose content differs are written,
# so that the build there stays incremental.
sync_scratch() {
  mkdir -p "$scratch/src"
  local listed
  listed=$(cd "$top" && git ls-files -co --exclude-standard | sort) || return 1
  while IFS= read -r path; do
    [ -f "$top/$path" ] || continue
    if ! cmp -s "$top/$path" "$scratch/src/$path"; then
      mkdir -p "$(dirname "$scratch/src/$path")" && cp "$top/$path" "$scratch/src/$path" || return 1
    fi
  done <<<"$listed"
  # Files gone from the tree must not stay behind for the build's globs.
  (cd "$scratch/src" && find . -type f ! -path './build/*' | sed 's|^\./||' | sort) |
    comm -23 - <(echo "$listed") | (cd "$scratch/src" && xargs -r -d '\n' rm -f)
}

build=$scratch/src/build
log=$scratch/last.log

build_targets() {
  cmake --build "$build" -j "${WD_MUTATE_JOBS:-2}" ${1:+--target "$@"} >>"$log" 2>&1
}

# The targets a test needs: its own executable, the program a script drives, or everything.
targets_of() {
  case "$1" in
    test_*) echo "$1" ;;
    e2e_game | e2e_no_display | e2e_no_sound) echo bunny-run ;;
    e2e_spritecheck) echo wendrel-spritecheck ;;
    e2e_replay) echo bunny-run bunny-run-high-jump cave ;;
    *) echo all ;;
  esac
}

declare -A limit
# Runs one test within its time limit; fails when the test fails.
run_test() {
  (cd "$build" && timeout -k 5 "${limit[$1]:-300}" ctest -R "^$1\$" --output-on-failure >>"$log" 2>&1)
}

start=$SECONDS
echo "Scratch copy: $scratch/src"
sync_scratch || { echo "cannot copy the working tree to $scratch" >&2; exit 2; }
: >"$log"
cmake -S "$scratch/src" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DWD_BENCH=OFF >>"$log" 2>&1 &&
  build_targets || { echo "the unchanged tree does not build (see $log)" >&2; exit 2; }

# The unchanged tree must pass; its timings order the tests, quickest first.
tests=()
declare -A seconds
while read -r name; do
  [[ -z "$name" || "$name" == *soak* ]] && continue
  began=$(date +%s.%N)
  run_test "$name" || run_test "$name" || { echo "$name fails on the unchanged tree (see $log)" >&2; exit 2; }
  seconds[$name]=$(awk -v a="$began" -v b="$(date +%s.%N)" 'BEGIN { printf "%.2f", b - a }')
  limit[$name]=$(awk -v s="${seconds[$name]}" 'BEGIN { printf "%d", s * 4 + 30 }')
  tests+=("$name")
done < <(cd "$build" && ctest -N | sed -n 's/^ *Test *#[0-9]*: //p')
mapfile -t tests < <(for t in "${tests[@]}"; do echo "${seconds[$t]} $t"; done | sort -n | cut -d' ' -f2)
echo "Baseline passes ($((SECONDS - start)) s): ${tests[*]}"

# Suites that name the mutated class run first: they are the likeliest to catch it.
ordered_tests() {
  local stem first=() rest=()
  stem=$(basename "$1" | sed 's/\.[^.]*$//')
  for t in "${tests[@]}"; do
    if grep -qsw "$stem" "$scratch/src/tests/$t.cpp" "$scratch/src/tests/$t.sh"; then
      first+=("$t")
    else
      rest+=("$t")
    fi
  done
  echo "${first[@]}" "${rest[@]}"
}

killed=0 survived=0 equivalent=0 broken=0 survivors=()
for i in "${chosen[@]}"; do
  id=${ids[$i]} file=${files[$i]} began=$SECONDS
  if [[ "${descriptions[$i]}" == equivalent:* ]]; then
    echo "$id: equivalent, not run (${descriptions[$i]#equivalent: })"
    equivalent=$((equivalent + 1))
    continue
  fi
  cp "$scratch/src/$file" "$scratch/original"
  substitute "$i" "$scratch/src" >/dev/null || { echo "$id: text not found in $file"; broken=$((broken + 1)); continue; }
  verdict= rule=
  if [[ "$file" == *CMakeLists.txt || "$file" == *.cmake* || "$file" == *.pc* ]]; then
    rule=1
    cmake "$build" >>"$log" 2>&1 || verdict="killed by the configuration"
  fi
  if [ -z "$verdict" ]; then
    for t in $(ordered_tests "$file"); do
      # shellcheck disable=SC2046  # one word per target
      # Mutants change no test: a failed build is the mutant's fault, or a catch when it is a build rule.
      if ! build_targets $(targets_of "$t"); then
        [ -n "$rule" ] && verdict="killed by the build" || verdict=broken
        break
      fi
      # A second failure confirms the catch: a loaded machine can fail a timing-bound test once.
      if ! run_test "$t" && ! run_test "$t"; then
        verdict="killed by $t"
        break
      fi
    done
  fi
  # Written anew, so that its next build sees it as changed.
  cp "$scratch/original" "$scratch/src/$file"
  case "$verdict" in
    broken) echo "$id: BROKEN, does not build ($file)"; broken=$((broken + 1)) ;;
    killed*) echo "$id: $verdict ($((SECONDS - began)) s)"; killed=$((killed + 1)) ;;
    *) echo "$id: SURVIVED ($((SECONDS - began)) s): ${descriptions[$i]}"; survived=$((survived + 1))
       survivors+=("$id") ;;
  esac
done

echo "Run time: $((SECONDS - start)) s; equivalent: $equivalent; not building: $broken;" \
  "survivors: ${survivors[*]:-none}"
echo "mutants: $killed killed, $survived survived"
