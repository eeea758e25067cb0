#!/usr/bin/env bash
# Builds the program and starts it. It keeps the jokes in the user's own
# folder, ${XDG_DATA_HOME:-~/.local/share}/chichotek, filled from the sample on
# the first run; removing build/ removes none of them. Arguments go to the
# program: `scripts/run.sh /media/usb/Chichotek` runs it on that folder.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
install_missing
configure "$ROOT/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCHICHOTEK_WERROR=ON
cmake --build "$ROOT/build" --target chichotek
if [ $# -eq 0 ]; then
  echo "Jokes are kept in ${XDG_DATA_HOME:-$HOME/.local/share}/chichotek"
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: starting the program on a virtual screen (xvfb-run); Ctrl+C ends it."
  exec xvfb-run -a "$ROOT/build/bin/chichotek" "$@"
fi
exec "$ROOT/build/bin/chichotek" "$@"
