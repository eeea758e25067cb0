#!/usr/bin/env bash
# Peak memory of the program with a library of 100,000 jokes open and its list
# painted, against an empty Qt Widgets window.
#
#   bench/memory.sh [BUILD_DIR]
#
# BUILD_DIR (default build-bench) must be configured with -DCHICHOTEK_BENCH=ON.
# The program folder is written once to $CHICHOTEK_BENCH_FOLDER (default
# /tmp/chichotek-bench-100k).
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${1:-$ROOT/build-bench}
BIN=$BUILD/bench
FOLDER=${CHICHOTEK_BENCH_FOLDER:-/tmp/chichotek-bench-100k}
JOKES=100000

for exe in bench_make_folder bench_memory bench_startup_empty; do
  [ -x "$BIN/$exe" ] || { echo "$BIN/$exe missing: build with -DCHICHOTEK_BENCH=ON" >&2; exit 1; }
done
if [ ! -f "$FOLDER/DataBase/seznam.dat" ]; then
  echo "Writing $FOLDER (1 library of $JOKES jokes)..."
  "$BIN/bench_make_folder" "$FOLDER" 1 "$JOKES"
fi
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  XDG_RUNTIME_DIR=$(mktemp -d)
  export XDG_RUNTIME_DIR
  trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
fi

"$BIN/bench_memory" "$FOLDER"
empty=$(/usr/bin/time -f %M "$BIN/bench_startup_empty" 2>&1 >/dev/null | tail -1)
awk -v kb="$empty" 'BEGIN { printf "%-28s peak resident %7d KiB = %6.1f MiB\n", "empty window:", kb, kb / 1024 }'
