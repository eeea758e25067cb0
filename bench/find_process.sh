#!/usr/bin/env bash
# chichotek-find as the user waits for it: the wall time of the whole process
# on an unchanged program folder of 10,000 jokes (its index made before), for
# a few queries, median of 11 runs. More than one program (another build, say)
# are run in turns on the same queries, each with an index of its own, so that
# their figures come from the same minutes of a noisy machine.
#
#   bench/find_process.sh [BUILD/bin/chichotek-find ...]
#
# The folder (/tmp/chichotek-bench-search-10k, or $CHICHOTEK_BENCH_FOLDER) is
# written once by bench_search_index from build-bench.
set -euo pipefail
cd "$(dirname "$0")/.."

folder=${CHICHOTEK_BENCH_FOLDER:-/tmp/chichotek-bench-search-10k}
programs=("$@")
[ ${#programs[@]} -gt 0 ] || programs=(build/bin/chichotek-find)
if [ ! -e "$folder/bench-search-100x100" ]; then
  build-bench/bench/bench_search_index --libraries 100 --jokes 100 "$folder" >/dev/null
fi

caches=$(mktemp -d)
trap 'rm -rf "$caches"' EXIT
for i in "${!programs[@]}"; do
  XDG_CACHE_HOME="$caches/$i" "${programs[$i]}" --folder "$folder" rozide >/dev/null 2>&1 || true
done

now_ms() { echo $(($(date +%s%N) / 1000000)); }
queries=("rozide" "zikotu hacemu muny" "nyjapa tucere" "žirafa" "ČEŠÍVO DĚMUŠÍ")
for query in "${queries[@]}"; do
  declare -A times=()
  for run in $(seq 11); do
    for i in "${!programs[@]}"; do
      start=$(now_ms)
      # shellcheck disable=SC2086 # the words of the query are its arguments
      XDG_CACHE_HOME="$caches/$i" "${programs[$i]}" --folder "$folder" $query >/dev/null 2>&1 ||
        true
      times[$i]+="$(($(now_ms) - start)) "
    done
  done
  for i in "${!programs[@]}"; do
    sorted=($(tr ' ' '\n' <<<"${times[$i]}" | grep . | sort -n))
    printf '%-24s %-40s median %4d ms  min %4d ms  max %4d ms\n' "\"$query\"" \
      "${programs[$i]}" "${sorted[5]}" "${sorted[0]}" "${sorted[10]}"
  done
  unset times
done
