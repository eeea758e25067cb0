#!/usr/bin/env bash
# What following the disk costs the user: the start-up with 1,000 libraries
# (process start to the first painted window) and the opening of a
# 10,000-joke library (the name chosen to the list painted), the program as it
# is against the same program started with CHICHOTEK_NO_WATCH=1, which makes
# no watcher. The two take turns run by run, under Xvfb on the X11 platform;
# medians and their ratio are printed (target: at most 1.05).
#
#   bench/watcher_cost.sh [--runs N] [--before BUILD_DIR] [BUILD_DIR]
#
# BUILD_DIR (default build-bench) must be configured with -DCHICHOTEK_BENCH=ON.
# --before BUILD_DIR measures another build as well, in the same run (the
# program before a change, built from another checkout), as a third column.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
RUNS=15
BUILD=$ROOT/build-bench
BEFORE=
while [ $# -gt 0 ]; do
  case $1 in
    --runs) RUNS=$2; shift 2 ;;
    --before) BEFORE=$2; shift 2 ;;
    --inner) INNER=1; shift ;;
    -*) echo "unknown option $1" >&2; exit 2 ;;
    *) BUILD=$1; shift ;;
  esac
done
FOLDER=${CHICHOTEK_BENCH_FOLDER:-/tmp/chichotek-bench-1000}

for exe in bench_make_folder bench_startup_main bench_open_library; do
  [ -x "$BUILD/bench/$exe" ] || { echo "$BUILD/bench/$exe missing: build with -DCHICHOTEK_BENCH=ON" >&2; exit 1; }
done

# The variants measured: label, build, whether the watcher is off.
LABELS=("watching" "not watching")
BUILDS=("$BUILD" "$BUILD")
NOWATCH=("" "1")
if [ -n "$BEFORE" ]; then
  LABELS+=("before the change")
  BUILDS+=("$BEFORE")
  NOWATCH+=("")
fi
N=${#LABELS[@]}

median() {
  sort -n | awk '{ v[NR] = $1 } END { printf "%.2f\n", NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

startup_ms() {
  local start=$EPOCHREALTIME
  CHICHOTEK_NO_WATCH=${NOWATCH[$1]} "${BUILDS[$1]}/bench/bench_startup_main" "$FOLDER" >/dev/null 2>&1
  local end=$EPOCHREALTIME
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f\n", (b - a) * 1000 }'
}

# The mean time of one opening, painted, over the iterations of one process.
open_ms() {
  CHICHOTEK_NO_WATCH=${NOWATCH[$1]} "${BUILDS[$1]}/bench/bench_open_library" \
    --benchmark_filter='BM_OpenLibraryPainted/10000$' --benchmark_format=csv 2>/dev/null |
    awk -F, '/BM_OpenLibraryPainted/ { print $3 }'
}

measure() {
  local what=$1 i c k
  local -a times=()
  for ((c = 0; c < N; c++)); do "${what}_ms" $c >/dev/null; done
  for ((i = 0; i < RUNS; i++)); do
    for ((c = 0; c < N; c++)); do
      k=$(((c + i) % N))
      times[k]+="$("${what}_ms" $k) "
    done
  done
  local -a m=()
  for ((c = 0; c < N; c++)); do
    m[c]=$(printf '%s\n' ${times[c]} | median)
    printf '  %-20s median %8.2f ms\n' "${LABELS[c]}:" "${m[c]}"
  done
  awk -v a="${m[0]}" -v b="${m[1]}" 'BEGIN { printf "  watching / not watching %.3f (target 1.05: %s)\n", a / b, a / b <= 1.05 ? "met" : "missed" }'
  if [ -n "$BEFORE" ]; then
    awk -v a="${m[0]}" -v b="${m[2]}" 'BEGIN { printf "  now / before the change %.3f\n", a / b }'
  fi
}

if [ -n "${INNER:-}" ]; then
  export QT_QPA_PLATFORM=xcb
  echo "Start-up, 1,000 libraries, process start to exit after the first paint ($RUNS runs each):"
  measure startup
  echo "Opening a 10,000-joke library, name chosen to list painted ($RUNS processes each):"
  measure open
  exit
fi

if [ ! -f "$FOLDER/DataBase/seznam.dat" ]; then
  echo "Writing $FOLDER (1000 libraries of 20 jokes)..."
  "$BUILD/bench/bench_make_folder" "$FOLDER" 1000 20
fi
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  XDG_RUNTIME_DIR=$(mktemp -d)
  export XDG_RUNTIME_DIR
  trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
fi
# One X server for every run, so that its start is not measured.
args=(--inner --runs "$RUNS")
[ -n "$BEFORE" ] && args+=(--before "$BEFORE")
CHICHOTEK_BENCH_FOLDER=$FOLDER xvfb-run -a -s "-screen 0 1024x768x24" "$0" "${args[@]}" "$BUILD"
