#!/usr/bin/env bash
# Builds the Debian package from a build folder and checks it the way a user
# gets it: its file list, its dependencies, and the program started from the
# unpacked tree, which must keep its files in the per-user folder.
#   package.sh BUILD_DIR
# Exit 77 (skipped) where the Debian tools are missing.
set -euo pipefail
build=$(cd "$1" && pwd)
for tool in cpack dpkg-deb dpkg-shlibdeps; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$tmp" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$tmp/out" >"$tmp/cpack.log" 2>&1) \
  || { cat "$tmp/cpack.log"; fail "cpack"; }
debs=("$tmp"/out/kordavina_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "no kordavina_*.deb in $(ls "$tmp/out")"
deb=${debs[0]}
echo "package: $(basename "$deb") ($(stat -c %s "$deb") bytes)"

version=$(grep -m1 '^set(CPACK_PACKAGE_VERSION ' "$build/CPackConfig.cmake" | sed 's/.*"\(.*\)".*/\1/')
[ "$(dpkg-deb -f "$deb" Package)" = kordavina ] || fail "package name"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version"

# Dependencies: the Qt libraries as dpkg-shlibdeps found them, and the fonts.
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for dep in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6printsupport6 \
           fonts-liberation2; do
  grep -Eq "(^|, )${dep//+/\\+}( |,|$)" <<<"$depends" || fail "Depends lacks $dep"
done
grep -q 'libqt6widgets6 (>=' <<<"$depends" || fail "Qt dependency without a version"

# apt can install it here: every dependency is known to the archive or
# already installed (what `apt install ./kordavina_*.deb` does, simulated).
if command -v apt-get >/dev/null; then
  apt-get install -s -q "$deb" >"$tmp/apt.log" 2>&1 || { cat "$tmp/apt.log"; fail "apt-get install -s"; }
  grep -q '^Inst kordavina ' "$tmp/apt.log" || { cat "$tmp/apt.log"; fail "apt would not install it"; }
fi

# Where each file lands.
dpkg-deb -c "$deb" | awk '{print $NF}' | sed 's|^\./|/|' >"$tmp/files"
expected=(
  /usr/bin/kordavina
  /usr/share/applications/kordavina.desktop
  /usr/share/mime/packages/kordavina.xml
  /usr/share/metainfo/ba.orvinel.Kordavina.metainfo.xml
  /usr/share/icons/hicolor/scalable/apps/kordavina.svg
  /usr/share/kordavina/Formats.ini
  /usr/share/doc/kordavina/help/index.html
  /usr/share/doc/kordavina/help/ctx10.html
  /usr/share/doc/kordavina/examples/Primjer.upl
  /usr/share/doc/kordavina/uputstvo/uputstvo.md
)
for size in 16 22 24 32 48 64 128 256; do
  expected+=("/usr/share/icons/hicolor/${size}x${size}/apps/kordavina.png"
             "/usr/share/icons/hicolor/${size}x${size}/mimetypes/application-x-kordavina-upl.png")
done
for f in "${expected[@]}"; do
  grep -qx "$f" "$tmp/files" || fail "package lacks $f"
done
# Nothing from the build or the developer's machine.
if grep -E '^/usr/local|/build/|\.a$|/include/' "$tmp/files"; then fail "stray files"; fi

# The unpacked tree runs; its first start writes nothing beside itself.
root=$tmp/root
dpkg-deb -x "$deb" "$root"
exe=$root/usr/bin/kordavina
[ "$("$exe" --version)" = "$version" ] || fail "--version"
touch "$tmp/before"
sleep 1
home=$tmp/home
mkdir -p "$home"
run() {
  env -u KORDAVINA_HOME -u KORDAVINA_SETTINGS -u XDG_DATA_HOME -u XDG_CONFIG_HOME \
    HOME="$home" QT_QPA_PLATFORM=offscreen "$exe" "$@"
}
paths=$(run paths)
echo "$paths"
grep -qx "program folder: $home/.local/share/Orvinel/Kordavina" <<<"$paths" || fail "program folder"
grep -qx "help topics: \([0-9]*\) of \1" <<<"$paths" || fail "help topics missing"
if dpkg-query -W -f='${Status}' qt6-translations-l10n 2>/dev/null | grep -q 'ok installed'; then
  grep -q '^qt translation: .*qtbase_\(bs\|hr\)\.qm$' <<<"$paths" || fail "Qt translation not found"
fi
# The shipped format is the user's from the first start.
run grid --pdf "$tmp/grid.pdf" --format "Uplatnica 176 x 100" || fail "grid with the sample format"
[ -s "$tmp/grid.pdf" ] || fail "grid PDF"
run print "$root/usr/share/doc/kordavina/examples/Primjer.upl" --pdf "$tmp/primjer.pdf" \
  || fail "printing the sample file"
[ -s "$tmp/primjer.pdf" ] || fail "sample PDF"
[ -f "$home/.local/share/Orvinel/Kordavina/Formats.ini" ] || fail "Formats.ini not seeded"
# The launcher's command with a slip file, as a file manager runs it: the
# window stays up (a refused argument would end it at once).
exec_line=$(sed -n 's/^Exec=//p' "$root/usr/share/applications/kordavina.desktop")
sample=$root/usr/share/doc/kordavina/examples/Primjer.upl
read -r -a command <<<"${exec_line//%f/$sample}"
[ "${command[0]}" = kordavina ] || fail "Exec runs ${command[0]}"
env -u KORDAVINA_HOME -u KORDAVINA_SETTINGS HOME="$home" QT_QPA_PLATFORM=offscreen \
  PATH="$root/usr/bin:$PATH" "${command[@]}" >"$tmp/gui.log" 2>&1 &
gui=$!
sleep 3
kill -0 "$gui" 2>/dev/null || { cat "$tmp/gui.log"; fail "the launcher's command ended"; }
kill "$gui"; wait "$gui" 2>/dev/null || true

written=$(find "$root" -newer "$tmp/before" ! -type d)
[ -z "$written" ] || fail "written into the installed tree: $written"
[ "$(ls "$root/usr/bin")" = kordavina ] || fail "bin folder: $(ls "$root/usr/bin")"
# The file type and its program as the desktop resolves them (xdg-mime asks
# `mimetype` outside GNOME and KDE), over the unpacked tree's databases.
if command -v update-mime-database >/dev/null && command -v update-desktop-database >/dev/null \
   && command -v xdg-mime >/dev/null && command -v mimetype >/dev/null; then
  update-mime-database "$root/usr/share/mime" >/dev/null
  update-desktop-database "$root/usr/share/applications"
  cp "$sample" "$tmp/mjesec"
  export XDG_DATA_DIRS=$root/usr/share XDG_DATA_HOME=$tmp/none XDG_CURRENT_DESKTOP=X-Generic
  for f in "$sample" "$tmp/mjesec"; do
    type=$(HOME="$home" xdg-mime query filetype "$f")
    [ "$type" = application/x-kordavina-upl ] || fail "xdg-mime: $f is $type"
  done
  app=$(HOME="$home" xdg-mime query default application/x-kordavina-upl)
  [ "$app" = kordavina.desktop ] || fail "xdg-mime: slip files open with '$app'"
else
  echo "xdg-mime check skipped: update-mime-database, update-desktop-database, xdg-mime or mimetype missing"
fi
echo "package OK"
