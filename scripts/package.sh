#!/usr/bin/env bash
# Builds the Debian package build-package/zelkova_<version>_<arch>.deb: an optimised build
# with Debian's hardening flags, installed into a staging folder and packed by CPack.
# Installing missing build packages needs root (install-deps.sh); the build itself does not.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
LDFLAGS="$(dpkg-buildflags --get LDFLAGS)"
export CXXFLAGS LDFLAGS
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DZELKOVA_TESTS=OFF >/dev/null
cmake --build build-package -j "${ZELKOVA_JOBS:-$(nproc)}"
rm -f build-package/zelkova_*.deb
(cd build-package && cpack -G DEB >/dev/null)
ls build-package/zelkova_*.deb
