#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the programs need.
# Only what is missing is installed; nothing happens when all are present.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools
  desktop-file-utils appstream help2man lintian
  libjpeg62-turbo-dev libpng-dev libgtest-dev libgmock-dev libbenchmark-dev
  libwebp-dev libtiff-dev libheif-dev libexiv2-dev libavformat-dev nettle-dev nlohmann-json3-dev
  libheif-examples webp exiv2 libimage-exiftool-perl
  clang libclang-rt-14-dev
  xvfb xauth imagemagick libjpeg-turbo-progs
  qt6-translations-l10n
  fonts-ipafont-gothic fonts-ipafont-mincho
)
if [ "${PICTRAY_EXTRA_PACKAGES:-}" != "" ]; then
  read -r -a extra <<<"$PICTRAY_EXTRA_PACKAGES"
  packages+=("${extra[@]}")
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "Need root or sudo to install: ${missing[*]}" >&2; exit 1; }
  sudo="sudo"
fi
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
