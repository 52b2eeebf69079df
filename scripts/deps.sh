#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing KESTO need,
# but only those that are missing. Run as root (or with sudo available).
# Further arguments are more packages to install.
set -euo pipefail
packages=(
  # building: compiler, CMake and Ninja, the compiler cache, Qt, GoogleTest, Google Benchmark
  g++ cmake ninja-build ccache qt6-base-dev qt6-base-dev-tools libgtest-dev libbenchmark-dev
  # raising the frame for a launcher on X11 speaks to the X server with libxcb
  pkg-config libxcb1-dev
  # running: the font that stands in for "ＭＳ ゴシック", Qt's Japanese translation
  fonts-ipafont-gothic qt6-translations-l10n
  # the desktop tests: an X server (xvfb-run needs xauth), X key events, their
  # Python, and import to read the screen's pixels and keep screenshots
  xvfb xauth xdotool python3 imagemagick
  # the printer test reads its PDF with pdftotext; the install check validates the
  # desktop entry
  poppler-utils desktop-file-utils
  # the Debian package (dpkg-shlibdeps, file) and its install check (the MIME
  # database, Debian's and AppStream's checks of the package); the desktop
  # tests' window checks (xprop, xwininfo)
  dpkg-dev file shared-mime-info lintian appstream x11-utils
  "$@")
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
