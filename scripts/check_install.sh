#!/usr/bin/env bash
# Checks the program as a user gets it from the Debian package that
# scripts/package.sh left in build-deb/: unpacks the package into a
# temporary folder and
#   - checks the installed layout, the launcher, the metadata, the icons and
#     the manual pages (tools/check_desktop_data.sh), and that the manual page
#     names the sample where the package puts it;
#   - starts the installed program offscreen with a fresh HOME and checks that
#     it made the user's folder from the installed sample and shows its
#     libraries;
#   - starts it again from a read-only copy of the installed tree and checks
#     that it still uses the user's folder and writes nothing beside itself;
#   - checks the package's dependencies, that its programs are stripped and
#     that their debugging information is in the -dbgsym package.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
install_missing dpkg-dev file
dir="$ROOT/build-deb"
work=$(mktemp -d)
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT

fail() {
  echo "check_install.sh: $*" >&2
  exit 1
}

arch=$(dpkg-architecture -q DEB_HOST_ARCH)
debs=("$dir"/chichotek_*_"$arch".deb)
dbgsyms=("$dir"/chichotek-dbgsym_*_"$arch".deb)
[ -e "${debs[0]}" ] || fail "no package in $dir: run scripts/package.sh first"
[ ${#debs[@]} -eq 1 ] || fail "more than one package in $dir: ${debs[*]}"
[ -e "${dbgsyms[0]}" ] || fail "no -dbgsym package in $dir"
deb=${debs[0]}

dpkg-deb -x "$deb" "$work/root"
prefix="$work/root/usr"

layout=(bin/chichotek bin/chichotek-rtfconv bin/chichotek-find bin/chichotek-library
        share/chichotek/sample/DataBase/seznam.dat
        share/chichotek/sample/chichotek.cfg share/chichotek/sample/pozadi.bmp
        share/applications/cz.chichotek.Chichotek.desktop
        share/mime/packages/cz.chichotek.Chichotek.xml
        share/metainfo/cz.chichotek.Chichotek.metainfo.xml
        share/icons/hicolor/scalable/apps/cz.chichotek.Chichotek.svg
        share/man/man1/chichotek.1.gz share/man/man1/chichotek-rtfconv.1.gz
        share/man/man1/chichotek-find.1.gz share/man/man1/chichotek-library.1.gz
        share/doc/chichotek/copyright share/doc/chichotek/changelog.Debian.gz
        share/doc/chichotek/prirucka.html)
for file in "${layout[@]}"; do
  [ -e "$prefix/$file" ] || fail "not in the package: /usr/$file"
done
# The licence is in the Debian copyright file, not a second time.
[ ! -e "$prefix/share/doc/chichotek/LICENSE" ] || fail "the package holds LICENSE beside copyright"
"$ROOT/tools/check_desktop_data.sh" "$prefix"
manual=$(zcat "$prefix/share/man/man1/chichotek.1.gz")
grep -Fq " /usr/share/chichotek/sample" <<<"$manual" ||
  fail "chichotek(1) does not name the sample as /usr/share/chichotek/sample"
! grep -Fq "/usr/local" <<<"$manual" || fail "chichotek(1) names /usr/local"

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

# The dependencies: the libraries from the binaries, Qt's public API only
# (no qt6-base-abi, which ties a package to one Qt release), and what the
# program uses at run time when it is there as recommendations.
depends=$(dpkg-deb -f "$deb" Depends)
recommends=$(dpkg-deb -f "$deb" Recommends)
has() { # PACKAGE FIELD
  tr ',' '\n' <<<"$2" | sed -e 's/^ *//' -e 's/[ (].*//' | grep -x "$1" >/dev/null
}
# The Czech dictionary gives the search its word forms.
for package in libqt6widgets6 libc6 hunspell-cs; do
  has "$package" "$depends" || fail "the package does not depend on $package: $depends"
done
! has qt6-base-abi "$depends" || fail "the package depends on qt6-base-abi: $depends"
for package in fonts-liberation2 qt6-translations-l10n; do
  has "$package" "$recommends" || fail "the package does not recommend $package: $recommends"
  ! has "$package" "$depends" || fail "the package depends on $package instead of recommending it"
done

# The programs are stripped; their debugging information is in the
# -dbgsym package, under their build IDs.
debug_listing=$(dpkg -c "${dbgsyms[0]}")
for program in chichotek chichotek-rtfconv chichotek-find chichotek-library; do
  description=$(file -b "$prefix/bin/$program")
  grep -q ", stripped" <<<"$description" || fail "/usr/bin/$program is not stripped: $description"
  id=$(sed -n 's/.*BuildID\[sha1\]=\([0-9a-f]*\).*/\1/p' <<<"$description")
  [ -n "$id" ] || fail "/usr/bin/$program has no build ID"
  grep -q "\./usr/lib/debug/\.build-id/${id:0:2}/${id:2}\.debug\$" <<<"$debug_listing" ||
    fail "the -dbgsym package lacks the debugging information of /usr/bin/$program"
done
echo "check_install.sh: the installed program and the package are as they should be"
