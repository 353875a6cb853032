#!/usr/bin/env bash
# Configures and builds everything into build/ (or the folder in TERMINAL_BUILD_DIR).
# Extra arguments go to CMake, e.g. -DCMAKE_BUILD_TYPE=Debug.
set -euo pipefail

RAIZ="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${TERMINAL_BUILD_DIR:-$RAIZ/build}"
JOBS="${TERMINAL_JOBS:-2}"
# Let ccache share results between checkouts in different folders (worktrees, CI clones).
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$RAIZ}" CCACHE_NOHASHDIR="${CCACHE_NOHASHDIR:-1}"

cmake -S "$RAIZ" -B "$BUILD" -G Ninja "$@"
ninja -C "$BUILD" -j"$JOBS"
