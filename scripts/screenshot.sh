#!/usr/bin/env bash
# Makes docs/main-window.png: the built program on a virtual screen (Xvfb)
# with the sample's first library open and its first joke shown, as a user
# sees it. The program runs on a temporary home, so no user's folder is
# touched.
#   scripts/screenshot.sh [OUT.png]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
install_missing xdotool imagemagick
out=${1:-$ROOT/docs/main-window.png}
configure "$ROOT/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCHICHOTEK_WERROR=ON >/dev/null
cmake --build "$ROOT/build" --target chichotek
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
mkdir -p "$(dirname "$out")"

HOME=$home PROGRAM="$ROOT/build/bin/chichotek" OUT=$out \
  xvfb-run -a -s "-screen 0 640x480x24" bash -c '
    set -euo pipefail
    env -u XDG_DATA_HOME "$PROGRAM" &
    program=$!
    window=$(xdotool search --sync --onlyvisible --name "^Chichotek v ")
    xdotool windowfocus --sync "$window"
    sleep 1
    # The first library of the list, then "Otevřít" (the menu bar is about
    # 20 pixels high above the window'"'"'s controls).
    menu=$(( $(xdotool getwindowgeometry "$window" | sed -n "s/.*Geometry: [0-9]*x//p") - 313 ))
    xdotool mousemove --window "$window" 60 $((menu + 22)) click 1
    sleep 0.5
    xdotool mousemove --window "$window" 108 $((menu + 296)) click 1
    sleep 1
    # The first joke.
    xdotool mousemove --window "$window" 60 $((menu + 22)) click 1
    sleep 1
    import -window "$window" "$OUT"
    kill "$program"
  '
echo "$out"
