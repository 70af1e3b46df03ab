#!/usr/bin/env bash
# The end-to-end check of the Windows build under Wine: daxsim (native) serves a transporter on
# a pseudo-terminal, Wine's dosdevices/com5 links to it, and daxtool-cli.exe must list COM5 and
# find the transporter there with `info`; daxtool.exe, the window, must find it with its start-up
# scan, show its identification, and keep the port and rate in the registry when Exit is pressed.
#   bash scripts/windows-e2e.sh BUILD_DIR   (scripts/windows.sh runs it after the tests)
# Needs the native daxsim and daxtool-cli, which it builds in build/ when they are not there.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${1:-$root/build-win}
cli=$build/tree/src/cli/daxtool-cli.exe
window=$build/tree/src/ui/win32/daxtool.exe
probe=$build/tree/tests/winui/window_probe.exe
export WINEPREFIX=${WINEPREFIX:-$build/wineprefix}
export WINEDEBUG=-all
export DISPLAY=

if [ ! -x build/sim/daxsim ] || [ ! -x build/src/cli/daxtool-cli ]; then
  cmake -S . -B build >/dev/null
  cmake --build build --target daxsim daxtool-cli -j"$(nproc)"
fi

work=$(mktemp -d "$build/e2e.XXXXXX")
sim_pid=
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  rm -f "$WINEPREFIX/dosdevices/com5"
  rm -rf "$work"
}
trap cleanup EXIT

# Wine on a pseudo-terminal: TIOCMGET fails there, and with it GetCommModemStatus (error 50),
# where a real port with its cable reports CTS. A shim preloaded into Wine answers for the
# missing modem lines; the program itself is left as it is on Windows.
g++ -shared -fPIC -O2 -o "$work/pty_modem_lines.so" tests/wine/pty_modem_lines.cpp -ldl

build/sim/daxsim --profile basic --port 5 --device-dir "$work/devices" --log "$work/sim.log" \
  >"$work/ready" 2>&1 &
sim_pid=$!
for _ in $(seq 50); do
  grep -q '^ready ' "$work/ready" && break
  sleep 0.1
done
read -r _ com pts <"$work/ready"
[ "$com" = COM5 ] || { echo "daxsim did not start: $(cat "$work/ready")"; exit 1; }
ln -sfn "$pts" "$WINEPREFIX/dosdevices/com5"

# Settings from an earlier run must not answer for this one.
wine reg delete 'HKCU\Software\Korvix\Daxtool' /f >/dev/null 2>&1 || true

fail=0
passed=0
check() { # name, expected text, command...
  local name=$1 want=$2 out rc
  shift 2
  set +e
  out=$(LD_PRELOAD=$work/pty_modem_lines.so timeout 120 wine "$@" 2>&1)
  rc=$?
  set -e
  if [ $rc -eq 0 ] && grep -q -- "$want" <<<"$out"; then
    echo "[  PASSED  ] $name"
    passed=$((passed + 1))
  else
    echo "[  FAILED  ] $name (exit $rc)"
    echo "$out"
    fail=$((fail + 1))
  fi
}
# The port is named with --port: Wine knows a dosdevices link to a pseudo-terminal when it is
# opened, but does not list it among the system's device names, which is what `ports` and the
# scan without --port go by on Windows.
check "--version reads the version block" "^Version [0-9]*\.[0-9]*\.[0-9]*\.0" "$cli" --version
check "info finds the transporter on COM5" "^device: CVelmora" "$cli" --port 5 info
check "info --json names the port" '"port_path":"\\\\\\\\.\\\\COM5"' "$cli" --port 5 --json info
# The close sequence keeps the rate found and, as the program always has, the port after the
# one in use as the next scan's first.
check "the registry keeps the next first port" "First Port.*REG_DWORD.*0x6" \
  reg query 'HKCU\Software\Korvix\Daxtool\Last Good'
check "the registry keeps the last good rate" "Baud Rate.*REG_DWORD.*0x9600" \
  reg query 'HKCU\Software\Korvix\Daxtool\Last Good'

# The window: its start-up scan begins at the remembered port, finds the transporter there behind
# the wait box, and shows it; Exit, pressed from outside as a technician would, writes the port
# after it and the rate found. (Wine's null graphics driver: the windows are real but unseen.)
wine reg delete 'HKCU\Software\Korvix\Daxtool' /f >/dev/null 2>&1 || true
wine reg add 'HKCU\Software\Korvix\Daxtool\Last Good' /v 'First Port' /t REG_DWORD /d 5 /f \
  >/dev/null 2>&1
LD_PRELOAD=$work/pty_modem_lines.so timeout 120 wine "$window" >"$work/window.out" 2>&1 &
window_pid=$!
check "the window shows the transporter it found" "^inquiry: DISC TRANSPORTER" "$probe" 90
wait "$window_pid" || true
check "the window's Exit keeps the next first port" "First Port.*REG_DWORD.*0x6" \
  reg query 'HKCU\Software\Korvix\Daxtool\Last Good'
check "the window's Exit keeps the rate found" "Baud Rate.*REG_DWORD.*0x9600" \
  reg query 'HKCU\Software\Korvix\Daxtool\Last Good'

# The Windows build writes its PNG pictures without libpng: the same dots as the Linux build's.
check "pattern grid writes a PNG" "^png: " "$cli" pattern grid --png "Z:$work/win.png"
build/src/cli/daxtool-cli pattern grid --png "$work/linux.png" >/dev/null
if python3 scripts/png_rows.py "$work/win.png" "$work/linux.png"; then
  echo "[  PASSED  ] the grid's PNG has the same dots as on Linux"
  passed=$((passed + 1))
else
  echo "[  FAILED  ] the grid's PNG has the same dots as on Linux"
  fail=$((fail + 1))
fi
echo "wine: $passed passed, $fail failed"
[ "$fail" -eq 0 ]
