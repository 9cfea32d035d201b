#!/usr/bin/env bash
# Makes the Debian package imageburner_<version>_amd64.deb in build-package/
# from a Release build of the programs only, and checks it with lintian.
# Prints the package's path last.
#   --build-only  builds the programs in build-package/ and stops (scripts/test.sh
#                 builds them while other tests run)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh --linux --package

build=build-package
launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
# Debian's hardening flags (fortified functions, stack protector, full RELRO,
# immediate binding) without its debug information, which is stripped anyway.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
export CXXFLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS | sed 's/\(^\| \)-g\( \|$\)/ /')"
export LDFLAGS="$(dpkg-buildflags --get LDFLAGS)"
# /usr as the prefix, so that the programs look for their tools in
# /usr/libexec/imageburner; installing builds nothing beyond the targets below.
# Release at Debian's -O2 (from CXXFLAGS): quicker to build than CMake's -O3.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE=-DNDEBUG -DBUILD_TESTING=OFF \
      -DCMAKE_INSTALL_PREFIX=/usr -DIMAGEBURNER_UDEV_RULES_DIR=lib/udev/rules.d \
      -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON "${launcher[@]}" >&2
cmake --build "$build" --target imageburner_package_contents >&2
[ "${1:-}" = "--build-only" ] && exit 0
(cd "$build" && cpack -G DEB > /dev/null)
package=$(ls "$build"/imageburner_*_amd64.deb)
# Errors and warnings fail.
lintian --allow-root --fail-on error,warning "$package" >&2
echo "$package"
