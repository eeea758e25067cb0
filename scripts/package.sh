#!/usr/bin/env bash
# Builds a release in build-release/ and makes the Debian package of it:
# build-release/chichotek_<version>_<arch>.deb. Install it with
#   sudo apt install ./build-release/chichotek_*.deb
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
install_missing dpkg-dev file
dir="$ROOT/build-release"
configure "$dir" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DCHICHOTEK_WERROR=ON
cmake --build "$dir"
(cd "$dir" && cpack -G DEB)
for deb in "$dir"/chichotek_*.deb; do
  echo "$deb"
  dpkg-deb -f "$deb" Package Version Depends
done
