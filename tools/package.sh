#!/usr/bin/env bash
# Builds the Debian package: a release build of the two programs, their manual pages, icon and
# menu entry, packed by CPack. The package lands in the tree's top folder; its path is printed last.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh

build=build-package
# The distribution's hardening flags (fortified functions, stack protector, read-only
# relocations, immediate binding), without debug information: the package strips it anyway.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS | sed 's/\(^\| \)-g\( \|$\)/ /')"
ldflags=$(dpkg-buildflags --get LDFLAGS)

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DVORTA_PACKAGE=ON -DVORTA_BENCH=OFF \
      -DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" >/dev/null
cmake --build "$build" -j "$(nproc)" --target package-contents
rm -f "$build"/vorta-tester_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/vorta-tester_*.deb)
rm -f vorta-tester_*.deb
cp "$deb" .
ls "$PWD/$(basename "$deb")"
