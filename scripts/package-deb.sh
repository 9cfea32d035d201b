#!/usr/bin/env bash
# Makes the Debian package imageburner_<version>_amd64.deb in build-package/
# from a Release build of the programs only (scripts/release-build.sh), and
# checks it with lintian. Prints the package's path last.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh --linux --package

build=build-package
bash scripts/release-build.sh imageburner_package_contents
(cd "$build" && cpack -G DEB > /dev/null)
package=$(ls "$build"/imageburner_*_amd64.deb)
# Errors and warnings fail.
lintian --allow-root --fail-on error,warning "$package" >&2
echo "$package"
