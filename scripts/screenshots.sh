#!/usr/bin/env bash
# Makes the user guide's pictures (docs/slike/*.png) with the real program on
# a virtual screen, with the sample data of examples/ in a throwaway program
# folder, so they can be made again when the windows change:
#   bash scripts/screenshots.sh [BUILD_DIR]
# Each window is reached the way a user reaches it (menus, shortcuts); a
# window that does not open within a few seconds is reported and left out.
set -uo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
out=docs/slike
for tool in Xvfb xdotool pdftoppm; do
  command -v "$tool" >/dev/null || { echo "$tool is missing (scripts/setup-debian.sh)" >&2; exit 1; }
done
cmake --build "$build" --target kordavina grab_window make_examples >/dev/null || exit 1
exe=$build/app/kordavina
grab=$build/tools/grab_window

tmp=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT

# The sample data, fresh from the generator, in a program folder of its own.
"$build/tools/make_examples" "$tmp/examples" || exit 1
mkdir -p "$tmp/home" "$tmp/Dokumenti" "$out"
cp "$tmp/examples/"{Formats.ini,Kordavina.ini,Racuni.ini} "$tmp/home/"
cp "$tmp/examples/Primjer.upl" "$tmp/Dokumenti/"
export KORDAVINA_HOME=$tmp/home KORDAVINA_SETTINGS=$tmp/settings.ini HOME=$tmp
unset LC_ALL LC_NUMERIC
# Bosnian numbers (Qt reads the locale name itself, no system locale needed),
# UTF-8 text.
kordavina() { env LANG=bs_BA.UTF-8 LC_CTYPE=C.UTF-8 "$exe" "$@"; }

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=$display
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done

made=()
missing=()
WIN=
# find_window REGEX [SECONDS]: WIN := the newest visible window whose title matches.
# Titles are compared as UTF-8 (_NET_WM_NAME, which getwindowname reads):
# `xdotool search --name` matches the legacy WM_NAME instead, where Qt stores
# the UTF-8 bytes under the Latin-1 type, so "š" reaches its regex as four
# bytes and no REGEX with a letter outside ASCII would ever match there.
find_window() {
  local deadline=$((SECONDS + ${2:-5})) w
  WIN=
  while [ $SECONDS -le "$deadline" ]; do
    for w in $(xdotool search --onlyvisible --name . 2>/dev/null); do
      xdotool getwindowname "$w" 2>/dev/null | LC_ALL=C.UTF-8 grep -qE -- "$1" && WIN=$w
    done
    [ -n "$WIN" ] && return 0
    sleep 0.2
  done
  return 1
}
# save NAME: docs/slike/NAME.png from the window WIN.
save() {
  sleep 0.7 # let it paint
  "$grab" "$out/$1.png" "$WIN" && made+=("$1")
}
# shot NAME REGEX [SECONDS]: find the window, save it; WIN stays its id.
shot() {
  if find_window "$2" "${3:-5}"; then
    save "$1"
  else
    missing+=("$1")
    return 1
  fi
}
keys() { xdotool key --clearmodifiers "$@"; sleep 0.4; }
# close_win: Esc for a dialog; a window that stays is unmapped, so that it
# does not cover the next one.
close_win() {
  xdotool windowfocus --sync "$WIN" 2>/dev/null
  keys Escape
  if xdotool search --onlyvisible --name . 2>/dev/null | grep -qx "$WIN"; then
    xdotool windowunmap "$WIN"
  fi
  sleep 0.3
}

# Settings a user would pick: visible fields packed, thousands separated.
printf '[General]\nAlignFields=1\nThousandSep=1\n' >"$KORDAVINA_SETTINGS"

# The program as a user starts it, with a slip file from the launcher.
kordavina "$tmp/Dokumenti/Primjer.upl" >"$tmp/gui.log" 2>&1 &
pids+=($!)
find_window '^Kordavina' 15 || { cat "$tmp/gui.log"; echo "no main window" >&2; exit 1; }
main=$WIN
sleep 1.5 # past the splash
# Wider than designed, so that long names show whole.
xdotool windowsize --sync "$main" 860 y 2>/dev/null || xdotool windowsize "$main" 860 447
WIN=$main; save glavni-prozor
focus_main() { xdotool windowfocus --sync "$main" 2>/dev/null; sleep 0.3; }

# A slip of public revenues: the fifth tile of the slip list (32 pixels
# each, the list's top left found by its label "Uplatnice" in the designed
# layout), clicked as a user does.
focus_main
xdotool mousemove --window "$main" 60 340 click 1; sleep 0.5
WIN=$main; save uplatnica-porez
xdotool mousemove --window "$main" 60 212 click 1; sleep 0.3

# F1: the help window at the main window's topic.
focus_main; keys F1
shot pomoc 'Pomo' && close_win

# Options, catalogues and the format editor from the "Podešavanje" menu.
menu_item() { # menu_item ALT_KEY DOWNS
  focus_main; keys "alt+$1"
  for _ in $(seq "$2"); do keys Down; done
  keys Return
}
menu_item o 0; if shot opstine '^Opštine'; then close_win; else keys Escape Escape; fi
menu_item o 1; if shot racuni '^Računi'; then close_win; else keys Escape Escape; fi
menu_item o 4; if shot posiljaoci '^Pošiljaoci'; then close_win; else keys Escape Escape; fi
menu_item o 5; if shot opcije 'Podešavanje programa'; then close_win; else keys Escape Escape; fi
menu_item o 6; if shot formati 'formata uplatnica'; then close_win; else keys Escape Escape; fi
# Slip properties and multiple entry by their shortcuts.
focus_main; keys ctrl+e
if shot osobine 'Podešavanje uplatnice'; then close_win; else keys Escape; fi
focus_main; keys ctrl+i
if find_window 'Višestruki unos'; then
  xdotool type --delay 80 "300"
  save visestruki-unos
  close_win
else
  missing+=(visestruki-unos)
  keys Escape
fi
# About: "Pomo&ć" is the last menu, reached from the first with Left (its
# key, ć, is not on every keyboard).
focus_main; keys alt+d; keys Left; keys Down; keys Return
if shot o-programu 'O programu'; then close_win; else keys Escape Escape; fi

# The print preview of the sample file.
kordavina preview "$tmp/Dokumenti/Primjer.upl" >/dev/null 2>&1 &
pids+=($!)
if find_window 'Pregled prije štampe' 10; then
  xdotool windowsize --sync "$WIN" 900 620 2>/dev/null
  save pregled
else
  missing+=(pregled)
fi

# What lands on paper: the first slip and the calibration grid, rendered.
if kordavina print "$tmp/Dokumenti/Primjer.upl" --pdf "$tmp/ispis.pdf" >/dev/null 2>&1; then
  pdftoppm -png -r 110 -f 5 -l 5 -singlefile "$tmp/ispis.pdf" "$out/ispis" && made+=(ispis)
fi
if kordavina grid --pdf "$tmp/mreza.pdf" >/dev/null 2>&1; then
  pdftoppm -png -r 80 -singlefile "$tmp/mreza.pdf" "$out/mreza" && made+=(mreza)
fi

echo "made: ${made[*]}"
[ ${#missing[@]} -eq 0 ] || echo "not found (window not built yet?): ${missing[*]}"
