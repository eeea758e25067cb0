#!/usr/bin/env bash
# What the user waits for, each against its reference in the same run, on the
# X11 platform under Xvfb (the program's own window, painted): a 1 MB and a
# small joke shown after a key press against a bare QTextEdit, the totals
# walk over 1,000 libraries against a chain of 1,000 timer ticks of 1 ms, and
# typing into a 1 MB joke with spell checking against the same without it.
#   bench/user_waits.sh [--offscreen] [BUILD_DIR]     default build-bench
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=$ROOT/build-bench
OFFSCREEN=0
for arg in "$@"; do
  case $arg in
    --offscreen) OFFSCREEN=1 ;;
    *) BUILD=$arg ;;
  esac
done
for exe in bench_show_joke bench_totals_shown bench_typing; do
  [ -x "$BUILD/bench/$exe" ] || { echo "$BUILD/bench/$exe missing: build with -DCHICHOTEK_BENCH=ON" >&2; exit 1; }
  if [ $OFFSCREEN -eq 1 ]; then
    QT_QPA_PLATFORM=offscreen "$BUILD/bench/$exe"
  else
    QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1024x768x24" "$BUILD/bench/$exe"
  fi
done
