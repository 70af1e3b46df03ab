#!/usr/bin/env bash
# Builds daxtool.exe (the window), daxtool-cli.exe and their tests for Windows with MinGW-w64
# and runs the tests under Wine, headless, in a Wine prefix of its own under the build directory;
# then checks that both programs find the simulator through a Wine COM port.
#   bash scripts/windows.sh               build in build-win/, run the tests and the checks
#   bash scripts/windows.sh --build       build only
#   bash scripts/windows.sh --installer   build, make the NSIS installer and test it under Wine
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

# The cross compiler and Wine are needed for this build only, not by the normal one.
extra=()
[ "${1:-}" = "--installer" ] && extra=(nsis)
bash scripts/install-deps.sh g++-mingw-w64-x86-64-posix wine wine64 googletest "${extra[@]}"

build=$root/build-win
deps=$build/deps
mkdir -p "$deps"

# Debian's GoogleTest libraries are native; its sources build for Windows as well.
if [ ! -f "$deps/lib/cmake/GTest/GTestConfig.cmake" ]; then
  cmake -S /usr/src/googletest -B "$build/googletest" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$deps" \
    -Dgtest_disable_pthreads=OFF >/dev/null
  cmake --build "$build/googletest" -j"$(nproc)"
  cmake --install "$build/googletest" >/dev/null
fi
# CLI11 and nlohmann-json are headers only: the Debian copies, seen from a prefix of their own
# so the cross build does not look into the native /usr/include.
mkdir -p "$deps/include" "$deps/share/cmake"
for h in CLI nlohmann; do ln -sfn "/usr/include/$h" "$deps/include/$h"; done
for c in CLI11 nlohmann_json; do ln -sfn "/usr/share/cmake/$c" "$deps/share/cmake/$c"; done

# File by file, unlike the other scripts' unity builds: CI so still sees a source that compiles
# only beside the others of its batch (a missing include).
cmake -S . -B "$build/tree" \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DDAXTOOL_WERROR=ON \
  -DGTest_DIR="$deps/lib/cmake/GTest" \
  -DCLI11_DIR="$deps/share/cmake/CLI11" \
  -Dnlohmann_json_DIR="$deps/share/cmake/nlohmann_json" \
  ${CMAKE_CXX_COMPILER_LAUNCHER:+-DCMAKE_CXX_COMPILER_LAUNCHER=$CMAKE_CXX_COMPILER_LAUNCHER} \
  >/dev/null
cmake --build "$build/tree" -j"$(nproc)"
[ "${1:-}" = "--build" ] && exit 0
if [ "${1:-}" = "--installer" ]; then
  exec bash scripts/windows-installer.sh "$build"
fi

# Wine without a display, without its debug chatter, in a prefix that is ours alone. The
# window's tests make real windows: Wine's null graphics driver keeps them off any screen.
export WINEPREFIX=$build/wineprefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export DISPLAY=
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot --init >/dev/null 2>&1 || true
  wineserver -w
fi
if ! grep -q '"Graphics"="null"' "$WINEPREFIX/user.reg"; then
  wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
  wineserver -w
fi

ctest --test-dir "$build/tree" --output-on-failure
bash scripts/windows-e2e.sh "$build"
