#!/bin/sh
# LibreOffice reads the lists that our writer writes with the numbers and
# bullets they had: a list starting at 5 with ")" that goes on after a nested
# one, and a lower-case roman one in parentheses starting at 3. Skipped (77)
# where LibreOffice is not installed.
#   check_lists_libreoffice.sh RTFCONV IN.rtf
set -eu
rtfconv=$1 in=$2
command -v soffice >/dev/null 2>&1 || { echo "soffice not installed: skipped"; exit 77; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
"$rtfconv" to-rtf "$in" "$tmp/ours.rtf"
HOME=$tmp timeout 180 soffice --headless --convert-to txt:Text --outdir "$tmp" "$tmp/ours.rtf" >/dev/null 2>&1
# LibreOffice starts its text with a byte-order mark and indents list items.
sed -e '1s/^\xEF\xBB\xBF//' -e 's/^ *//' "$tmp/ours.txt" | tr -d '\r' >"$tmp/got.txt"
printf '%s\n' '5) Pate' '◦ Kolecko' '6) Seste' '(iii) Treti' '(iv) Ctvrte' 'Konec' >"$tmp/want.txt"
diff "$tmp/want.txt" "$tmp/got.txt"
echo "LibreOffice numbers our lists alike"
