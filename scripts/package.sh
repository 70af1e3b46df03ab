#!/usr/bin/env bash
# Builds the Debian packages: a release build (hardened, see DAXTOOL_HARDENING) without the tests
# in build-deb/, then one cpack run, which leaves daxtool-cli_VERSION_ARCH.deb,
# daxtool_VERSION_ARCH.deb and daxsim_VERSION_ARCH.deb there. Their dependencies come from
# dpkg-shlibdeps, their version and changelog from resources/debian/changelog.
#   bash scripts/package.sh                  release build and package
#   BUILD_DIR=build OUTPUT_DIR=out bash scripts/package.sh --no-build
#                                            package an existing build into out/
set -euo pipefail
cd "$(dirname "$0")/.."

build=${BUILD_DIR:-build-deb}
if [ "${1:-}" != "--no-build" ]; then
  bash scripts/install-deps.sh
  echo "package: configuring a release build in $build/"
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
  echo "package: building (the first build takes a few minutes on 2 cores)"
  cmake --build "$build" -j"$(nproc)"
fi
output=$(realpath -m "${OUTPUT_DIR:-$build}")
echo "package: making the .deb in $output/"
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$output"
# cpack's staging tree is no part of the result.
rm -rf "$output/_CPack_Packages"
ls "$output"/*.deb
