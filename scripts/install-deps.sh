#!/usr/bin/env bash
# Installs the Debian packages that building and testing imageburner need.
# Idempotent: when every package is already present it changes nothing and
# does not touch the network.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  googletest libgtest-dev libgmock-dev
  libsgutils2-dev libudev-dev libcli11-dev
  libssl-dev
  # The tests' independent checkers of the FAT images TreeBaler writes; not run by the program.
  dosfstools mtools
  qemu-system-x86 busybox-static cpio
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
