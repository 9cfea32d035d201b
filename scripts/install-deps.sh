#!/usr/bin/env bash
# Installs the Debian packages that building and testing imageburner need.
#   (no flag) or --linux  the Linux build, its tests and the real-kernel tier
#   --windows             the Windows flavour (the mingw-w64 cross compiler,
#                         GoogleTest's sources, Wine to run the tests headless)
#   --fuzz                the fuzz targets (clang 14 and libFuzzer)
#   --package             the Debian package and its checks, the Windows installer
# Several flags install several flavours with one package-list update.
# Idempotent: when every package (and the locale) is present it changes nothing and
# does not touch the network.
set -euo pipefail

linux_packages=(
  cmake ninja-build g++ pkg-config
  # dpkg-buildflags: Debian's hardening flags for the Release tree (scripts/release-build.sh).
  dpkg-dev
  googletest libgtest-dev libgmock-dev
  libsgutils2-dev libudev-dev libcli11-dev
  libssl-dev
  # Compressed recordings of sessions with a recorder (.gz, .zst).
  zlib1g-dev libzstd-dev
  # The Unicode Character Database, from which TreeBaler's upper-case table is generated.
  unicode-data
  # The tests' independent checkers of the FAT images TreeBaler writes and of its case
  # folding; not used by the program.
  dosfstools mtools 7zip libicu-dev
  qemu-system-x86 busybox-static cpio
  qt6-base-dev libqt6gui6 qt6-qpa-plugins xvfb xdotool x11-apps netpbm libsm-dev
)
windows_packages=(
  cmake ninja-build ccache
  g++-mingw-w64-x86-64-posix
  # LLVM's linker and archiver, which cmake/mingw-w64-x86_64.cmake picks: they
  # link the statically linked programs many times faster than GNU ld and ar.
  lld llvm
  # gzip-compressed recordings; no mingw build of libzstd is packaged, so the
  # Windows program writes and reads .gz and plain recordings only.
  libz-mingw-w64-dev
  googletest libcli11-dev unicode-data
  wine wine64
  # The window's pictures, converted from PNG at build time.
  netpbm
  # The window's tests: Wine's own fonts (the bitmap "MS Sans Serif"), the
  # Polish locale Wine takes its ANSI code page from, an X server of their own,
  # real input events and screenshots.
  fonts-wine locales xvfb xdotool x11-apps
)
fuzz_packages=(cmake ninja-build g++ clang-14 libclang-rt-14-dev)
package_packages=(
  ccache dpkg-dev fakeroot file help2man lintian man-db
  appstream desktop-file-utils nsis
  # The installer test's look inside the installer and the window's resources.
  xz-utils 7zip
)

packages=()
polish_locale=false
mingw_lld=false
[ $# -gt 0 ] || set -- --linux
for flavour in "$@"; do
  case "$flavour" in
    --linux) packages+=("${linux_packages[@]}") ;;
    --windows) packages+=("${windows_packages[@]}"); polish_locale=true; mingw_lld=true ;;
    --fuzz) packages+=("${fuzz_packages[@]}") ;;
    --package) packages+=("${package_packages[@]}") ;;
    *) echo "install-deps: unknown flavour $flavour (--linux, --windows, --fuzz, --package)" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "install-deps: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Wine under pl_PL.UTF-8 uses code page 1250, in which the bitmap fonts draw
# Polish letters; generated once.
if $polish_locale && ! locale -a | grep -qx 'pl_PL.utf8'; then
  echo "install-deps: generating the locale pl_PL.UTF-8"
  $SUDO sed -i 's/^# *\(pl_PL\.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  $SUDO locale-gen >/dev/null
fi

# Debian's cross GCC takes lld (-fuse-ld=lld, cmake/mingw-w64-x86_64.cmake) only
# by the name /usr/bin/x86_64-w64-mingw32-ld.lld: given once, as an alternative.
if $mingw_lld && [ ! -e /usr/bin/x86_64-w64-mingw32-ld.lld ]; then
  $SUDO update-alternatives --quiet --install /usr/bin/x86_64-w64-mingw32-ld.lld x86_64-w64-mingw32-ld.lld \
    /usr/bin/ld.lld 10
fi
