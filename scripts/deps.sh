#!/usr/bin/env bash
# Installs the Debian 12 packages the build and the tests need, only those missing.
# fonts-liberation2 gives the snapshot stamp a font metric-compatible with Arial; the end-to-end test runs
# the program in a private X server (xvfb) and drives it with xdotool; desktop-file-utils, appstream and
# man-db validate the desktop entry, the AppStream description and the manual page.
set -euo pipefail
packages=(build-essential cmake pkg-config qt6-base-dev libjpeg62-turbo-dev libturbojpeg0-dev libpng-dev
          libxcb1-dev libgtest-dev libgmock-dev libbenchmark-dev libyuv-dev clang libclang-rt-14-dev libglib2.0-dev
          fonts-liberation2 qt6-qpa-plugins xvfb xdotool desktop-file-utils appstream man-db)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
