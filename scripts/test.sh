#!/usr/bin/env bash
# Builds the program and its tests and runs every test headless.
#   scripts/test.sh              the normal build, in build/
#   scripts/test.sh --sanitize   with AddressSanitizer and UBSan, in build-asan/
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
install_missing
dir="$ROOT/build"
options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON -DCHICHOTEK_WERROR=ON -DCHICHOTEK_BENCH=ON)
if [ "${1:-}" = "--sanitize" ]; then
  dir="$ROOT/build-asan"
  options=(-DCMAKE_BUILD_TYPE=Debug -DBUILD_TESTING=ON -DCHICHOTEK_WERROR=ON -DCHICHOTEK_SANITIZE=ON)
  export ASAN_OPTIONS=detect_leaks=0
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
fi
configure "$dir" "${options[@]}"
cmake --build "$dir"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$dir" --output-on-failure -j2
