#!/usr/bin/env bash
# Start-up time: the program with 1,000 libraries in its list against an empty
# Qt Widgets window, both from process start to the first painted window (and
# the exit right after). A third process, an empty window with a menu bar and
# a line of text, shows what Qt itself costs for any such window.
#
#   bench/startup.sh [--runs N] [--xcb] [BUILD_DIR]
#
# BUILD_DIR (default build-bench) must be configured with -DCHICHOTEK_BENCH=ON.
# The program folder is written once to $CHICHOTEK_BENCH_FOLDER (default
# /tmp/chichotek-bench-1000). Each executable runs N times (default 20),
# alternating, after two warm-up runs each; the medians and their ratio are
# printed. --xcb also measures under xvfb-run on the xcb platform.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
RUNS=20
XCB=0
BUILD=$ROOT/build-bench
while [ $# -gt 0 ]; do
  case $1 in
    --runs) RUNS=$2; shift 2 ;;
    --xcb) XCB=1; shift ;;
    --inner) INNER=1; shift ;;
    -*) echo "unknown option $1" >&2; exit 2 ;;
    *) BUILD=$1; shift ;;
  esac
done
BIN=$BUILD/bench
FOLDER=${CHICHOTEK_BENCH_FOLDER:-/tmp/chichotek-bench-1000}
LIBRARIES=1000
JOKES=20

for exe in bench_make_folder bench_startup_main bench_startup_empty; do
  [ -x "$BIN/$exe" ] || { echo "$BIN/$exe missing: build with -DCHICHOTEK_BENCH=ON" >&2; exit 1; }
done

# Milliseconds one run of the command takes, as wall time.
run_ms() {
  local start=$EPOCHREALTIME
  "$@" >/dev/null 2>&1 || { echo "failed: $*" >&2; exit 1; }
  local end=$EPOCHREALTIME
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f\n", (b - a) * 1000 }'
}

# Median, minimum and maximum of numbers on stdin.
stats() {
  sort -n | awk '{ v[NR] = $1 } END {
    m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
    printf "%.1f %.1f %.1f\n", m, v[1], v[NR] }'
}

# The commands measured, in the order they take turns, and their labels.
LABELS=("empty window" "empty window + menu bar + text" "program, $LIBRARIES libraries")
run_case() {
  case $1 in
    0) run_ms "$BIN/bench_startup_empty" ;;
    1) run_ms "$BIN/bench_startup_empty" --menu --text ;;
    2) run_ms "$BIN/bench_startup_main" "$FOLDER" ;;
  esac
}

measure() {
  local platform=$1 i c k
  local -a times=("" "" "")
  export QT_QPA_PLATFORM=$platform
  for i in 1 2; do
    for c in 0 1 2; do run_case $c >/dev/null; done
  done
  # Each round starts with a different command, so that none always runs
  # right after the same other one.
  for ((i = 0; i < RUNS; i++)); do
    for c in 0 1 2; do
      k=$(((c + i) % 3))
      times[k]+="$(run_case $k) "
    done
  done
  echo "platform $platform, $RUNS runs each (wall time from process start to exit, ms)"
  local -a median=()
  for c in 0 1 2; do
    read -r m lo hi < <(printf '%s\n' ${times[c]} | stats)
    median[c]=$m
    printf '  %-34s median %6.1f   min %6.1f   max %6.1f\n' "${LABELS[c]}:" "$m" "$lo" "$hi"
  done
  awk -v m="${median[2]}" -v e="${median[0]}" -v r="${median[1]}" 'BEGIN {
    printf "  ratio to the empty window %.2f\n", m / e
    printf "  ratio to the window with menu bar and text %.2f (target 1.30: %s)\n", m / r, m / r <= 1.3 ? "met" : "missed" }'
}

if [ -n "${INNER:-}" ]; then
  measure xcb
  exit
fi

if [ ! -f "$FOLDER/DataBase/seznam.dat" ]; then
  echo "Writing $FOLDER ($LIBRARIES libraries of $JOKES jokes)..."
  "$BIN/bench_make_folder" "$FOLDER" "$LIBRARIES" "$JOKES"
fi
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  XDG_RUNTIME_DIR=$(mktemp -d)
  export XDG_RUNTIME_DIR
  trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
fi

measure offscreen
if ((XCB)); then
  # One X server for every run, so that its start is not measured.
  CHICHOTEK_BENCH_FOLDER=$FOLDER xvfb-run -a "$0" --inner --runs "$RUNS" "$BUILD"
fi
