#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks what a user and a packager find there.
#   install_test.sh BUILD_DIR WINDOW(0|1)
set -euo pipefail
build=$1
window=$2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null

expected=(
  bin/daxtool-cli bin/daxsim
  share/man/man1/daxtool-cli.1.gz share/man/man1/daxsim.1.gz
  share/bash-completion/completions/daxtool-cli
  share/doc/daxtool/README.md share/doc/daxtool/copyright
)
if [ "$window" = 1 ]; then
  expected+=(bin/daxtool share/man/man1/daxtool.1.gz share/applications/daxtool.desktop
    share/icons/hicolor/scalable/apps/daxtool.svg)
  for size in 16 22 24 32 48 64 128 256; do
    png=share/icons/hicolor/${size}x${size}/apps/daxtool.png
    expected+=("$png")
  done
fi
for f in "${expected[@]}"; do
  [ -f "$prefix/$f" ] || fail "$f is not installed"
done
[ "$window" = 1 ] || [ ! -e "$prefix/bin/daxtool" ] || fail "daxtool installed without the window"
# The layer libraries, test programs and headers are the build's own.
stray=$(cd "$prefix" && find . -name '*.a' -o -name '*_tests' -o -name '*.h' | head -3)
[ -z "$stray" ] || fail "build-only files installed: $stray"

# Each PNG is of the size its folder says (width and height in the IHDR chunk).
if [ "$window" = 1 ]; then
  for size in 16 22 24 32 48 64 128 256; do
    png=$prefix/share/icons/hicolor/${size}x${size}/apps/daxtool.png
    dims=$(od -An -tu1 -j16 -N8 "$png" | awk '{print $3*256+$4 "x" $7*256+$8}')
    [ "$dims" = "${size}x${size}" ] || fail "$png is $dims"
  done
  desktop=$prefix/share/applications/daxtool.desktop
  grep -qx 'Exec=daxtool' "$desktop" || fail "the desktop entry does not start daxtool"
  grep -qx 'Icon=daxtool' "$desktop" || fail "the desktop entry does not name the icon"
fi

# The installed programs run from the prefix.
version=$("$prefix/bin/daxtool-cli" --version) || fail "installed daxtool-cli --version failed"
[[ $version == "daxtool-cli "* ]] || fail "daxtool-cli --version said: $version"

# The manual pages come from the programs' help: every command of daxtool-cli is in its page,
# with the sections a help text does not carry.
page=$(gzip -dc "$prefix/share/man/man1/daxtool-cli.1.gz")
commands=$("$prefix/bin/daxtool-cli" --help | sed -n '/^Subcommands:/,/^$/s/^  \([a-z-]*\).*/\1/p')
[ -n "$commands" ] || fail "no commands in daxtool-cli --help"
for c in $commands; do
  grep -q -- "$(sed 's/-/\\\\-/g' <<<"$c")" <<<"$page" || fail "the manual page lacks $c"
done
for program in daxtool-cli daxsim $([ "$window" = 1 ] && echo daxtool); do
  page=$(gzip -dc "$prefix/share/man/man1/$program.1.gz")
  for section in NAME SYNOPSIS '"EXIT STATUS"' FILES ENVIRONMENT; do
    grep -q "^\.SH $section" <<<"$page" || fail "$program.1 has no $section section"
  done
done
grep -q 'dialout' <(gzip -dc "$prefix/share/man/man1/daxtool-cli.1.gz") ||
  fail "daxtool-cli.1 does not say how to get serial access"
echo "installed tree complete in $prefix"
