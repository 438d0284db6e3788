#!/usr/bin/env bash
# Lays out the Windows program from the built preset "windows" and packs it:
#   build-win/deploy/Kordavina/                  the runnable folder (cmake --install)
#   build-win/kordavina-VERSION-windows.zip      that folder, to run from anywhere
#   build-win/kordavina-VERSION-setup.exe        the installer (installer/kordavina.nsi)
#   bash scripts/package-windows.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-win}
version=$(sed -n 's/^project(Kordavina VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
deploy=$build/deploy/Kordavina

rm -rf "$build/deploy"
cmake --install "$build" --prefix "$deploy" >/dev/null
x86_64-w64-mingw32-strip --strip-unneeded "$deploy/kordavina.exe"

zip=$build/kordavina-$version-windows.zip
rm -f "$zip"
(cd "$build/deploy" && zip -qr -9 "$OLDPWD/$zip" Kordavina)

# The installer's file lists, so that the uninstaller removes what it installed
# and nothing else.
lists=$build/installer
mkdir -p "$lists"
{
  (cd "$deploy" && find . -type d | sort) | while read -r d; do
    d=${d#./}; d=${d#.}
    echo "SetOutPath \"\$INSTDIR${d:+\\${d//\//\\}}\""
    (cd "$deploy/${d:-.}" && find . -maxdepth 1 -type f | sort) | while read -r f; do
      echo "File \"$(realpath "$deploy/${d:-.}/${f#./}")\""
    done
  done
  echo 'SetOutPath "$INSTDIR"'
} > "$lists/install-files.nsh"
{
  (cd "$deploy" && find . -type f | sort) | while read -r f; do
    f=${f#./}; echo "Delete \"\$INSTDIR\\${f//\//\\}\""
  done
  (cd "$deploy" && find . -mindepth 1 -type d | sort -r) | while read -r d; do
    d=${d#./}; echo "RMDir \"\$INSTDIR\\${d//\//\\}\""
  done
} > "$lists/uninstall-files.nsh"

setup=$build/kordavina-$version-setup.exe
makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DSOURCE="$(realpath "$deploy")" \
  -DFILES="$(realpath "$lists")" -DOUTFILE="$(realpath "$build")/kordavina-$version-setup.exe" \
  installer/kordavina.nsi
echo "packed $zip and $setup"
