#!/usr/bin/env bash
# Builds what is needed, starts the simulator on a private COM3 and shows what daxtool-cli
# finds on it. Extra arguments replace the command (default: info), for example:
#   bash scripts/demo.sh set-serial --transporter DX000123 --printer PR000045
#   DEMO_PROFILE=qt6400 bash scripts/demo.sh info --json
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build >/dev/null
cmake --build build -j"$(nproc)" --target daxsim daxtool-cli >/dev/null

dir=$(mktemp -d)
sim_pid=""
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  rm -rf "$dir"
}
trap cleanup EXIT

build/sim/daxsim --profile "${DEMO_PROFILE:-printer}" --port 3 --device-dir "$dir/dev" \
  --set reboot_ms=500 >"$dir/ready" &
sim_pid=$!
for _ in $(seq 100); do
  grep -q '^ready' "$dir/ready" 2>/dev/null && break
  sleep 0.05
done
echo "simulator: $(cat "$dir/ready")"

[ $# -eq 0 ] && set -- info
export XDG_CONFIG_HOME="$dir/config" XDG_RUNTIME_DIR="$dir"
build/src/cli/daxtool-cli --device-dir "$dir/dev" "$@"
