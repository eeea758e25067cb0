#!/usr/bin/env bash
# Fuzzes the store's readers of outside data with libFuzzer (clang,
# AddressSanitizer, UBSan): the RTF reader, the list reader, the code page, the
# icon reader, the name check, the search query builder and the import of a
# library's zip file, each but the RTF reader against a model of its rule or
# what must hold of its output (see fuzz/store_fuzzer.cpp). One target; the
# first byte of an input picks the mode, so one run of SECONDS covers them all.
#   scripts/fuzz.sh [SECONDS]     default 60
# Builds fuzz/ in build-fuzz/ and runs on build-fuzz/store-corpus, which gets
# every seed of fuzz/corpus/MODE/ with its mode's byte in front and is kept
# between runs, so each run goes on from the last; the repository is not
# written to. An input that crashes, trips a sanitizer, differs from a model
# or takes over 10 s is saved in build-fuzz/artifacts/ and the script exits
# non-zero.
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

# The modes in the order of their bytes, as in fuzz/store_fuzzer.cpp.
modes=(rtf list codepage icon name query zip)
corpus="$dir/store-corpus"
mkdir -p "$corpus" "$dir/artifacts"
for byte in "${!modes[@]}"; do
  for seed in "$ROOT/fuzz/corpus/${modes[byte]}"/*; do
    target="$corpus/${modes[byte]}-$(basename "$seed")"
    [ -e "$target" ] || { printf "\\$(printf %03o "$byte")"; cat "$seed"; } >"$target"
  done
done
cat "$ROOT/fuzz/rtf.dict" "$ROOT/fuzz/store.dict" >"$dir/store.dict"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
if ! "$dir/store_fuzzer" -max_total_time="$seconds" -max_len=65536 -timeout=10 \
    -dict="$dir/store.dict" -artifact_prefix="$dir/artifacts/" "$corpus"; then
  echo "The fuzzer found a fault; the input is in $dir/artifacts/:" >&2
  ls -t "$dir/artifacts" | head -1 >&2
  exit 1
fi
