#!/usr/bin/env bash
# Plain-text conversion of large rich-edit RTF files: rtfconv to-text against
# unrtf --text and pandoc -f rtf -t plain, on the same files in one run.
#
#   bench/rtfconv_compare.sh [--runs N] [BUILD_DIR]
#
# BUILD_DIR (default build) must hold bin/chichotek-rtfconv and bench/bench_rtf_make,
# i.e. be configured with -DCHICHOTEK_BENCH=ON (scripts/test.sh does so).
# unrtf and pandoc are installed when missing. The files, of 1 MB and 10 MB,
# are written once to $CHICHOTEK_BENCH_RTF (default /tmp/chichotek-bench-rtf);
# the outputs go beside them. Each command runs N times (default 3), in turns;
# the table gives the median wall time and CPU time of the process, the rate
# in MB of RTF per second of CPU time, the words of text written (to show that
# each tool converted the whole file) and the time as a multiple of rtfconv's.
# CPU time is what the comparison goes by: other work on the machine leaves it
# alone.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/common.sh"

RUNS=3
BUILD=$ROOT/build
while [ $# -gt 0 ]; do
  case $1 in
    --runs) RUNS=$2; shift 2 ;;
    -*) echo "unknown option $1" >&2; exit 2 ;;
    *) BUILD=$1; shift ;;
  esac
done
RTFCONV=$BUILD/bin/chichotek-rtfconv
MAKE=$BUILD/bench/bench_rtf_make
for exe in "$RTFCONV" "$MAKE"; do
  [ -x "$exe" ] || { echo "$exe missing: build with -DCHICHOTEK_BENCH=ON" >&2; exit 1; }
done
install_missing unrtf pandoc

DIR=${CHICHOTEK_BENCH_RTF:-/tmp/chichotek-bench-rtf}
mkdir -p "$DIR"
SIZES=(1 10)
for mb in "${SIZES[@]}"; do
  [ -s "$DIR/${mb}MB.rtf" ] || "$MAKE" "$DIR/${mb}MB.rtf" $((mb << 20))
done

TOOLS=("rtfconv to-text" "unrtf --text" "pandoc -f rtf -t plain")
# convert TOOL IN OUT
convert() {
  case $1 in
    0) "$RTFCONV" to-text "$2" "$3" ;;
    1) unrtf --text "$2" >"$3" 2>/dev/null ;;
    2) pandoc -f rtf -t plain "$2" -o "$3" ;;
  esac
}

# "WALL CPU": the milliseconds one conversion takes, as wall time and as the
# CPU time (user and system) of the process.
run_ms() {
  local TIMEFORMAT='%3R %3U %3S' t
  t=$({ time convert "$@" >/dev/null 2>&1; } 2>&1) || { echo "failed: ${TOOLS[$1]} $2" >&2; exit 1; }
  awk '{ printf "%.1f %.1f\n", $1 * 1000, ($2 + $3) * 1000 }' <<<"$t"
}

median() {
  sort -n | awk '{ v[NR] = $1 } END { printf "%.1f\n", NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

echo "rtfconv: $RTFCONV; unrtf $(unrtf --version 2>&1 | head -1); $(pandoc --version | head -1)"
echo "$RUNS runs each; medians of the wall time and of the CPU time, MB/s of CPU time"
printf '%-6s %-24s %10s %10s %8s %9s %10s %10s\n' file command "wall ms" "CPU ms" MB/s words \
  "×rtfconv" "(by wall)"
declare -A wall cpu
for mb in "${SIZES[@]}"; do
  in=$DIR/${mb}MB.rtf
  bytes=$(stat -c %s "$in")
  declare -a walls=("" "" "") cpus=("" "" "")
  for ((i = 0; i < RUNS; i++)); do
    for t in 0 1 2; do
      read -r w c < <(run_ms $t "$in" "$DIR/${mb}MB.$t.txt")
      walls[t]+="$w "
      cpus[t]+="$c "
    done
  done
  for t in 0 1 2; do
    wall[$mb,$t]=$(printf '%s\n' ${walls[t]} | median)
    cpu[$mb,$t]=$(printf '%s\n' ${cpus[t]} | median)
    words=$(wc -w <"$DIR/${mb}MB.$t.txt")
    awk -v f="${mb} MB" -v c="${TOOLS[t]}" -v w="${wall[$mb,$t]}" -v u="${cpu[$mb,$t]}" \
        -v rw="${wall[$mb,0]}" -v ru="${cpu[$mb,0]}" -v b="$bytes" -v n="$words" 'BEGIN {
      printf "%-6s %-24s %10.1f %10.1f %8.1f %9d %10.2f %10.2f\n", f, c, w, u, b / 1048576 / (u / 1000), n, u / ru, w / rw }'
  done
done
awk -v u="${cpu[10,1]}" -v r="${cpu[10,0]}" -v uw="${wall[10,1]}" -v rw="${wall[10,0]}" 'BEGIN {
  printf "10 MB: unrtf --text takes %.2f times the CPU time of rtfconv to-text (%.2f times the wall time; target 5: %s, aim 10: %s)\n",
    u / r, uw / rw, (u / r >= 5 ? "met" : "missed"), (u / r >= 10 ? "met" : "missed") }'
