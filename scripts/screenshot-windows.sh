#!/usr/bin/env bash
# Takes docs/windows-main.png, docs/windows-rotational-calibration.png and
# docs/windows-pocket-calibration.png: daxtool.exe under Wine on a virtual X display, in a Wine
# virtual desktop (so the windows have their frames), connected to the simulator through
# dosdevices/com3; the calibration dialogs are opened by their buttons.
#   bash scripts/screenshot.sh --windows    (runs this)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

# Wine's own fonts draw the title bar's buttons (Marlett) and the dialogs' text (Tahoma).
bash scripts/install-deps.sh xvfb x11-utils imagemagick fonts-wine
build=$root/build-win
exe=$build/tree/src/ui/win32/daxtool.exe
probe=$build/tree/tests/winui/window_probe.exe
[ -f "$exe" ] && [ -f "$probe" ] || bash scripts/windows.sh --build
if [ ! -x build/sim/daxsim ]; then
  cmake -S . -B build >/dev/null
  cmake --build build --target daxsim -j"$(nproc)"
fi

dir=$(mktemp -d)
pids=()
export WINEPREFIX=$build/wineprefix-shots
cleanup() {
  for pid in "${pids[@]}"; do
    kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  done
  wineserver -k >/dev/null 2>&1 || true
  rm -f "$WINEPREFIX/dosdevices/com3"
  rm -rf "$dir"
}
trap cleanup EXIT

build/sim/daxsim --profile "${DEMO_PROFILE:-printer}" --port 3 --device-dir "$dir/dev" \
  >"$dir/ready" &
pids+=($!)
for _ in $(seq 100); do
  grep -q '^ready' "$dir/ready" 2>/dev/null && break
  sleep 0.05
done
read -r _ com pts <"$dir/ready"
[ "$com" = COM3 ] || { echo "the simulator did not start" >&2; exit 1; }

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$dir/display" 2>"$dir/xvfb.log" &
pids+=($!)
for _ in $(seq 100); do
  [ -s "$dir/display" ] && break
  sleep 0.05
done
[ -s "$dir/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$dir/display")"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

# A prefix of its own with the X11 driver and one virtual desktop as large as the screen.
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot --init >/dev/null 2>&1 || true
  wineserver -w
fi
wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Korvix\Daxtool\Last Good' /v 'First Port' /t REG_DWORD /d 3 /f \
  >/dev/null 2>&1
ln -sfn "$pts" "$WINEPREFIX/dosdevices/com3"

g++ -shared -fPIC -O2 -o "$dir/pty_modem_lines.so" tests/wine/pty_modem_lines.cpp -ldl
LD_PRELOAD=$dir/pty_modem_lines.so wine "$exe" >"$dir/daxtool.log" 2>&1 &
pids+=($!) # last: the window

# Takes the window with this title out of the virtual desktop.
shoot() { # title, file
  local rect
  rect=$(wine "$probe" rect "$1" 60 | tr -d '\r')
  read -r x y w h <<<"$rect" || true
  [ -n "${h:-}" ] || { echo "the $1 window did not show: $rect" >&2; cat "$dir/daxtool.log" >&2; exit 1; }
  sleep 2 # let it paint
  import -window root -crop "${w}x${h}+${x}+${y}" +repage "$2"
  echo "$2 (${w}x${h})"
}
mkdir -p docs
shoot Daxtool docs/windows-main.png
wine "$probe" press Daxtool 1007 # Calibrate Rotator
shoot "Rotational Calibration" docs/windows-rotational-calibration.png
wine "$probe" press "Rotational Calibration" 1 # Exit
sleep 1
wine "$probe" press Daxtool 1020 # Calibrate Pocket CDs
shoot "Pocket CD Calibration" docs/windows-pocket-calibration.png
wine "$probe" press "Pocket CD Calibration" 1
sleep 1
# Exit; the window's process ends with it.
wine "$probe" press Daxtool 1012 || true
wait "${pids[-1]}" 2>/dev/null || true
exit 0
