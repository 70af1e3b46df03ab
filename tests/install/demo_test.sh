#!/usr/bin/env bash
# scripts/demo.sh on a build that is there: it shows what daxtool-cli finds on the simulator,
# and stops with the simulator's own message when the simulator does not start.
#   demo_test.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source=$1
build=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
demo() { DISPLAY='' BUILD_DIR=$build DEMO_NO_BUILD=1 bash "$source/scripts/demo.sh"; }

demo >"$work/out" 2>"$work/err" || { cat "$work/out" "$work/err" >&2; fail "the demo failed"; }
grep -q '^device: CVelmora' "$work/out" || fail "the demo showed: $(cat "$work/out")"

status=0
DEMO_PROFILE=no-such-profile demo >"$work/out" 2>"$work/err" || status=$?
[ "$status" = 64 ] || fail "an unknown profile ended the demo with $status: $(cat "$work/err")"
grep -q "daxsim: unknown profile 'no-such-profile'" "$work/err" ||
  fail "the simulator's own message is missing: $(cat "$work/err")"
! grep -q '^status:\|^device:' "$work/out" ||
  fail "daxtool-cli ran without a simulator: $(cat "$work/out")"
echo "the demo runs, and stops when the simulator does not start"
