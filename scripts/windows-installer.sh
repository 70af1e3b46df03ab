#!/usr/bin/env bash
# Makes the Windows installer, build-win/daxtool-VERSION-setup.exe, with NSIS from the programs
# scripts/windows.sh built, and tests it under Wine in a scratch prefix: a silent install for the
# user, the files, the Start-menu shortcut, the "Apps & features" entry and the installed
# daxtool-cli.exe running; then a silent uninstall that leaves nothing but the user's settings.
#   bash scripts/windows-installer.sh BUILD_DIR   (scripts/windows.sh --installer runs it)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${1:-$root/build-win}
bin=$build/tree/src
version=$(sed -n 's/^project(Daxtool VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
setup=$build/daxtool-$version-setup.exe

mkdir -p "$build/installer"
cp "$bin/ui/win32/daxtool.exe" "$bin/cli/daxtool-cli.exe" "$build/installer/"
makensis -V1 -DVERSION="$version" -DBIN_DIR="$build/installer" \
  -DICON="$root/resources/daxtool.ico" -DOUT_FILE="$setup" resources/daxtool-setup.nsi
echo "installer: $setup"

# A prefix of its own, so the install starts from nothing and leaves the test prefix alone.
export WINEPREFIX=$build/wineprefix-install
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export DISPLAY=
rm -rf "$WINEPREFIX"
wineboot --init >/dev/null 2>&1 || true
wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
wineserver -w

user_dir=$WINEPREFIX/drive_c/users/$(id -un)
dir=$user_dir/AppData/Local/Programs/Daxtool
shortcut="$user_dir/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Daxtool.lnk"
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Daxtool'

fail=0
passed=0
result() { # name, condition status
  if [ "$2" -eq 0 ]; then
    echo "[  PASSED  ] $1"
    passed=$((passed + 1))
  else
    echo "[  FAILED  ] $1"
    fail=$((fail + 1))
  fi
}
t() { local name=$1; shift; set +e; "$@" >/dev/null 2>&1; local rc=$?; set -e; result "$name" $rc; }

wine "$setup" /S
wineserver -w
t "the programs are installed for the user" test -f "$dir/daxtool.exe" -a -f "$dir/daxtool-cli.exe"
t "an uninstaller is installed" test -f "$dir/uninstall.exe"
t "the Start menu has the shortcut" test -f "$shortcut"
t "Apps & features lists it" sh -c "wine reg query '$key' /v DisplayVersion | grep -q '$version'"
t "the installed daxtool-cli.exe runs" sh -c \
  "wine '$dir/daxtool-cli.exe' --version | grep -q '^Version $version'"

# What the user's runs kept must outlive the programs.
wine reg add 'HKCU\Software\Korvix\Daxtool\Last Good' /v 'First Port' /t REG_DWORD /d 4 /f \
  >/dev/null 2>&1
wine "$dir/uninstall.exe" /S
wineserver -w
for _ in $(seq 50); do # the uninstaller finishes from a copy of itself
  [ -e "$dir" ] || break
  sleep 0.2
done
t "the uninstall removes the programs and their folder" test ! -e "$dir"
t "the uninstall removes the shortcut" test ! -e "$shortcut"
t "the uninstall removes the Apps & features entry" sh -c "! wine reg query '$key'"
t "the user's settings stay" sh -c \
  "wine reg query 'HKCU\Software\Korvix\Daxtool\Last Good' | grep -q 'First Port'"
echo "installer: $passed passed, $fail failed"
[ "$fail" -eq 0 ]
