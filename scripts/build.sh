#!/usr/bin/env bash
# Configures and builds KESTO into the folder given as first argument
# (default: build); further arguments go to CMake's configure step.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}; shift || true
# Compiler cache keyed on paths relative to the checkout, so that another
# clone of the same sources reuses it.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
cmake --build "$dir"
