#!/usr/bin/env bash
# Installs the Debian 12 packages needed to build, run and test Kordavina.
# Safe to run again: apt-get skips what is already there.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config file
  qt6-base-dev qt6-base-dev-tools libqt6printsupport6 libgl-dev
  qt6-translations-l10n
  fonts-liberation2
  poppler-utils python3-pdfminer
  libreoffice-calc-nogui
  xvfb xauth xdotool
  cups cups-bsd cups-client printer-driver-cups-pdf
  clang libclang-rt-14-dev
  desktop-file-utils appstream shared-mime-info xdg-utils libfile-mimeinfo-perl dpkg-dev
  g++-mingw-w64-x86-64-posix mingw-w64-tools wine wine64 nsis zip
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
