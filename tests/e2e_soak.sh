#!/usr/bin/env bash
# CI's one-minute soak of the real game (tools/soak.sh runs the long one too):
# it fails on a crash, on any "Error!" line in the log, on a log that grows
# by more than 300 bytes a second and on resident memory that keeps growing.
set -uo pipefail
# ASan's quarantine (up to 256 MB) lets resident memory rise for long without a leak: only a fast leak fails.
if grep -q '^WD_SANITIZE:BOOL=ON' "${WD_BINARY_DIR:?}/CMakeCache.txt" 2>/dev/null; then
  export WD_SOAK_RSS_LIMIT_KB=${WD_SOAK_RSS_LIMIT_KB:-65536}
fi
exec bash "${WD_SOURCE_DIR:?}/tools/soak.sh" "${WD_SOAK_SECONDS:-60}" "$WD_BINARY_DIR"
