#!/usr/bin/env bash
# Installs what is missing, builds KESTO and runs every test (the unit tests
# and the desktop test under Xvfb).
#   ./test.sh --sanitize          (or KESTO_SANITIZE_TOO=1 ./test.sh)
# then also builds everything with AddressSanitizer and UndefinedBehaviorSanitizer
# in build-asan and runs the whole suite there.
set -euo pipefail
cd "$(dirname "$0")"
sanitize=${KESTO_SANITIZE_TOO:-0}
for arg in "$@"; do
  case $arg in
    --sanitize) sanitize=1 ;;
    *) echo "usage: $0 [--sanitize]" >&2; exit 2 ;;
  esac
done
scripts/deps.sh
scripts/build.sh build
ctest --test-dir build --output-on-failure --no-tests=error -j"$(nproc)"
if [ "$sanitize" = 1 ]; then
  scripts/build.sh build-asan -DKESTO_SANITIZE=ON -DKESTO_BUILD_BENCH=OFF
  ctest --test-dir build-asan --output-on-failure --no-tests=error -j"$(nproc)"
fi
