#!/usr/bin/env bash
# Builds the Debian packages with scripts/package.sh into OUTPUT_DIR (where the lintian test
# finds them), unpacks each (never installs it) and runs what it holds: the unpacked daxtool-cli
# finds the unpacked daxsim.
#   package_test.sh SOURCE_DIR BUILD_DIR OUTPUT_DIR
set -euo pipefail
source=$1
build=$2
out=$3
work=$(mktemp -d)
sim_pid=""
cleanup() {
  [ -z "$sim_pid" ] || kill "$sim_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

rm -rf "$out"
BUILD_DIR=$build OUTPUT_DIR=$out bash "$source/scripts/package.sh" --no-build >"$work/log" 2>&1 ||
  { cat "$work/log" >&2; fail "scripts/package.sh failed"; }
deb() {
  local found=("$out/$1"_*.deb)
  [ -f "${found[0]}" ] || fail "no $1 package in $out: $(ls "$out")"
  echo "${found[0]}"
}
cli_deb=$(deb daxtool-cli)
sim_deb=$(deb daxsim)
window_deb=""
[ -e "$build/src/ui/qt/daxtool" ] && window_deb=$(deb daxtool)

# The version is the changelog's top entry, the same in every package.
version=$(sed -n '1s/^daxtool (\([^)]*\)).*/\1/p' "$source/resources/debian/changelog")
[ -n "$version" ] || fail "no version on top of resources/debian/changelog"
for d in $cli_deb $sim_deb $window_deb; do
  [ "$(dpkg-deb -f "$d" Version)" = "$version" ] ||
    fail "$(basename "$d") is version $(dpkg-deb -f "$d" Version), the changelog says $version"
done

# Dependencies as dpkg-shlibdeps found them: daxtool-cli needs Qt Core and no graphical library,
# daxsim no Qt at all, and the window the command line program of its own version.
depends() { dpkg-deb -f "$1" Depends; }
cli_depends=$(depends "$cli_deb")
grep -q 'libstdc++6' <<<"$cli_depends" || fail "daxtool-cli lacks the C++ runtime: $cli_depends"
grep -q 'libqt6core6' <<<"$cli_depends" || fail "daxtool-cli lacks Qt Core: $cli_depends"
! grep -q 'libqt6gui\|libqt6widgets\|libgl\|libx11' <<<"$cli_depends" ||
  fail "daxtool-cli pulls in graphical libraries: $cli_depends"
! grep -q 'libqt6' <<<"$(depends "$sim_deb")" || fail "daxsim needs Qt: $(depends "$sim_deb")"
if [ -n "$window_deb" ]; then
  window_depends=$(depends "$window_deb")
  grep -q "daxtool-cli (= $version)" <<<"$window_depends" ||
    fail "daxtool does not depend on daxtool-cli $version: $window_depends"
  grep -q 'libqt6widgets6' <<<"$window_depends" || fail "daxtool lacks Qt Widgets: $window_depends"
fi
grep -q 'usermod -aG dialout' <(dpkg-deb -f "$cli_deb" Description) ||
  fail "daxtool-cli's description does not say how to get serial access"

# Each package unpacked into a tree of its own: what it holds, and no file in two of them.
unpack() {
  mkdir -p "$work/$1"
  dpkg-deb -x "$2" "$work/$1"
  (cd "$work/$1" && find . -type f -o -type l | sort) >"$work/$1.files"
}
unpack cli "$cli_deb"
unpack sim "$sim_deb"
holds() {
  for f in "${@:2}"; do
    [ -f "$work/$1/$f" ] || fail "$f is not in the $1 package"
  done
}
holds cli usr/bin/daxtool-cli usr/share/man/man1/daxtool-cli.1.gz \
  usr/share/bash-completion/completions/daxtool-cli usr/share/doc/daxtool-cli/README.md \
  usr/share/doc/daxtool-cli/docs/screenshot.png usr/share/doc/daxtool-cli/copyright \
  usr/share/doc/daxtool-cli/changelog.Debian.gz
holds sim usr/bin/daxsim usr/share/man/man1/daxsim.1.gz usr/share/doc/daxsim/copyright \
  usr/share/doc/daxsim/changelog.Debian.gz
[ ! -e "$work/cli/usr/bin/daxsim" ] || fail "daxsim is in the daxtool-cli package"
programs=("$work/cli/usr/bin/daxtool-cli" "$work/sim/usr/bin/daxsim")
if [ -n "$window_deb" ]; then
  unpack window "$window_deb"
  holds window usr/bin/daxtool usr/share/man/man1/daxtool.1.gz \
    usr/share/applications/daxtool.desktop usr/share/doc/daxtool/copyright \
    usr/share/doc/daxtool/changelog.Debian.gz
  programs+=("$work/window/usr/bin/daxtool")
fi
shared=$(sort "$work"/*.files | uniq -d | grep -v '/$' || true)
[ -z "$shared" ] || fail "files in more than one package: $shared"

# The programs as a packager builds them: stripped, with no compiler notes, executables that
# are position-independent, with read-only relocations bound at start-up, stack protection and
# the checked string and memory functions.
for p in "${programs[@]}"; do
  name=$(basename "$p")
  [ "$(stat -c %a "$p")" = 755 ] || fail "$name is not 755"
  sections=$(readelf -SW "$p")
  ! grep -q ' \.symtab \| \.comment ' <<<"$sections" || fail "$name is not stripped of .symtab/.comment"
  readelf -hW "$p" | grep -q 'DYN (' || fail "$name is not position-independent"
  readelf -lW "$p" | grep -q GNU_RELRO || fail "$name has no RELRO segment"
  readelf -dW "$p" | grep -q 'BIND_NOW' || fail "$name does not bind at start-up (-z now)"
  symbols=$(readelf --dyn-syms -W "$p")
  grep -q '__stack_chk_fail' <<<"$symbols" || fail "$name has no stack protection"
  grep -q '__[a-z]*_chk@' <<<"$(grep -v __stack_chk_fail <<<"$symbols")" ||
    fail "$name uses no checked functions (_FORTIFY_SOURCE)"
done

# What each package holds runs: the versions, and the unpacked daxtool-cli asks the unpacked
# daxsim on a device directory of their own.
cli=$work/cli/usr/bin/daxtool-cli
sim=$work/sim/usr/bin/daxsim
[[ $("$cli" --version) == "daxtool-cli "* ]] || fail "unpacked daxtool-cli --version failed"
[[ $("$sim" --version) == "daxsim "* ]] || fail "unpacked daxsim --version failed"
if [ -n "$window_deb" ]; then
  window=$(DISPLAY= WAYLAND_DISPLAY= QT_QPA_PLATFORM= "$work/window/usr/bin/daxtool" --version) ||
    fail "unpacked daxtool --version failed"
  [[ $window == "daxtool "* ]] || fail "daxtool --version said: $window"
fi
export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work
"$sim" --profile basic --port 7 --device-dir "$work/dev" >"$work/ready" &
sim_pid=$!
for _ in $(seq 100); do
  grep -q '^ready' "$work/ready" && break
  sleep 0.05
done
grep -q '^ready COM7' "$work/ready" || fail "the unpacked daxsim did not start"
"$cli" --device-dir "$work/dev" --port 7 info >"$work/info" ||
  { cat "$work/info" >&2; fail "the unpacked daxtool-cli did not find the unpacked daxsim"; }
grep -q '^device: CVelmora' "$work/info" || fail "info said: $(cat "$work/info")"
echo "$(basename "$cli_deb"): Depends: $cli_depends"
