#!/usr/bin/env bash
# Checks the program as a user gets it: installs build-release/ (made by
# scripts/package.sh) into a temporary prefix and
#   - checks the installed layout, the launcher, the metadata, the icons and
#     the manual pages (tools/check_desktop_data.sh);
#   - starts the installed program offscreen with a fresh HOME and checks that
#     it made the user's folder from the installed sample and shows its
#     libraries;
#   - starts it again from a read-only copy of the installed tree and checks
#     that it still uses the user's folder and writes nothing beside itself;
#   - checks that the Debian package holds the same layout.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
install_missing dpkg-dev file
dir="$ROOT/build-release"
work=$(mktemp -d)
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT

fail() {
  echo "check_install.sh: $*" >&2
  exit 1
}

prefix="$work/usr"
cmake --install "$dir" --prefix "$prefix" >/dev/null

layout=(bin/chichotek bin/chichotek-rtfconv bin/chichotek-find share/chichotek/sample/DataBase/seznam.dat
        share/chichotek/sample/chichotek.cfg share/chichotek/sample/pozadi.bmp
        share/applications/cz.chichotek.Chichotek.desktop
        share/metainfo/cz.chichotek.Chichotek.metainfo.xml
        share/icons/hicolor/scalable/apps/cz.chichotek.Chichotek.svg
        share/man/man1/chichotek.1 share/man/man1/chichotek-find.1 share/doc/chichotek/copyright)
for file in "${layout[@]}"; do
  [ -e "$prefix/$file" ] || fail "not installed: $file"
done
"$ROOT/tools/check_desktop_data.sh" "$prefix"

# What the installed program shows on its first start: the folder it runs
# on, then the libraries of its list.
expected_libraries=$(iconv -f CP1250 -t UTF-8 "$prefix/share/chichotek/sample/DataBase/seznam.dat" |
                     tr -d '\r')
start() { # PROGRAM HOME
  env -i PATH="$PATH" HOME="$2" QT_QPA_PLATFORM=offscreen CHICHOTEK_CHECK=1 "$1"
}

home="$work/home1"
mkdir "$home"
shown=$(start "$prefix/bin/chichotek" "$home")
[ "$shown" = "$(printf '%s\n%s' "$home/.local/share/chichotek" "$expected_libraries")" ] ||
  fail "the installed program showed: $shown"
diff -r "$prefix/share/chichotek/sample" "$home/.local/share/chichotek" --exclude=chichotek.lock ||
  fail "the user's folder is not a copy of the sample"

# From a read-only copy of the installed tree.
readonly_tree="$work/readonly"
cp -a "$prefix" "$readonly_tree"
chmod -R a-w "$readonly_tree"
before=$(cd "$readonly_tree" && find . | sort)
home="$work/home2"
mkdir "$home"
shown=$(start "$readonly_tree/bin/chichotek" "$home")
[ "$shown" = "$(printf '%s\n%s' "$home/.local/share/chichotek" "$expected_libraries")" ] ||
  fail "the read-only copy showed: $shown"
[ "$(cd "$readonly_tree" && find . | sort)" = "$before" ] || fail "the read-only copy was written"

# The package holds what the install does, under /usr.
debs=("$dir"/chichotek_*.deb)
[ -e "${debs[0]}" ] || fail "no package in $dir: run scripts/package.sh first"
listing=$(dpkg -c "${debs[0]}")
for file in "${layout[@]}"; do
  grep -q "\./usr/$file\$" <<<"$listing" || fail "not in the package: /usr/$file"
done
depends=$(dpkg-deb -f "${debs[0]}" Depends)
for package in libqt6widgets6 libc6 fonts-liberation2 qt6-translations-l10n qt6-base-abi; do
  grep -q "$package" <<<"$depends" || fail "the package does not depend on $package: $depends"
done
echo "check_install.sh: the installed program and the package are as they should be"
