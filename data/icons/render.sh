#!/bin/sh
# Renders the PNG icons of the hicolor theme from the scalable icon.
# Run it after any change of cz.chichotek.Chichotek.svg and commit the PNGs.
# Needs rsvg-convert (Debian package librsvg2-bin).
set -eu

here=$(CDPATH="" cd -- "$(dirname -- "$0")" && pwd)
svg="$here/cz.chichotek.Chichotek.svg"

if ! command -v rsvg-convert >/dev/null 2>&1; then
    echo "render.sh: rsvg-convert not found (apt-get install librsvg2-bin)" >&2
    exit 1
fi

for size in 16 32 48 256; do
    dir="$here/${size}x${size}"
    mkdir -p "$dir"
    rsvg-convert --width="$size" --height="$size" --format=png \
        --output="$dir/cz.chichotek.Chichotek.png" "$svg"
    echo "$dir/cz.chichotek.Chichotek.png"
done
