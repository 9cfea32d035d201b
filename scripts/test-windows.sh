#!/usr/bin/env bash
# The Windows flavour on a Linux machine: installs the cross compiler and Wine,
# cross-builds into build-windows/, runs the tests (label windows) under Wine
# through CTest's cross-compiling emulator, headless, with a Wine prefix inside
# the build folder and one Wine server kept up for the whole run, then makes the
# installer and the portable ZIP from the programs just tested.
#   --build-only  builds build-windows/ and stops (scripts/test.sh builds it
#                 while other tests run)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh --windows --package

build=build-windows
launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
# One tree for the tests and the packages: the programs and their libraries at
# -O2 (quicker to build than -O3), the tests' own code unoptimised (see
# tests/CMakeLists.txt); no debug information, which Wine gives no use for.
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
      -DCMAKE_BUILD_TYPE=Release "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -DNDEBUG" -DIMAGEBURNER_WERROR=ON \
      "${launcher[@]}" >/dev/null
cmake --build "$build"
[ "${1:-}" = "--build-only" ] && exit 0

export WINEPREFIX="$PWD/$build/wine-prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono or Gecko installer prompts
export WINEARCH=win64
# One locale for every Wine process of the prefix, the window's tests' among
# them: code page 1250, in which the bitmap fonts have the Polish letters.
export LC_ALL=pl_PL.UTF-8
unset DISPLAY
stop_wine() { wineserver -k 2>/dev/null || true; }
trap stop_wine EXIT
if [ ! -f "$WINEPREFIX/system.reg" ]; then wineboot --init >/dev/null 2>&1; fi
# Fonts and the virtual desktop, before the first desktop starts.
bash tests/windows_gui/prepare_wine_prefix.sh
wineserver -w  # a server left from the set-up ends first, so this one can stay up
wineserver -p
# Wine's own services start with the first program; started here with their
# output elsewhere, they never hold a test's output pipe open.
wine cmd /c exit >/dev/null 2>&1 </dev/null
ctest --test-dir "$build" -L windows --output-on-failure -j2 --timeout 300

# The installer and the portable ZIP, made in build-windows/ from the programs
# tested above; the installer tested in a fresh Wine prefix.
(cd "$build" && cpack >/dev/null)
bash scripts/test-windows-installer.sh "$build"/imageburner-*-setup.exe
ls "$build"/imageburner-*-setup.exe "$build"/imageburner-*-windows-x64.zip
