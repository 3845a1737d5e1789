#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing Zelkova need.
# Safe to run again: it installs only what is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev
  libglib2.0-dev shared-mime-info
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth fonts-dejavu-core
  libxxhash-dev
  hyperfine ncdu fdupes jdupes rdfind clang-format ccache
  dpkg-dev file desktop-file-utils appstream lintian
)
screenshots=false
if [ "${1:-}" = "--with-screenshots" ]; then
  screenshots=true
  packages+=(imagemagick x11-apps xdotool locales)
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo=sudo
fi

# Screenshots are taken under the plain C.UTF-8 locale and under en_US.UTF-8; the second is
# generated once, when the system does not have it yet.
generate_locale() {
  locale -a 2>/dev/null | grep -qix 'en_US.utf-\?8' && return 0
  echo "Generating the en_US.UTF-8 locale"
  $sudo sed -i 's/^# *\(en_US.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^en_US.UTF-8 UTF-8' /etc/locale.gen || echo 'en_US.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
  $sudo locale-gen
}

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  if [ -n "$sudo" ]; then
    command -v sudo >/dev/null || { echo "Run as root (or install sudo) to install: ${missing[*]}" >&2; exit 1; }
  fi
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
if $screenshots; then
  generate_locale
fi
