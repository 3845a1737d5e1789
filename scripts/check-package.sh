#!/usr/bin/env bash
# Checks a built package (default: the one scripts/package.sh made). It unpacks the package
# into a scratch folder, runs the unpacked program's --version and its start-up self-check
# on the offscreen platform (the main window opens and the installed help document is read),
# and validates the desktop entry, the AppStream metainfo and the package (lintian, no errors).
set -euo pipefail
cd "$(dirname "$0")/.."
deb=${1:-$(ls build-package/zelkova_*.deb)}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
dpkg-deb -x "$deb" "$scratch/root"
program="$scratch/root/usr/bin/zelkova"

echo "== $program --version"
"$program" --version

echo "== self-check of the unpacked program"
mkdir -p "$scratch/home"
report=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen ZELKOVA_SELF_CHECK=1 \
  HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/home/.config" \
  XDG_DATA_HOME="$scratch/home/.local/share" "$program" 2>/dev/null)
echo "$report"
grep -q "^window: frmMain: " <<<"$report"
grep -q "^help: $scratch/root/usr/share/zelkova/zelkova.hlp: [1-9][0-9]* topics$" <<<"$report"

echo "== desktop-file-validate"
desktop-file-validate "$scratch"/root/usr/share/applications/*.desktop
echo "== appstreamcli validate --no-net"
appstreamcli validate --no-net "$scratch"/root/usr/share/metainfo/*.metainfo.xml
echo "== lintian"
lintian --fail-on error "$deb"
echo "package checks passed: $deb"
