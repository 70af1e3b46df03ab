#!/usr/bin/env bash
# Takes docs/screenshot.png: daxtool on a virtual X display, connected to the simulator on a
# private COM3 (profile "printer", as the demo); then opens the two calibration dialogs from it
# with their buttons' keys and takes docs/rotational-calibration.png and
# docs/pocket-calibration.png. Builds what is needed first.
#   BUILD_DIR=build-x JOBS=2 bash scripts/screenshot.sh    another build directory, fewer jobs
#   bash scripts/screenshot.sh --windows    the same of daxtool.exe under Wine (docs/windows-*.png)
set -euo pipefail
cd "$(dirname "$0")/.."
[ "${1:-}" = "--windows" ] && exec bash scripts/screenshot-windows.sh

# With the virtual display and the tools that find and grab the window.
bash scripts/install-deps.sh xvfb x11-utils imagemagick xdotool

build=${BUILD_DIR:-build}
cmake -S . -B "$build" >/dev/null
cmake --build "$build" -j"${JOBS:-$(nproc)}" --target daxsim daxtool >/dev/null

dir=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do
    kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  done
  rm -rf "$dir"
}
trap cleanup EXIT

"$build"/sim/daxsim --profile "${DEMO_PROFILE:-printer}" --port 3 --device-dir "$dir/dev" \
  >"$dir/ready" &
pids+=($!)
for _ in $(seq 100); do
  grep -q '^ready' "$dir/ready" 2>/dev/null && break
  sleep 0.05
done
grep -q '^ready' "$dir/ready" || { echo "the simulator did not start" >&2; exit 1; }

# Xvfb picks a free display number and writes it to fd 3.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$dir/display" 2>"$dir/xvfb.log" &
pids+=($!)
for _ in $(seq 100); do
  [ -s "$dir/display" ] && break
  sleep 0.05
done
[ -s "$dir/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$dir/display")"

export XDG_CONFIG_HOME="$dir/config" XDG_RUNTIME_DIR="$dir" DAXTOOL_DEVICE_DIR="$dir/dev"
export QT_QPA_PLATFORM=xcb
"$build"/src/ui/qt/daxtool >"$dir/daxtool.log" 2>&1 &
pids+=($!)

# The main window is the program's one tall window (the "Scanning..." box and message boxes
# are short ones).
window=""
for _ in $(seq 200); do
  for id in $(xwininfo -root -children 2>/dev/null |
    sed -n 's/^ *\(0x[0-9a-f]*\) .*("daxtool" .*/\1/p'); do
    info=$(xwininfo -id "$id")
    if grep -q 'IsViewable' <<<"$info" &&
      [ "$(sed -n 's/^ *Height: //p' <<<"$info")" -gt 300 ]; then
      window=$id
    fi
  done
  [ -n "$window" ] && break
  sleep 0.1
done
if [ -z "$window" ]; then
  echo "the daxtool window did not show; its output:" >&2
  cat "$dir/daxtool.log" >&2
  exit 1
fi
sleep 1 # let it paint
mkdir -p docs
import -window "$window" docs/screenshot.png
echo "docs/screenshot.png ($(identify -format '%wx%h' docs/screenshot.png))"

# A dialog opened by a key of the main window, taken, then left with Escape (its Exit).
shoot_dialog() {
  local key=$1 title=$2 file=$3 dialog=""
  xdotool windowfocus --sync "$window" key --window "$window" "$key"
  for _ in $(seq 100); do
    dialog=$(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null | head -n1 || true)
    [ -n "$dialog" ] && break
    sleep 0.1
  done
  if [ -z "$dialog" ]; then
    echo "the $title dialog did not show; daxtool's output:" >&2
    cat "$dir/daxtool.log" >&2
    exit 1
  fi
  sleep 1
  import -window "$dialog" "$file"
  echo "$file ($(identify -format '%wx%h' "$file"))"
  # The dialog goes on the key press: the release may find no window left.
  xdotool windowfocus --sync "$dialog" key --window "$dialog" Escape 2>/dev/null || true
  for _ in $(seq 100); do
    xdotool search --onlyvisible --name "^$title\$" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
}
shoot_dialog alt+c "Rotational Calibration" docs/rotational-calibration.png
shoot_dialog alt+k "Pocket CD Calibration" docs/pocket-calibration.png
