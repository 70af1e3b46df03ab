#!/usr/bin/env bash
# The bash completion of daxtool-cli, as bash runs it: every command of `daxtool-cli --help`,
# options after a command, option values, the existing ports for --port, and files for flash.
#   completion_test.sh DAXTOOL_CLI COMPLETION_FILE
set -euo pipefail
cli=$1
completion=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# shellcheck disable=SC1090
source "$completion"
complete_line() {
  COMP_WORDS=("$@")
  COMP_CWORD=$(($# - 1))
  COMPREPLY=()
  _daxtool_cli 2>/dev/null
  [ ${#COMPREPLY[@]} -eq 0 ] || printf "%s\n" "${COMPREPLY[@]}" | sort | tr "\n" " "
}

commands=$("$cli" --help | sed -n '/^Subcommands:/,/^$/s/^  \([a-z][a-z-]*\).*/\1/p' | sort | tr '\n' ' ')
[ -n "$commands" ] || fail "no commands in daxtool-cli --help"
got=$(complete_line daxtool-cli "")
[ "$got" = "$commands" ] || fail "commands: got '$got', --help lists '$commands'"

got=$(complete_line daxtool-cli --json set-params --o)
[ "$got" = "--override " ] || fail "set-params --o: got '$got'"
got=$(complete_line daxtool-cli set-params --shutdown "")
[ "$got" = "0 1 " ] || fail "set-params --shutdown: got '$got'"
got=$(complete_line daxtool-cli -T)
[ "$got" = "-Test1 " ] || fail "the test level: got '$got'"
got=$(complete_line daxtool-cli info --j)
[ "$got" = "--json " ] || fail "a global option after the command: got '$got'"
got=$(complete_line daxtool-cli pattern --p)
[ "$got" = "--png " ] || fail "pattern takes no --port: got '$got'"

cd "$work"
mkdir firmware
touch firmware/tr3070.bin "firmware/with space.bin"
got=$(complete_line daxtool-cli flash firmware/)
[ "$got" = "firmware/tr3070.bin firmware/with space.bin " ] || fail "flash files: got '$got'"
got=$(complete_line daxtool-cli --device-dir fi)
[ "$got" = "firmware " ] || fail "--device-dir: got '$got'"
got=$(complete_line daxtool-cli pattern "")
[ "$got" = "grid marks " ] || fail "pattern names: got '$got'"
got=$(complete_line daxtool-cli scan firmware/)
[ -z "$got" ] || fail "scan takes no file, got '$got'"

# --port offers the COM ports that exist, in the device directory the line names: two
# pseudo-terminals stand in for serial adapters, and an entry that is no serial device is left out.
mkdir dev
python3 -c 'import os, pty, sys, time
for _ in range(2):
    m, s = pty.openpty()
    print(os.ttyname(s))
sys.stdout.flush()
time.sleep(120)' > ptys.txt &
pty_holder=$!
trap 'kill $pty_holder 2>/dev/null; rm -rf "$work"' EXIT
for _ in $(seq 100); do [ "$(wc -l < ptys.txt)" = 2 ] && break; sleep 0.05; done
ln -s "$(sed -n 1p ptys.txt)" dev/com5
ln -s "$(sed -n 2p ptys.txt)" dev/com12
ln -s /dev/null dev/com7
got=$(complete_line "$cli" --device-dir dev info --port "")
[ "$got" = "12 5 " ] || fail "--port: got '$got'"
got=$(complete_line "$cli" --device-dir=dev --port c)
[ "$got" = "COM12 COM5 " ] || fail "--port c: got '$got'"
got=$(DAXTOOL_DEVICE_DIR=$work/dev complete_line "$cli" info --port 1)
[ "$got" = "12 " ] || fail "--port 1 with \$DAXTOOL_DEVICE_DIR: got '$got'"
echo "completion offers: $commands"
