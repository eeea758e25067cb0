#!/usr/bin/env bash
# Fuzzes the RTF reader with libFuzzer (clang, AddressSanitizer, UBSan).
#   scripts/fuzz.sh [SECONDS]     default 60
# Builds fuzz/ in build-fuzz/ and runs on a copy of the seed corpus in
# build-fuzz/corpus (kept between runs, so each run goes on from the last);
# the repository is not written to. An input that crashes the reader, trips a
# sanitizer or takes over 10 s is saved in build-fuzz/artifacts/ and the
# script exits non-zero.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

seconds=${1:-60}
if ! [[ $seconds =~ ^[1-9][0-9]*$ ]] || [ $# -gt 1 ]; then
  echo "usage: scripts/fuzz.sh [SECONDS]" >&2
  exit 2
fi

install_missing clang libclang-rt-14-dev
dir="$ROOT/build-fuzz"
CC=clang CXX=clang++ cmake -S "$ROOT/fuzz" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$dir"

mkdir -p "$dir/corpus" "$dir/artifacts"
cp -n "$ROOT"/fuzz/corpus/* "$dir/corpus/"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
if ! "$dir/rtf_reader_fuzzer" -max_total_time="$seconds" -max_len=65536 -timeout=10 \
    -dict="$ROOT/fuzz/rtf.dict" -artifact_prefix="$dir/artifacts/" "$dir/corpus"; then
  echo "The fuzzer found a fault; the input is in $dir/artifacts/:" >&2
  ls -t "$dir/artifacts" | head -1 >&2
  exit 1
fi
