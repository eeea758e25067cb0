#!/usr/bin/env bash
# rtfconv on a full disk: the conversion fails with a non-zero exit and the
# old output file keeps its bytes, with no temporary file beside it. Needs
# root to mount a small file system; elsewhere it is skipped (exit 77).
#   check_rtfconv_full_disk.sh RTFCONV INPUT
set -u
rtfconv=$1
input=$2
[ "$(id -u)" -eq 0 ] || exit 77
disk=$(mktemp -d)
trap 'umount -l "$disk" 2>/dev/null; rm -rf "$disk"' EXIT
mount -t tmpfs -o size=64k tmpfs "$disk" 2>/dev/null || exit 77
printf 'old output' > "$disk/out.txt"
head -c 1000000 /dev/zero > "$disk/filler" 2>/dev/null
"$rtfconv" to-rtf "$input" "$disk/out.txt"
status=$?
if [ "$status" -eq 0 ]; then
  echo "rtfconv reported success on a full disk" >&2
  exit 1
fi
if [ "$(cat "$disk/out.txt")" != "old output" ]; then
  echo "the old output was changed" >&2
  exit 1
fi
if [ "$(ls "$disk" | wc -l)" -ne 2 ]; then
  echo "a temporary file was left: $(ls "$disk")" >&2
  exit 1
fi
echo "rtfconv failed (exit $status) and kept the old output"
