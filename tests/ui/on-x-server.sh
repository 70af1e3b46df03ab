#!/usr/bin/env bash
# Runs window tests on a private X server (Xvfb) under a small window manager, where mapping,
# painting and the window manager's pings happen as on a technician's desktop; the offscreen
# platform does none of that.
#   on-x-server.sh UI_TESTS_PROGRAM GTEST_FILTER
set -euo pipefail
program=$1
filter=$2
for tool in Xvfb matchbox-window-manager xprop; do
  command -v "$tool" >/dev/null || {
    echo "$tool is missing: run scripts/install-deps.sh" >&2
    exit 1
  }
done

# Under the sanitizers, the desktop libraries' own leaks are not the program's.
export LSAN_OPTIONS="suppressions=$(cd "$(dirname "$0")" && pwd)/lsan-system-libraries.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"

dir=$(mktemp -d)
pids=()
cleanup_servers() {
  for pid in "${pids[@]}"; do
    kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null || true
  done
  pids=()
}
cleanup() {
  cleanup_servers
  rm -rf "$dir"
}
trap cleanup EXIT

# Xvfb picks a free display number and writes it to fd 3. On a busy machine (window tests of
# other builds side by side) a server can lose its display before it serves, so a start that does
# not lead to a window manager on the root window is tried again.
start_desktop() {
  : >"$dir/display"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$dir/display" 2>"$dir/xvfb.log" &
  pids+=($!)
  for _ in $(seq 200); do
    [ -s "$dir/display" ] && break
    sleep 0.05
  done
  [ -s "$dir/display" ] || { echo "Xvfb did not start" >&2; cat "$dir/xvfb.log" >&2; return 1; }
  export DISPLAY=":$(head -n1 "$dir/display")"
  # The server answers before the window manager may connect.
  for _ in $(seq 200); do
    xprop -root >/dev/null 2>&1 && break
    sleep 0.05
  done
  matchbox-window-manager -use_titlebar yes >"$dir/wm.log" 2>&1 &
  pids+=($!)
  # The window manager has taken the screen once it names itself on the root window.
  for _ in $(seq 200); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
    sleep 0.05
  done
  echo "the window manager did not start on $DISPLAY" >&2
  cat "$dir/wm.log" "$dir/xvfb.log" >&2
  return 1
}
started=false
for _ in 1 2 3; do
  if start_desktop; then
    started=true
    break
  fi
  cleanup_servers
done
$started || exit 1

QT_QPA_PLATFORM=xcb "$program" --gtest_filter="$filter"
