# Shared by the set-up scripts: installs what the build needs when it is
# missing, through sudo when not run as root.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

PACKAGES=(cmake ninja-build g++ pkg-config qt6-base-dev libsqlite3-dev libgtest-dev
          libhunspell-dev hunspell-cs libzip-dev libzstd-dev zip unzip poppler-utils
          libbenchmark-dev qt6-translations-l10n fonts-liberation2 fonts-dejavu-core xvfb xauth
          desktop-file-utils appstream groff-base)

install_missing() {
  local missing=()
  for p in "${PACKAGES[@]}" "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  echo "Installing: ${missing[*]}"
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# configure BUILD_DIR [cmake options...]
configure() {
  local dir=$1; shift
  cmake -S "$ROOT" -B "$dir" -G Ninja "$@"
}
