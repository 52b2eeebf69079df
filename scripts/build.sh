#!/usr/bin/env bash
# Configures and builds KESTO into the folder given as first argument
# (default: build); further arguments go to CMake's configure step. Set
# KESTO_TARGETS to build only those targets (e.g. KESTO_TARGETS=kesto).
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}; shift || true
# Compiler cache keyed on paths relative to the checkout, so that another
# clone of the same sources reuses it.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
# The configure output stays on screen: its warnings say what a test will lack.
cmake -S . -B "$dir" -G Ninja "$@"
targets=()
for target in ${KESTO_TARGETS:-}; do targets+=(--target "$target"); done
cmake --build "$dir" "${targets[@]}"
