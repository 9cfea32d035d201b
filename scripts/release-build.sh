#!/usr/bin/env bash
# Builds the given targets in build-package/, the one Release tree of the Linux
# programs: the Debian package (scripts/package-deb.sh) and the demo
# (scripts/demo.sh) are made from it. Expects scripts/install-deps.sh --linux.
#   release-build.sh <target>...
set -euo pipefail
cd "$(dirname "$0")/.."
build=build-package
launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
# Debian's hardening flags (fortified functions, stack protector, full RELRO,
# immediate binding) without its debug information, which is stripped anyway.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
export CXXFLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS | sed 's/\(^\| \)-g\( \|$\)/ /')"
export LDFLAGS="$(dpkg-buildflags --get LDFLAGS)"
# /usr as the prefix, so that the programs look for their tools in
# /usr/libexec/imageburner; installing builds nothing beyond the targets built.
# Release at Debian's -O2 (from CXXFLAGS): quicker to build than CMake's -O3.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE=-DNDEBUG -DBUILD_TESTING=OFF \
      -DCMAKE_INSTALL_PREFIX=/usr -DIMAGEBURNER_UDEV_RULES_DIR=lib/udev/rules.d \
      -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON "${launcher[@]}" >&2
cmake --build "$build" --target "$@" >&2
