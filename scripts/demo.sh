#!/usr/bin/env bash
# Builds what is needed and starts the simulator on a private COM3. With a display ($DISPLAY)
# it opens the daxtool window on it; without one it shows what daxtool-cli finds there.
# Arguments are a daxtool-cli command and run it instead (default: info), for example:
#   bash scripts/demo.sh set-serial --transporter DX000123 --printer PR000045
#   DEMO_PROFILE=qt6400 bash scripts/demo.sh info --json
# BUILD_DIR=dir DEMO_NO_BUILD=1 runs the programs of a build that is already there.
set -euo pipefail
cd "$(dirname "$0")/.."

say() { echo "demo: $*"; }

build=${BUILD_DIR:-build}
window=""
[ -n "${DISPLAY:-}" ] && [ $# -eq 0 ] && window=1
if [ -z "${DEMO_NO_BUILD:-}" ]; then
  say "checking the build's Debian packages"
  bash scripts/install-deps.sh
  say "configuring the build in $build/"
  cmake -S . -B "$build" -DCMAKE_UNITY_BUILD=ON >/dev/null # as scripts/test.sh builds it
  targets=(daxsim daxtool-cli)
  [ -n "$window" ] && targets+=(daxtool)
  say "building ${targets[*]} (the first build takes a few minutes on 2 cores)"
  # One line per file compiled, so a long first build is seen to move; all of it on a failure.
  log=$(mktemp)
  if ! cmake --build "$build" -j"$(nproc)" --target "${targets[@]}" 2>&1 | tee "$log" |
    sed -un 's|CMakeFiles/[^/]*\.dir/||
             s/^\[ *\([0-9]*%\)\] Building CXX object \(.*\)\.o$/  [\1] compiling \2/p
             s/^\[ *\([0-9]*%\)\] Linking CXX executable \(.*\)$/  [\1] linking \2/p'; then
    cat "$log" >&2
    rm -f "$log"
    exit 1
  fi
  rm -f "$log"
  say "built"
fi

dir=$(mktemp -d)
sim_pid=""
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  rm -rf "$dir"
}
trap cleanup EXIT

profile=${DEMO_PROFILE:-printer}
# The simulator's own messages (an unknown profile, a bad setting) go straight to stderr.
"$build/sim/daxsim" --profile "$profile" --port 3 --device-dir "$dir/dev" \
  --set reboot_ms=500 >"$dir/ready" &
sim_pid=$!
for _ in $(seq 100); do
  grep -q '^ready' "$dir/ready" 2>/dev/null && break
  kill -0 "$sim_pid" 2>/dev/null || break # it ended: there is nothing to wait for
  sleep 0.05
done
if ! grep -q '^ready' "$dir/ready" 2>/dev/null; then
  status=0
  if kill -0 "$sim_pid" 2>/dev/null; then
    say "the simulator did not say it was ready within 5 s" >&2
    status=1
  else
    wait "$sim_pid" || status=$?
    sim_pid=""
    say "the simulator did not start (profile $profile; $build/sim/daxsim --list-profiles" \
      "names them)" >&2
  fi
  exit $((status == 0 ? 1 : status))
fi
echo "simulator: $(cat "$dir/ready")"

export XDG_CONFIG_HOME="$dir/config" XDG_RUNTIME_DIR="$dir"
# As on a technician's machine that found the transporter before: COM3 at 38400 is tried first.
mkdir -p "$dir/config/Korvix"
printf '[Last%%20Good]\nBaud%%20Rate=38400\nFirst%%20Port=3\n' >"$dir/config/Korvix/Daxtool.conf"
if [ -n "$window" ] && [ -x "$build/src/ui/qt/daxtool" ]; then
  echo "daxtool is open on the simulator; close it to end the demo"
  DAXTOOL_DEVICE_DIR="$dir/dev" "$build/src/ui/qt/daxtool"
  exit 0
fi
[ $# -eq 0 ] && set -- info
"$build/src/cli/daxtool-cli" --device-dir "$dir/dev" "$@"
