#!/usr/bin/env bash
# Builds the Debian package build-package/zelkova_<version>_<arch>.deb: an optimised build
# with Debian's hardening flags, installed into a staging folder and packed by CPack.
# Installing missing build packages needs root (install-deps.sh); the build itself does not.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
# Debian's hardening flags, every one of them (bind-now included).
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DZELKOVA_TESTS=OFF \
  -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
cmake --build build-package
rm -f build-package/zelkova_*.deb
(cd build-package && cpack -G DEB)
ls build-package/zelkova_*.deb
