#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks what a user and a packager find there: the
# files of each component, the README's pictures beside it, and manual pages that hold every
# command and option the programs' help lists.
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
  share/doc/daxtool-cli/README.md share/doc/daxsim/README.md
)
packages=(daxtool-cli daxsim)
if [ "$window" = 1 ]; then
  packages+=(daxtool)
  expected+=(bin/daxtool share/man/man1/daxtool.1.gz share/applications/daxtool.desktop
    share/icons/hicolor/scalable/apps/daxtool.svg)
  for size in 16 22 24 32 48 64 128 256; do
    expected+=("share/icons/hicolor/${size}x${size}/apps/daxtool.png")
  done
fi
for package in "${packages[@]}"; do
  expected+=("share/doc/$package/copyright" "share/doc/$package/changelog.Debian.gz")
done
for f in "${expected[@]}"; do
  [ -f "$prefix/$f" ] || fail "$f is not installed"
done
[ "$window" = 1 ] || [ ! -e "$prefix/bin/daxtool" ] || fail "daxtool installed without the window"
# The layer libraries, test programs and headers are the build's own.
stray=$(cd "$prefix" && find . -name '*.a' -o -name '*_tests' -o -name '*.h' | head -3)
[ -z "$stray" ] || fail "build-only files installed: $stray"

# The README is read offline: every picture and file it links to lies beside it.
doc=$prefix/share/doc/daxtool-cli
links=$(grep -o '](\([^)]*\))' "$doc/README.md" | sed 's/^](\(.*\))$/\1/' | grep -v '^[a-z]*:' | grep -v '^#' || true)
[ -n "$links" ] || fail "no links found in the README (the check would pass on anything)"
for link in $links; do
  [ -f "$doc/$link" ] || fail "the installed README links to $link, which is not beside it"
done

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
cli=$prefix/bin/daxtool-cli
version=$("$cli" --version) || fail "installed daxtool-cli --version failed"
[[ $version == "daxtool-cli "* ]] || fail "daxtool-cli --version said: $version"

# A manual page as text: roff's minus signs and font changes taken out.
page_text() { gzip -dc "$prefix/share/man/man1/$1.1.gz" | sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g'; }
# Each package is named after its program.
for program in "${packages[@]}"; do
  page=$(page_text "$program")
  for section in NAME SYNOPSIS '"EXIT STATUS"' FILES ENVIRONMENT; do
    grep -q "^\.SH $section" <<<"$page" || fail "$program.1 has no $section section"
  done
done

# daxtool-cli's page has every command with each of its options, as the help lists them, and
# the sections a script writer and a technician look for.
page=$(page_text daxtool-cli)
for section in COMMANDS '"JSON OUTPUT"' '"DEVICE NAMES"' EXAMPLES; do
  grep -q "^\.SH $section" <<<"$page" || fail "daxtool-cli.1 has no $section section"
done
commands=$("$cli" --help | sed -n '/^Subcommands:/,/^$/s/^  \([a-z][a-z-]*\).*/\1/p')
[ -n "$commands" ] || fail "no commands in daxtool-cli --help"
for c in $commands; do
  entry=$(sed -n "/^\.SS \"${c}[ \"]/,/^\.S[SH]/p" <<<"$page")
  [ -n "$entry" ] || fail "the manual page has no entry for $c"
  for option in $("$cli" "$c" --help | sed -n 's/^  \(-[a-z]*,\)\{0,1\}\(--[a-z-]*\).*/\2/p'); do
    grep -q -- "^--help$\|^--version$" <<<"$option" && continue
    grep -q -- "$option" <<<"$entry$(sed -n '/^\.SH OPTIONS/,/^\.SH/p' <<<"$page")" ||
      fail "the manual page does not document $c $option"
  done
done
grep -q 'usermod -aG dialout' <<<"$page" || fail "daxtool-cli.1 does not say how to get serial access"

# daxsim's page lists each --set key on an entry of its own, and every profile.
page=$(page_text daxsim)
sim=$prefix/bin/daxsim
keys=$("$sim" --help | sed -n 's/^  \([a-z_0-9.]*\)=.*/\1/p')
[ "$(wc -l <<<"$keys")" -gt 40 ] || fail "daxsim --help lists too few --set keys: $keys"
for key in $keys; do
  grep -B1 "^$key=" <<<"$page" | head -1 | grep -qx '\.TP' ||
    fail "daxsim.1 has no entry of its own for --set $key"
done
for profile in $("$sim" --list-profiles | awk '{print $1}'); do
  grep -q "^$profile\$" <<<"$page" || fail "daxsim.1 does not list the profile $profile"
done
echo "installed tree complete in $prefix"
