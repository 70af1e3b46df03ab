#!/usr/bin/env bash
# Builds the Debian package with scripts/package.sh, unpacks it (never installs it) and runs the
# unpacked programs.
#   package_test.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source=$1
build=$2
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

BUILD_DIR=$build OUTPUT_DIR=$out/debs bash "$source/scripts/package.sh" --no-build >"$out/log" 2>&1 ||
  { cat "$out/log" >&2; fail "scripts/package.sh failed"; }
debs=("$out"/debs/daxtool_*.deb)
[ -f "${debs[0]}" ] || fail "no package in $out/debs: $(ls "$out/debs")"
deb=${debs[0]}

# Dependencies as dpkg-shlibdeps found them: the C++ runtime and Qt, none written by hand.
depends=$(dpkg-deb -f "$deb" Depends)
grep -q 'libstdc++6' <<<"$depends" || fail "Depends lacks the C++ runtime: $depends"
grep -q 'libqt6core6' <<<"$depends" || fail "Depends lacks Qt Core: $depends"
grep -q 'dialout' <(dpkg-deb -f "$deb" Description) || fail "the description does not name dialout"

dpkg-deb -x "$deb" "$out/root"
for f in usr/bin/daxtool-cli usr/bin/daxsim usr/share/man/man1/daxtool-cli.1.gz \
  usr/share/bash-completion/completions/daxtool-cli usr/share/doc/daxtool/copyright; do
  [ -f "$out/root/$f" ] || fail "$f is not in the package"
done
[ "$(stat -c %a "$out/root/usr/bin/daxtool-cli")" = 755 ] || fail "daxtool-cli is not 755"

cli=$("$out/root/usr/bin/daxtool-cli" --version) || fail "unpacked daxtool-cli --version failed"
[[ $cli == "daxtool-cli "* ]] || fail "daxtool-cli --version said: $cli"
sim=$("$out/root/usr/bin/daxsim" --version) || fail "unpacked daxsim --version failed"
[[ $sim == "daxsim "* ]] || fail "daxsim --version said: $sim"
if [ -f "$out/root/usr/bin/daxtool" ]; then
  window=$(DISPLAY= WAYLAND_DISPLAY= QT_QPA_PLATFORM= "$out/root/usr/bin/daxtool" --version) ||
    fail "unpacked daxtool --version failed"
  [[ $window == "daxtool "* ]] || fail "daxtool --version said: $window"
fi
echo "$(basename "$deb"): Depends: $depends"
