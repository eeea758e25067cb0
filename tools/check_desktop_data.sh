#!/usr/bin/env bash
# Checks the installed desktop integration of Chichotek under an install
# prefix: the launcher and the AppStream metadata pass their validators with
# no warnings and name no placeholder addresses, the icon is there at every
# size (the PNGs at the size their folder names), and the manual pages are
# there and format without warnings.
#   check_desktop_data.sh PREFIX
# Needs desktop-file-validate (desktop-file-utils) and appstreamcli
# (appstream); groff, when present, also checks the manual pages.
# Exits 0 when all is well, 1 on any failure, 2 on bad use.
set -u

if [ $# -ne 1 ] || [ -z "$1" ]; then
  echo "usage: check_desktop_data.sh PREFIX" >&2
  exit 2
fi
prefix=$1
if [ ! -d "$prefix" ]; then
  echo "check_desktop_data.sh: no such folder: $prefix" >&2
  exit 2
fi

id=cz.chichotek.Chichotek
share=$prefix/share
failures=0

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

need_tool() {
  if ! command -v "$1" >/dev/null 2>&1; then
    fail "$1 not found (Debian package $2)"
    return 1
  fi
}

# The width and height of a PNG file from its IHDR chunk, as "WxH".
png_size() {
  local header
  header=$(od -An -v -tu1 -j0 -N24 "$1" 2>/dev/null | tr -s ' \n' '  ')
  # shellcheck disable=SC2086
  set -- $header
  [ $# -eq 24 ] || return 1
  # The signature, then the IHDR chunk's length (13) and type.
  [ "$1 $2 $3 $4 $5 $6 $7 $8" = "137 80 78 71 13 10 26 10" ] || return 1
  [ "${13} ${14} ${15} ${16}" = "73 72 68 82" ] || return 1
  echo "$(( (${17} << 24) | (${18} << 16) | (${19} << 8) | ${20} ))x$(( (${21} << 24) | (${22} << 16) | (${23} << 8) | ${24} ))"
}

# The launcher: desktop-file-validate exits 0 on mere warnings, so any
# output at all counts as a failure.
desktop=$share/applications/$id.desktop
if [ ! -f "$desktop" ]; then
  fail "missing launcher $desktop"
elif need_tool desktop-file-validate desktop-file-utils; then
  if ! output=$(desktop-file-validate "$desktop" 2>&1) || [ -n "$output" ]; then
    fail "desktop-file-validate $desktop:"
    printf '%s\n' "$output" >&2
  fi
fi

# The AppStream metadata: appstreamcli fails on errors and warnings.
metainfo=$share/metainfo/$id.metainfo.xml
if [ ! -f "$metainfo" ]; then
  fail "missing AppStream metadata $metainfo"
elif need_tool appstreamcli appstream; then
  if ! output=$(appstreamcli validate --no-net "$metainfo" 2>&1); then
    fail "appstreamcli validate --no-net $metainfo:"
    printf '%s\n' "$output" >&2
  fi
fi

# No placeholder addresses: what the project has not got is left out.
for file in "$desktop" "$metainfo"; do
  if [ -f "$file" ] && grep -Eq 'example\.(org|com|net)' "$file"; then
    fail "placeholder address in $file:"
    grep -En 'example\.(org|com|net)' "$file" >&2
  fi
done

# The library file's type: well-formed for shared-mime-info, and the
# launcher takes it.
mime=$share/mime/packages/$id.xml
if [ ! -f "$mime" ]; then
  fail "missing MIME type $mime"
else
  if command -v update-mime-database >/dev/null 2>&1; then
    if ! output=$(update-mime-database -V "$share/mime" 2>&1) || printf '%s\n' "$output" | grep -qi 'error\|warning'; then
      fail "update-mime-database $share/mime:"
      printf '%s\n' "$output" >&2
    fi
  fi
  if [ -f "$desktop" ] && ! grep -q '^MimeType=application/x-chichotek-library;$' "$desktop"; then
    fail "the launcher $desktop does not take application/x-chichotek-library"
  fi
fi

# The icon in the hicolor theme.
icons=$share/icons/hicolor
if [ ! -s "$icons/scalable/apps/$id.svg" ]; then
  fail "missing scalable icon $icons/scalable/apps/$id.svg"
fi
for size in 16 32 48 256; do
  png=$icons/${size}x${size}/apps/$id.png
  if [ ! -f "$png" ]; then
    fail "missing icon $png"
  elif ! actual=$(png_size "$png"); then
    fail "not a PNG image: $png"
  elif [ "$actual" != "${size}x${size}" ]; then
    fail "icon $png is $actual, not ${size}x${size}"
  fi
done

# The manual pages, plain or compressed.
for page in chichotek chichotek-rtfconv chichotek-find chichotek-library; do
  found=
  for candidate in "$share/man/man1/$page.1" "$share/man/man1/$page.1.gz"; do
    [ -f "$candidate" ] && found=$candidate && break
  done
  if [ -z "$found" ]; then
    fail "missing manual page $share/man/man1/$page.1"
    continue
  fi
  if command -v groff >/dev/null 2>&1; then
    case $found in
      *.gz) text=$(gzip -dc "$found") ;;
      *) text=$(cat "$found") ;;
    esac
    if ! output=$(printf '%s\n' "$text" | groff -k -man -Tutf8 -ww -z 2>&1) || [ -n "$output" ]; then
      fail "manual page $found does not format cleanly:"
      printf '%s\n' "$output" >&2
    fi
  fi
done

if [ "$failures" -ne 0 ]; then
  echo "check_desktop_data.sh: $failures failure(s) under $prefix" >&2
  exit 1
fi
echo "check_desktop_data.sh: desktop data under $prefix is complete and valid"
