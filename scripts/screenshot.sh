#!/usr/bin/env bash
# Makes the README's pictures: the built program on a virtual screen (Xvfb),
# as a user sees it. The program runs on a temporary home, so no user's
# folder is touched.
#   scripts/screenshot.sh [OUT.png]            docs/main-window.png: the sample's
#                                              first library open, its first joke shown
#   scripts/screenshot.sh --search [OUT.png]   docs/search-window.png: the search
#                                              window beside it, with results for "pepicek"
#   scripts/screenshot.sh --editor [OUT.png]   docs/editor.png: the library editor with
#                                              a misspelt word underlined and the find window
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
install_missing xdotool imagemagick
mode=main
case "${1:-}" in
  --search) mode=search; shift ;;
  --editor) mode=editor; shift ;;
esac
case $mode in
  main) out=${1:-$ROOT/docs/main-window.png} ;;
  search) out=${1:-$ROOT/docs/search-window.png} ;;
  editor) out=${1:-$ROOT/docs/editor.png} ;;
esac
configure "$ROOT/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCHICHOTEK_WERROR=ON >/dev/null
cmake --build "$ROOT/build" --target chichotek
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
mkdir -p "$(dirname "$out")"

# Under Xvfb: the program on its first start, then what the picture shows.
HOME=$home PROGRAM="$ROOT/build/bin/chichotek" OUT=$out MODE=$mode \
  xvfb-run -a -s "-screen 0 1024x600x24" bash -c '
    set -euo pipefail
    env -u XDG_DATA_HOME -u XDG_CACHE_HOME "$PROGRAM" &
    program=$!
    xdotool search --sync --onlyvisible --name "^Chichotek v " >/dev/null
    sleep 1.5
    # The welcome of the first start, a box of the same title, answered.
    windows=$(xdotool search --onlyvisible --name "^Chichotek v ")
    window=$(head -n 1 <<<"$windows")
    box=$(tail -n 1 <<<"$windows")
    if [ "$box" != "$window" ]; then
      xdotool windowfocus --sync "$box"
      xdotool key Return
      sleep 0.5
    fi
    xdotool windowfocus --sync "$window"
    sleep 0.5
    if [ "$MODE" = main ]; then
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
    elif [ "$MODE" = editor ]; then
      # The first library, "Databáze", "Upravit..." (no password), its
      # second joke; a misspelt word typed at its start; Ctrl+F and a word
      # found.
      menu=$(( $(xdotool getwindowgeometry "$window" | sed -n "s/.*Geometry: [0-9]*x//p") - 313 ))
      xdotool mousemove --window "$window" 60 $((menu + 22)) click 1
      sleep 0.5
      xdotool mousemove --window "$window" 78 8 click 1
      sleep 0.5
      xdotool mousemove --window "$window" 89 47 click 1
      editor=$(xdotool search --sync --onlyvisible --name "^Úprava")
      xdotool windowfocus --sync "$editor"
      sleep 1
      xdotool mousemove --window "$editor" 38 69 click 1
      sleep 0.5
      xdotool mousemove --window "$editor" 300 100 click 1
      xdotool key ctrl+Home
      xdotool type --delay 60 "Chibně "
      sleep 1
      xdotool key ctrl+f
      find=$(xdotool search --sync --onlyvisible --name "^Najít a nahradit")
      xdotool windowfocus --sync "$find"
      xdotool type --delay 60 "pes"
      xdotool key Return
      sleep 1
      import -window root -crop 752x312+240+128 +repage "$OUT"
    else
      # Ctrl+F, a word typed without its diacritics, the second result
      # opened; the picture holds both windows.
      xdotool key ctrl+f
      search=$(xdotool search --sync --onlyvisible --name "^Hledat v textech")
      xdotool windowfocus --sync "$search"
      sleep 0.5
      xdotool type --delay 60 "pepicek"
      sleep 1
      xdotool key Down Return
      sleep 1
      xdotool windowfocus --sync "$search"
      sleep 0.5
      import -window root -crop 700x360+324+125 +repage "$OUT"
    fi
    kill "$program"
  '
echo "$out"
