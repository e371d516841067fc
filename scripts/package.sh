#!/usr/bin/env bash
# Builds the Debian package (build-package/lumeward_VERSION_ARCH.deb: both
# programs, desktop entry, metainfo, icon, manual pages, bash completion) from
# an optimised build, and has lintian check it.
# Install it with: sudo apt install ./build-package/lumeward_*.deb
set -euo pipefail

cd "$(dirname "$0")/.."
scripts/setup.sh package
rm -f build-package/lumeward_*.deb
(cd build-package && cpack -G DEB)
deb=(build-package/lumeward_*.deb)
lintian --fail-on error --info "${deb[0]}"
echo "package: ${deb[0]}"
