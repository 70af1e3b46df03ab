#!/usr/bin/env bash
# Every key of every JSON object daxtool-cli prints is described in the README's "JSON output"
# section and in the manual page's JSON OUTPUT section: the objects are taken from the program
# itself, against the simulator (the report, both calibrations), and from ports and pattern.
#   json_doc_test.sh SOURCE_DIR BUILD_DIR DAXTOOL_CLI DAXSIM
set -euo pipefail
source=$1
build=$2
cli=$3
sim=$4
work=$(mktemp -d)
sim_pid=""
cleanup() {
  [ -z "$sim_pid" ] || kill "$sim_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work
"$sim" --profile basic --port 2 --device-dir "$work/dev" --set reboot_ms=0 >"$work/ready" &
sim_pid=$!
for _ in $(seq 100); do
  grep -q '^ready' "$work/ready" && break
  sleep 0.05
done
grep -q '^ready' "$work/ready" || fail "daxsim did not start"
run() { "$cli" --json --device-dir "$work/dev" "$@" >>"$work/objects" || true; }
run --port 2 info
run --port 2 calibrate-rotator --left 32 --right 32 --left-margin 5 --top-margin 75
run --port 2 calibrate-pocket --size 61 --angle 90
run ports
run pattern grid --png "$work/grid.png"
# A general transporter image for the simulator's basic transporter.
python3 -c '
import sys
image = bytearray(i * 31 % 256 for i in range(9000))
image[160:190] = b"DISC TRANSPORTERVERSION 3.40 C"
image[193:200] = b"Velmora"
open(sys.argv[1], "wb").write(image)' "$work/fw.bin"
run flash-info "$work/fw.bin"
run --port 2 flash "$work/fw.bin" --check
[ "$(wc -l <"$work/objects")" = 7 ] || fail "expected seven objects, got: $(cat "$work/objects")"

# Every key, at any depth.
keys=$(python3 -c '
import json, sys
def walk(v):
    if isinstance(v, dict):
        for k, x in v.items():
            yield k
            yield from walk(x)
    elif isinstance(v, list):
        for x in v:
            yield from walk(x)
keys = set()
for line in open(sys.argv[1]):
    keys.update(walk(json.loads(line)))
print("\n".join(sorted(keys)))' "$work/objects")
grep -q '^rotational_offset$' <<<"$keys" || fail "no calibration round in: $(cat "$work/objects")"
grep -q '^pocket_offset$' <<<"$keys" || fail "no pocket round in: $(cat "$work/objects")"
grep -q '^plan$' <<<"$keys" || fail "no flash check in: $(cat "$work/objects")"
grep -q '^identification$' <<<"$keys" || fail "no flash-info in: $(cat "$work/objects")"

readme=$(sed -n '/^## JSON output/,/^## /p' "$source/README.md")
page=$(gzip -dc "$build/man/daxtool-cli.1.gz" | sed -n '/^\.SH "JSON OUTPUT"/,/^\.SH/p' |
  sed 's/\\-/-/g')
[ -n "$readme" ] || fail "the README has no JSON output section"
[ -n "$page" ] || fail "daxtool-cli.1 has no JSON OUTPUT section"
missing=""
for key in $keys; do
  grep -q "\`$key\`" <<<"$readme" || missing+=" README:$key"
  grep -q "\\\\fB$key\\\\fR\|^\.B $key\$" <<<"$page" || missing+=" man:$key"
done
[ -z "$missing" ] || fail "keys daxtool-cli prints that are not described:$missing"
echo "$(wc -l <<<"$keys") keys, each described in the README and the manual page"
