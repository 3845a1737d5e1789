#!/usr/bin/env bash
# Installs what is missing, builds Zelkova and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZELKOVA_TESTS=OFF >/dev/null
cmake --build build --target zelkova
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  cat >&2 <<'MSG'
Zelkova is built (build/zelkova) but there is no display to show its window on.
Run it from a desktop session, or start a virtual display first, for example:
    xvfb-run -a build/zelkova
MSG
  exit 1
fi
exec build/zelkova "$@"
