#!/usr/bin/env bash
# Installs what is missing, builds the editor alone (not the tests and the
# benchmarks) and starts it.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh
KESTO_TARGETS=kesto scripts/build.sh build
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" build/kesto "$@"
fi
exec build/kesto "$@"
