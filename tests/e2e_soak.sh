#!/usr/bin/env bash
# A one-minute soak of the real game with random P and SPACE presses (see
# tools/soak.sh, which also runs the long one): no crash, exit code 0 after Q,
# and no clear growth of resident memory over the second half of the run.
set -uo pipefail
source_dir=${WD_SOURCE_DIR:?}
binary_dir=${WD_BINARY_DIR:?}
# AddressSanitizer holds freed memory back in its quarantine (up to 256 MB),
# so under it resident memory keeps rising for a long while without a leak;
# a sanitized build gets a limit that only a fast leak exceeds.
if grep -q '^WD_SANITIZE:BOOL=ON' "$binary_dir/CMakeCache.txt" 2>/dev/null; then
  export WD_SOAK_RSS_LIMIT_KB=${WD_SOAK_RSS_LIMIT_KB:-65536}
fi
exec bash "$source_dir/tools/soak.sh" "${WD_SOAK_SECONDS:-60}" "$binary_dir"
