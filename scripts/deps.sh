#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing KESTO need,
# but only those that are missing. Run as root (or with sudo available).
set -euo pipefail
packages=(qt6-base-dev qt6-base-dev-tools cmake ninja-build g++ libgtest-dev libbenchmark-dev
          fonts-ipafont-gothic qt6-translations-l10n xvfb xauth ccache
          xdotool x11-utils imagemagick python3 "$@")
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO=sudo
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
