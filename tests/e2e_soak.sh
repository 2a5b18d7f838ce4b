#!/usr/bin/env bash
# CI's one-minute soak of the real game (tools/soak.sh runs the long one too): it fails on a crash, on
# an "Error!" line in the log, on a log growing by over 300 bytes a second or on memory that keeps growing.
set -uo pipefail
# ASan's quarantine (up to 256 MB) lets resident memory rise for long without a leak: only a fast leak fails.
grep -q '^WD_SANITIZE:BOOL=ON' "${WD_BINARY_DIR:?}/CMakeCache.txt" 2>/dev/null &&
  export WD_SOAK_RSS_LIMIT_KB=${WD_SOAK_RSS_LIMIT_KB:-65536}
exec bash "${WD_SOURCE_DIR:?}/tools/soak.sh" "${WD_SOAK_SECONDS:-60}" "$WD_BINARY_DIR"
