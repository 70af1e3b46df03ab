#!/usr/bin/env bash
# lintian over the Debian packages the package test made: nothing at its default level, and
# nothing with --pedantic beyond the tags listed below, each with the reason it stays.
#   lintian_test.sh PACKAGE_DIR
set -euo pipefail
dir=$1
fail() { echo "FAIL: $*" >&2; exit 1; }
command -v lintian >/dev/null || fail "lintian is missing (bash scripts/install-deps.sh lintian)"
debs=("$dir"/*.deb)
[ -f "${debs[0]}" ] || fail "no packages in $dir"

# Tags a packager would leave as they are, each with its reason:
accepted=(
  # The packages are not uploaded to Debian, so there is no ITP bug for the first entry of the
  # changelog to close.
  initial-upload-closes-no-bugs
)
suppress=$(IFS=,; echo "${accepted[*]}")
status=0
# Root is how CI runs; lintian only warns about it.
lintian --display-info --pedantic --display-experimental --tag-display-limit 0 \
  --fail-on error,warning,info,pedantic,experimental ${suppress:+--suppress-tags "$suppress"} \
  "${debs[@]}" 2>&1 | grep -v 'running with root privileges' >"$dir/lintian.log" ||
  status=${PIPESTATUS[0]}
cat "$dir/lintian.log"
[ "$status" = 0 ] || fail "lintian found the tags above"
echo "lintian: nothing to report on ${debs[*]##*/}"
