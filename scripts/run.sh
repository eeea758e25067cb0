#!/usr/bin/env bash
# Builds the program and starts it on the sample database in build/app.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
install_missing
configure "$ROOT/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF -DCHICHOTEK_WERROR=ON
cmake --build "$ROOT/build" --target chichotek
cd "$ROOT/build/app"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: starting the program on a virtual screen (xvfb-run)."
  exec xvfb-run -a ./chichotek
fi
exec ./chichotek
