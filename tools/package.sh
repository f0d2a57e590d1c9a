#!/usr/bin/env bash
# Builds the Debian package: a release build of the two programs, their manual pages, icon and
# menu entry, packed by CPack. The package lands in the tree's top folder; its path is printed last.
# The test command's plain run has built the same tree already; this only packs it then.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh

build=build-package
source tools/release-configure.sh
configure_release "$build"
cmake --build "$build" -j "$(nproc)" --target package-contents
rm -f "$build"/vorta-tester_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/vorta-tester_*.deb)
rm -f vorta-tester_*.deb
cp "$deb" .
ls "$PWD/$(basename "$deb")"
