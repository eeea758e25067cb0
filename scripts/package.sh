#!/usr/bin/env bash
# Makes the Debian packages the way Debian builds them: copies the sources
# (what git tracks or would track, as they are in the working tree) into
# build-deb/chichotek-<version>/, builds there with dpkg-buildpackage from
# debian/, and checks the result with lintian (no error, no warning). Leaves
#   build-deb/chichotek_<version>-<revision>_<arch>.deb
#   build-deb/chichotek-dbgsym_<version>-<revision>_<arch>.deb
# and the .changes and .buildinfo beside them. Install the package with
#   sudo apt install ./build-deb/chichotek_*.deb
# The tests do not run in the package build (CI runs them on their own); to
# run them there too, give DEB_BUILD_OPTIONS yourself, e.g.
#   DEB_BUILD_OPTIONS=parallel=2 scripts/package.sh
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
install_missing dpkg-dev debhelper lintian file git

export DEB_BUILD_OPTIONS=${DEB_BUILD_OPTIONS-"nocheck parallel=$(nproc)"}
# Without the tests, their build dependencies are not needed either.
profiles=()
case " $DEB_BUILD_OPTIONS " in
  *" nocheck "*) profiles=(--build-profiles=nocheck) ;;
esac

version=$(dpkg-parsechangelog -l "$ROOT/debian/changelog" -S Version)
project_version=$(sed -n 's/^project(chichotek VERSION \([^ )]*\).*/\1/p' "$ROOT/CMakeLists.txt")
if [ "${version%-*}" != "$project_version" ]; then
  echo "package.sh: debian/changelog is at $version, CMakeLists.txt at $project_version:" \
       "add a changelog entry for the new version" >&2
  exit 1
fi
out="$ROOT/build-deb"
src="$out/chichotek-${version%-*}"
rm -rf "$out"
mkdir -p "$src"

# The sources as they are now, committed or not, without what git ignores
# (the build folders) and without files deleted from the working tree.
git -C "$ROOT" ls-files -z --cached --others --exclude-standard --deduplicate |
  while IFS= read -r -d '' file; do
    if [ -e "$ROOT/$file" ] || [ -L "$ROOT/$file" ]; then
      printf '%s\0' "$file"
    fi
  done |
  tar -C "$ROOT" --null --no-recursion -T - -cf - | tar -C "$src" -xf -

# The build dependencies debian/control names, when some are missing.
if ! (cd "$src" && dpkg-checkbuilddeps "${profiles[@]/--build-profiles=/-P}" 2>/dev/null); then
  sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get build-dep -y -qq --no-install-recommends \
    "${profiles[@]}" "$src"
fi

(cd "$src" && dpkg-buildpackage -us -uc -b "${profiles[@]}")

arch=$(dpkg-architecture -q DEB_HOST_ARCH)
changes="$out/chichotek_${version}_$arch.changes"
lintian --fail-on error,warning --display-info "$changes"

for deb in "$out"/*.deb; do
  echo "$deb"
done
dpkg -I "$out/chichotek_${version}_$arch.deb"
