#!/bin/sh
# chichotek-find on a copy of the sample: its lines, its exit codes and its
# messages, and that it writes only its cache.
#   check_find.sh FIND SAMPLE
set -eu
find=$1 sample=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cp -R "$sample" "$tmp/folder"
export XDG_CACHE_HOME="$tmp/cache"
before=$(cd "$tmp/folder" && find . -type f -exec md5sum {} + | sort)
tab=$(printf '\t')

# A word without its diacritics, in capitals, in the form typed only:
# library, joke and text.
"$find" --folder "$tmp/folder" --exact BABICKA >"$tmp/out" 2>"$tmp/err"
[ "$(wc -l <"$tmp/out")" -eq 1 ]
grep -q "^Rodina${tab}Šedivé vlasy${tab}.*babička" "$tmp/out"
[ ! -s "$tmp/err" ]
ls "$tmp/cache/chichotek/"index-*.sqlite >/dev/null

# In any of its forms (with the Czech dictionary): the form typed first.
if [ -e /usr/share/hunspell/cs_CZ.dic ]; then
    "$find" --folder "$tmp/folder" BABICKA >"$tmp/out" 2>"$tmp/err"
    [ "$(wc -l <"$tmp/out")" -eq 2 ]
    head -n 1 "$tmp/out" | grep -q "^Rodina${tab}Šedivé vlasy${tab}"
    tail -n 1 "$tmp/out" | grep -q "^Pohádky${tab}Karkulka${tab}Babičko"
    [ ! -s "$tmp/err" ]
fi
# Without it: as typed, and a word on the standard error.
XDG_DATA_DIRS="$tmp/nikde" "$find" --folder "$tmp/folder" BABICKA >"$tmp/out" 2>"$tmp/err"
[ "$(wc -l <"$tmp/out")" -eq 1 ]
grep -q "hunspell-cs" "$tmp/err"

# Words in any order; a phrase only in its order.
"$find" --folder "$tmp/folder" práci hroznou | grep -q "${tab}Šedivé vlasy${tab}"
"$find" --folder "$tmp/folder" '"hroznou práci"' | grep -q "${tab}Šedivé vlasy${tab}"
status=0
"$find" --folder "$tmp/folder" '"práci hroznou"' >"$tmp/out" || status=$?
[ "$status" -eq 1 ] && [ ! -s "$tmp/out" ]

# Nothing found: 1, nothing printed.
status=0
"$find" --folder "$tmp/folder" krokodýlovitý >"$tmp/out" 2>"$tmp/err" || status=$?
[ "$status" -eq 1 ] && [ ! -s "$tmp/out" ] && [ ! -s "$tmp/err" ]

# Errors: 2, with the reason on the standard error.
status=0
"$find" --folder "$tmp/nowhere" slon >"$tmp/out" 2>"$tmp/err" || status=$?
[ "$status" -eq 2 ] && [ ! -s "$tmp/out" ] && grep -q DataBase "$tmp/err"
status=0
"$find" --folder "$tmp/folder" >"$tmp/out" 2>"$tmp/err" || status=$?
[ "$status" -eq 2 ] && grep -q -- --help "$tmp/err"
status=0
"$find" --bogus slon 2>"$tmp/err" || status=$?
[ "$status" -eq 2 ]
"$find" --help | grep -q "Použití: chichotek-find"

# A joke changed on disk is found by its new words at the next run (the
# file in Windows-1250, as the program writes it).
printf '{\\rtf1\\ansi\\ansicpg1250 Krokod\375l v zoo.\\par}' >"$tmp/folder/DataBase/Rodina/Šedivé vlasy.vti"
before=$(cd "$tmp/folder" && find . -type f -exec md5sum {} + | sort)
"$find" --folder "$tmp/folder" krokodyl | grep -q "^Rodina${tab}Šedivé vlasy${tab}Krokodýl v zoo.$"

# The folder itself is left as it was.
after=$(cd "$tmp/folder" && find . -type f -exec md5sum {} + | sort)
[ "$before" = "$after" ]
echo "chichotek-find: all checks passed"
