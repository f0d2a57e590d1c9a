#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need, when missing.
set -euo pipefail
packages=(cmake make g++ clang libclang-rt-14-dev qt6-base-dev libgl-dev libgtest-dev
          libbenchmark-dev fonts-dejavu-core poppler-utils
          dpkg-dev help2man librsvg2-bin lintian desktop-file-utils appstream)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "installing: ${missing[*]}"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
fi
