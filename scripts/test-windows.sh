#!/usr/bin/env bash
# Builds the Windows program (CMake preset "windows": mingw-w64 and the Qt of
# ../shared/toolchains, or of $KORDAVINA_TOOLCHAINS), packs it
# (scripts/package-windows.sh) and tests it under Wine, in a fresh Wine prefix
# of its own in a temporary folder:
#   - every test of the build that can run under Wine (offscreen platform);
#     each one left out is named with the reason;
#   - a PDF printed by the Windows program holds the same glyphs at the same
#     places as the Linux program's (within 0.05 mm);
#   - the installer installs silently into Program Files, the installed
#     program prints, the .upl file type is in the registry, and the silent
#     uninstaller removes the files and keys again.
# Ends with "N passed, N failed"; exit status 1 when anything failed.
#   bash scripts/test-windows.sh
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
[ "${KORDAVINA_SKIP_SETUP:-0}" = 1 ] || bash scripts/setup-debian.sh
export KORDAVINA_TOOLCHAINS=${KORDAVINA_TOOLCHAINS:-$(realpath -m "$root/../shared/toolchains")}
jobs=$(nproc)
python=/usr/bin/python3 # Debian's, with python3-pdfminer

clock() { date +%s; }
t_start=$(clock)

# --- build and pack -----------------------------------------------------------
cmake --preset windows >/dev/null
cmake --build build-win -j "$jobs"
t_built=$(clock)
bash scripts/package-windows.sh build-win
version=$(sed -n 's/^project(Kordavina VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
# The Linux program, to compare printed PDFs with (scripts/test.sh built it).
if [ ! -x build/app/kordavina ]; then
  cmake --preset default >/dev/null
  cmake --build build -j "$jobs" --target kordavina
fi

# --- a fresh Wine prefix --------------------------------------------------------
work=$(mktemp -d /tmp/kordavina-wine.XXXXXX)
export WINEPREFIX=$work/prefix WINEARCH=win64 WINEDEBUG=-all
# No Mono or Gecko: nothing here needs them, and their installers would ask.
export WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
winpath() { printf 'Z:%s' "${1//\//\\}"; } # a Unix path as Wine's drive Z: shows it

wineboot -i >/dev/null 2>&1
# A bare prefix has no Arial, and Wine would put another family in its place,
# moving every glyph: Liberation Sans has Arial's widths (as on Linux).
fonts=/usr/share/fonts/truetype/liberation2
cp "$fonts"/Liberation{Sans,Serif,Mono}-*.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
cat > "$work/fonts.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"Arial"="Liberation Sans"
"Times New Roman"="Liberation Serif"
"Courier New"="Liberation Mono"

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes]
"Arial"="Liberation Sans"
"Times New Roman"="Liberation Serif"
"Courier New"="Liberation Mono"
REG
wine regedit /S "$(winpath "$work/fonts.reg")" >/dev/null 2>&1
wineserver -w
t_prefix=$(clock)

# The DLLs of the build's executables: the mingw Qt and the compiler's runtime.
qt=$(sed -n 's/^KORDAVINA_MINGW_QT_DIR:INTERNAL=//p' build-win/CMakeCache.txt)
runtime=$(sed -n 's/^KORDAVINA_MINGW_RUNTIME:INTERNAL=//p' build-win/CMakeCache.txt)
dll_path=$(winpath "$qt/bin")
for dll in ${runtime//;/ }; do dll_path+=";$(winpath "$(dirname "$dll")")"; done
export WINEPATH=$dll_path
# Wine hands no QT_* variable of the Unix side to a Windows program (a Linux
# setting would mislead it); WINEQT_X reaches it as QT_X.
export WINEQT_PLUGIN_PATH=$(winpath "$qt/plugins")

passed=0
failed=0
failures=()
pass() { passed=$((passed + 1)); echo "PASS  $1"; }
fail() { failed=$((failed + 1)); failures+=("$1"); echo "FAIL  $1${2:+: $2}"; }

# --- the build's tests under Wine -------------------------------------------------
# Left out, with the reason (everything else runs):
declare -A skip=(
  [tst_filesafety]="its cases are Unix ones (FIFOs, device files, a really full tmpfs, symbolic links, group permission bits); tst_safefile_win covers the Windows side"
  [tst_cli_safety]="feeds FIFOs and /dev files to the commands; the Windows side of the same rules is tst_safefile_win"
  [tst_zorprinter]="adds a CUPS queue with lpadmin; printing to a printer on Windows goes through Qt's Windows print support"
  [tst_printcli]="reads PDFs back with Linux's python3 and pdfminer inside the test; the PDF comparison below does that for the Windows build"
  [tst_printcorrection]="reads PDFs back with Linux's python3 and pdfminer inside the test"
)
mapfile -t tests < <(cd build-win && ctest --show-only=json-v1 | "$python" -c '
import json, sys
for t in json.load(sys.stdin)["tests"]:
    print(t["name"] + "\t" + t["command"][0])')
logs=$work/logs
mkdir -p "$logs"
# Tests of windows run offscreen, as on Linux: a headless Wine cannot make
# real windows. That platform reads fonts from one folder and has no
# substitutes: with only Liberation Sans and Serif there, Arial falls to
# Liberation Sans, as fontconfig makes it on Linux. The other tests (model,
# printing, the command line) use the Windows platform and its fonts, as the
# program's command line does.
offscreen_fonts=$work/offscreen-fonts
mkdir -p "$offscreen_fonts"
cp "$fonts"/Liberation{Sans,Serif}-*.ttf "$offscreen_fonts/"
run_test() { # name exe: exit status of the test under Wine; its report in $logs/name.log
  local name=$1 exe=$2 status=0 platform=()
  case $exe in
  */build-win/tests/ui/* | */build-win/tests/controls/*)
    platform=(WINEQT_QPA_PLATFORM=offscreen "WINEQT_QPA_FONTDIR=$(winpath "$offscreen_fonts")") ;;
  esac
  (cd "$(dirname "$exe")" && env "${platform[@]}" timeout 600 wine "$exe" \
     -o "$(winpath "$logs/$name.log"),txt" >"$logs/$name.out" 2>&1) || status=$?
  cat "$logs/$name.out" >>"$logs/$name.log" 2>/dev/null || true
  return $status
}
t_tests0=$(clock)
# The registry test first, alone: it needs the program's key not yet made.
for line in "${tests[@]}"; do
  if [ "${line%%$'\t'*}" = tst_settings_win ]; then
    run_test tst_settings_win "${line#*$'\t'}" && echo 0 >"$logs/tst_settings_win.status" ||
      echo $? >"$logs/tst_settings_win.status"
  fi
done
for line in "${tests[@]}"; do
  name=${line%%$'\t'*}
  exe=${line#*$'\t'}
  [ "$name" = tst_settings_win ] && continue
  if [ -n "${skip[$name]:-}" ]; then
    echo "SKIP  $name: ${skip[$name]}"
    continue
  fi
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n || true; done
  (run_test "$name" "$exe" && echo 0 >"$logs/$name.status" || echo $? >"$logs/$name.status") &
done
wait
unsteady=()
for line in "${tests[@]}"; do
  name=${line%%$'\t'*}
  exe=${line#*$'\t'}
  [ -n "${skip[$name]:-}" ] && continue
  if [ "$(cat "$logs/$name.status" 2>/dev/null)" = 0 ]; then
    pass "$name"
  elif [ "$name" != tst_settings_win ] && mv "$logs/$name.log" "$logs/$name.first.log" &&
       run_test "$name" "$exe"; then
    # Wine under the load of parallel tests is slower than any desktop: a test
    # that fails there and passes alone is named, with its first failure.
    pass "$name (failed beside other tests, passed alone)"
    unsteady+=("$name")
    grep -E '^(FAIL!| +(Actual|Expected|Loc))' "$logs/$name.first.log" | head -n 6 | sed 's/^/      /'
  else
    fail "$name" "exit $(cat "$logs/$name.status" 2>/dev/null)"
    tail -n 30 "$logs/$name.log" | sed 's/^/      /'
  fi
done
t_tests=$(clock)

# --- the same PDF from both builds ------------------------------------------------
# KORDAVINA_HOME gives both programs the same Formats.ini; the sample slip file
# has Bosnian letters in every kind of field.
compare_pdf() { # label windows-exe slip-file
  local label=$1 exe=$2 slips=$3 home=$work/home-$1
  mkdir -p "$home"
  cp examples/Formats.ini "$home/"
  KORDAVINA_HOME=$home QT_QPA_PLATFORM=offscreen build/app/kordavina \
    print "$slips" --pdf "$home/linux.pdf" >/dev/null
  if ! KORDAVINA_HOME=$(winpath "$home") wine "$exe" print "$(winpath "$slips")" \
       --pdf "$(winpath "$home/windows.pdf")" >"$home/print.log" 2>&1; then
    fail "$label" "$(head -c 300 "$home/print.log")"
    return
  fi
  local verdict
  if verdict=$("$python" tests/print/formats/pdf_compare.py "$home/linux.pdf" "$home/windows.pdf" 0.05); then
    pass "$label ($verdict)"
  else
    fail "$label" "$verdict"
  fi
}
compare_pdf pdf_same_as_linux "$root/build-win/deploy/Kordavina/kordavina.exe" "$root/examples/Primjer.upl"
# A job of 16 pages or more is laid out ahead on worker threads on Linux: the
# sample's slips five times over, made through the CSV commands.
big=$work/big
mkdir -p "$big"
QT_QPA_PLATFORM=offscreen KORDAVINA_HOME=$big build/app/kordavina export-csv examples/Primjer.upl "$big/one.csv"
{ cat "$big/one.csv"; for _ in 1 2 3 4; do tail -n +2 "$big/one.csv"; done; } >"$big/five.csv"
QT_QPA_PLATFORM=offscreen KORDAVINA_HOME=$big build/app/kordavina import-csv "$big/five.csv" "$big/Velika.upl" >/dev/null
compare_pdf pdf_same_as_linux_big_job "$root/build-win/deploy/Kordavina/kordavina.exe" "$big/Velika.upl"
t_pdf=$(clock)

# --- the installer ------------------------------------------------------------------
setup=build-win/kordavina-$version-setup.exe
program_files="$WINEPREFIX/drive_c/Program Files/Kordavina"
reg_has() { wine reg query "$1" ${2:+/ve} >"$work/reg.out" 2>&1 && grep -qF "$2" "$work/reg.out"; }
if wine "$(winpath "$root/$setup")" /S >"$work/setup.log" 2>&1 && wineserver -w &&
   [ -f "$program_files/kordavina.exe" ] && [ -f "$program_files/platforms/qwindows.dll" ] &&
   [ -f "$program_files/uninstall.exe" ]; then
  pass "installer_installs_silently"
else
  fail "installer_installs_silently" "$(ls "$program_files" 2>&1 | head -5 | tr '\n' ' ')"
fi
if reg_has 'HKCR\.upl' 'Kordavina.Uplatnice' &&
   reg_has 'HKCR\Kordavina.Uplatnice\shell\open\command' 'C:\Program Files\Kordavina\kordavina.exe" "%1"' &&
   reg_has 'HKCR\Kordavina.Uplatnice\DefaultIcon' 'kordavina.ico'; then
  pass "installer_registers_upl_file_type"
else
  fail "installer_registers_upl_file_type" "$(cat "$work/reg.out" | head -5)"
fi
lnk=$(find "$WINEPREFIX/drive_c" -iname 'Kordavina.lnk' | head -1)
if [ -n "$lnk" ]; then pass "installer_start_menu_shortcut"; else fail "installer_start_menu_shortcut"; fi
compare_pdf installed_program_prints_same_pdf "C:\\Program Files\\Kordavina\\kordavina.exe" "$root/examples/Primjer.upl"
# The installed program, started without KORDAVINA_HOME, keeps its files in
# %APPDATA%\Orvinel\Kordavina (a first start there gets the shipped Formats.ini).
appdata=$(find "$WINEPREFIX/drive_c/users" -type d -path '*/AppData/Roaming' | head -1)
if wine "C:\\Program Files\\Kordavina\\kordavina.exe" print "$(winpath "$root/examples/Primjer.upl")" \
     --pdf "$(winpath "$work/appdata.pdf")" >"$work/appdata.log" 2>&1 &&
   [ -s "$work/appdata.pdf" ] && [ -f "$appdata/Orvinel/Kordavina/Formats.ini" ] &&
   [ ! -e "$program_files/Kordavina.ini" ]; then
  pass "installed_program_keeps_files_in_appdata"
else
  fail "installed_program_keeps_files_in_appdata" "$(head -c 300 "$work/appdata.log")"
fi
if wine "C:\\Program Files\\Kordavina\\uninstall.exe" /S >"$work/uninstall.log" 2>&1 &&
   wineserver -w && sleep 2 && [ ! -e "$program_files" ] &&
   ! wine reg query 'HKCR\.upl' >/dev/null 2>&1 &&
   ! wine reg query 'HKCR\Kordavina.Uplatnice' >/dev/null 2>&1 &&
   ! wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Kordavina' >/dev/null 2>&1 &&
   [ -z "$(find "$WINEPREFIX/drive_c" -iname 'Kordavina.lnk')" ]; then
  pass "uninstaller_removes_files_and_keys"
else
  fail "uninstaller_removes_files_and_keys" "$(ls "$program_files" 2>&1 | head -5 | tr '\n' ' ')"
fi
t_end=$(clock)

echo
echo "times: build $((t_built - t_start)) s, Wine prefix $((t_prefix - t_built)) s (with packing)," \
     "tests $((t_tests - t_tests0)) s, PDF comparison $((t_pdf - t_tests)) s," \
     "installer $((t_end - t_pdf)) s, all $((t_end - t_start)) s"
[ ${#unsteady[@]} -eq 0 ] || echo "passed only alone: ${unsteady[*]}"
[ ${#failures[@]} -eq 0 ] || echo "failed: ${failures[*]}"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
