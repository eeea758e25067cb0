#!/bin/sh
# rtfconv in a pipe: "-" reads the standard input and writes the standard
# output, the text the same as through files, and a reader that stops early
# (head) does not make it hang.
#   check_rtfconv_pipe.sh RTFCONV IN EXPECTED
set -eu
rtfconv=$1 in=$2 expected=$3
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

cat "$in" | "$rtfconv" to-text - - >"$tmp/piped.txt"
cmp "$tmp/piped.txt" "$expected"
"$rtfconv" to-text "$in" - | cmp - "$expected"
"$rtfconv" to-text - "$tmp/file.txt" <"$in"
cmp "$tmp/file.txt" "$expected"

# RTF and HTML go to the standard output too.
"$rtfconv" to-rtf - - <"$in" >"$tmp/out.rtf"
"$rtfconv" to-rtf "$in" "$tmp/file.rtf"
cmp "$tmp/out.rtf" "$tmp/file.rtf"
"$rtfconv" to-html - - <"$in" >"$tmp/out.html"
"$rtfconv" to-html "$in" "$tmp/file.html"
cmp "$tmp/out.html" "$tmp/file.html"
grep -q '^<!DOCTYPE html>' "$tmp/out.html"
[ "$(tail -c 7 "$tmp/out.html")" = '</html>' ]
# Plain text as HTML: escaped, a paragraph for each line.
printf 'a<b>&\r\nc\r\n' | "$rtfconv" to-html - - | grep -q '<p>a&lt;b&gt;&amp;</p>'

# Text that is not RTF is Windows-1250 text, here too.
printf 'Ko\232\355\r\nn\240x\r\n' | "$rtfconv" to-text - - >"$tmp/plain.txt"
printf 'Koší\nn x\n' | cmp - "$tmp/plain.txt"

# A long text read by head: the first lines come, the tool ends.
{
  printf '{\\rtf1\\ansi '
  i=0
  while [ $i -lt 20000 ]; do
    printf 'Radek %d\\par\n' $i
    i=$((i + 1))
  done
  printf '}'
} >"$tmp/long.rtf"
first=$(cat "$tmp/long.rtf" | "$rtfconv" to-text - - | head -n 2)
[ "$first" = "$(printf 'Radek 0\nRadek 1')" ] || {
  echo "head gave: $first" >&2
  exit 1
}
